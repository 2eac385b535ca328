// The demo data set, run end to end: report list, condition dialog, work
// table, pages; each page dump compared with its golden file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/demo.h"
#include "app/program.h"
#include "platform/printer.h"
#include "rdd/paths.h"
#include "xbase/dates.h"

namespace fs = std::filesystem;

namespace {

// One report of each kind the demo serves: its script (the report list, the
// condition dialog) and the golden page dump it must print.
struct DemoReport {
  const char* script;
  const char* golden;
};

class DemoReports : public ::testing::TestWithParam<DemoReport> {};

TEST_P(DemoReports, PrintLikeTheirGoldenDumps) {
  const DemoReport& rep = GetParam();
  fs::path dir = fs::temp_directory_path() / ("vdemo" + std::to_string(::getpid()) + rep.golden);
  fs::remove_all(dir);
  std::ostringstream out, err;
  ASSERT_EQ(app::makeDemo(dir.string(), xbase::encodeDate(2026, 12, 11), out), 0);
  fs::path cwd = fs::current_path();
  fs::current_path(dir);
  rdd::setDriveMapping('V', dir.string());
  platform::RecordingTarget target;
  platform::setPrintTarget(&target);
  int status = app::runProgram({"VEK_WIN.INI", "SHIFT", "01", "RepList", "--script", rep.script, "--today",
                                "11/12/2026"},
                               err);
  platform::setPrintTarget(nullptr);
  rdd::clearDriveMappings();
  fs::current_path(cwd);
  fs::remove_all(dir);
  ASSERT_EQ(status, 0) << err.str();
  ASSERT_EQ(target.jobs.size(), 1u) << err.str();
  std::string path = std::string(VEK_GOLDEN) + "/" + rep.golden;
  if (std::getenv("VEK_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << target.jobs[0].second;
  std::ifstream in(path, std::ios::binary);
  std::string want((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(target.jobs[0].second, want);
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoReports,
                         ::testing::Values(DemoReport{"scripts/COPRO1.txt", "demo_copro1.dump"},
                                           DemoReport{"scripts/COEMP.txt", "demo_coemp.dump"},
                                           DemoReport{"scripts/COABK.txt", "demo_coabk.dump"},
                                           DemoReport{"scripts/CODTS.txt", "demo_codts.dump"},
                                           DemoReport{"scripts/CORPT.txt", "demo_corpt.dump"},
                                           DemoReport{"scripts/IVACC1_5.txt", "demo_ivacc1_5.dump"},
                                           DemoReport{"scripts/IVACC2_A.txt", "demo_ivacc2_a.dump"},
                                           DemoReport{"scripts/IVACC3_7.txt", "demo_ivacc3_7.dump"},
                                           DemoReport{"scripts/ARACC.txt", "demo_aracc.dump"},
                                           DemoReport{"scripts/ARSTA.txt", "demo_arsta.dump"},
                                           DemoReport{"scripts/APACC.txt", "demo_apacc.dump"},
                                           DemoReport{"scripts/APSTA.txt", "demo_apsta.dump"},
                                           DemoReport{"scripts/IVDOC5.txt", "demo_ivdoc5.dump"},
                                           DemoReport{"scripts/IVTRN5.txt", "demo_ivtrn5.dump"},
                                           DemoReport{"scripts/IVDOC2.txt", "demo_ivdoc2.dump"},
                                           DemoReport{"scripts/IVTRN23.txt", "demo_ivtrn23.dump"},
                                           DemoReport{"scripts/IVADJ.txt", "demo_ivadj.dump"},
                                           DemoReport{"scripts/ARACG.txt", "demo_aracg.dump"},
                                           DemoReport{"scripts/GLACC1.txt", "demo_glacc1.dump"},
                                           DemoReport{"scripts/GLACC2.txt", "demo_glacc2.dump"},
                                           DemoReport{"scripts/GLACC4.txt", "demo_glacc4.dump"},
                                           DemoReport{"scripts/GLACC5.txt", "demo_glacc5.dump"},
                                           DemoReport{"scripts/GLACC6.txt", "demo_glacc6.dump"}),
                         [](const auto& info) {
                           std::string n = info.param.golden;
                           return n.substr(5, n.size() - 10);
                         });

}  // namespace
