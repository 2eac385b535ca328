// The demo data set, run end to end: report list, condition dialog, code
// list with stock balances, page dump compared with its golden file.
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

TEST(Demo, ProductListWithBalancesEndToEnd) {
  fs::path dir = fs::temp_directory_path() / ("vdemo" + std::to_string(::getpid()));
  fs::remove_all(dir);
  std::ostringstream out, err;
  ASSERT_EQ(app::makeDemo(dir.string(), xbase::encodeDate(2026, 12, 11), out), 0);
  fs::path cwd = fs::current_path();
  fs::current_path(dir);
  rdd::setDriveMapping('V', dir.string());
  platform::RecordingTarget target;
  platform::setPrintTarget(&target);
  int status = app::runProgram({"VEK_WIN.INI", "SHIFT", "01", "RepList", "--script", "scripts/COPRO1.txt",
                                "--today", "11/12/2026"},
                               err);
  platform::setPrintTarget(nullptr);
  rdd::clearDriveMappings();
  fs::current_path(cwd);
  fs::remove_all(dir);
  ASSERT_EQ(status, 0) << err.str();
  ASSERT_EQ(target.jobs.size(), 1u);
  std::string path = std::string(VEK_GOLDEN) + "/demo_copro1.dump";
  if (std::getenv("VEK_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << target.jobs[0].second;
  std::ifstream in(path, std::ios::binary);
  std::string want((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(target.jobs[0].second, want);
}

}  // namespace
