// The demo data set, run end to end: report list, condition dialog, work
// table, pages; each page dump compared with its golden file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/demo.h"
#include "app/program.h"
#include "startup/ini.h"
#include "platform/printer.h"
#include "rdd/paths.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"

namespace fs = std::filesystem;
using xbase::operator""_th;

namespace {

// One report of each kind the demo serves: its script (the report list, the
// condition dialog) and the golden page dump it must print.
struct DemoReport {
  const char* script;
  const char* golden;
};

// Runs one script over a fresh demo data set (fixed today) and gives the
// page dump of its print job; `prepare` may change the data set first.
std::string runDemo(const std::string& script, const std::string& tag,
                    const std::function<void(const fs::path&)>& prepare = nullptr, const std::string& dataset = "01") {
  fs::path dir = fs::temp_directory_path() / ("vdemo" + std::to_string(::getpid()) + tag);
  fs::remove_all(dir);
  std::ostringstream out, err;
  EXPECT_EQ(app::makeDemo(dir.string(), xbase::encodeDate(2026, 12, 11), out), 0);
  if (prepare) prepare(dir);
  fs::path cwd = fs::current_path();
  fs::current_path(dir);
  rdd::setDriveMapping('V', dir.string());
  platform::RecordingTarget target;
  platform::setPrintTarget(&target);
  int status = app::runProgram({"VEK_WIN.INI", "SHIFT", dataset, "RepList", "--script", script, "--today", "11/12/2026"},
                               err);
  platform::setPrintTarget(nullptr);
  rdd::clearDriveMappings();
  fs::current_path(cwd);
  fs::remove_all(dir);
  EXPECT_EQ(status, 0) << err.str();
  EXPECT_EQ(target.jobs.size(), 1u) << err.str();
  return target.jobs.empty() ? std::string() : target.jobs[0].second;
}

// Compares a dump with its golden file (VEK_UPDATE_GOLDEN=1 rewrites it).
void expectGolden(const std::string& dump, const std::string& golden) {
  std::string path = std::string(VEK_GOLDEN) + "/" + golden;
  if (std::getenv("VEK_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << dump;
  std::ifstream in(path, std::ios::binary);
  std::string want((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(dump, want);
}

class DemoReports : public ::testing::TestWithParam<DemoReport> {};

TEST_P(DemoReports, PrintLikeTheirGoldenDumps) {
  const DemoReport& rep = GetParam();
  expectGolden(runDemo(rep.script, rep.golden), rep.golden);
}

// The input-tax register with its VAT total recomputed and the book in
// front of each number, on pages that hold four lines: the item numbers
// run on across the pages and the total block follows the last line.
TEST(DemoTaxRegister, RecomputedTotalsAndItemNumbersAcrossPages) {
  std::string dump = runDemo("scripts/IVTAX1.txt", "recalc", [](const fs::path& dir) {
    startup::IniFile(( dir / "VEK_WIN.INI").string()).set("Font", "Footer", "48");
    std::ifstream in(dir / "scripts" / "IVTAX1.txt");
    std::string script((std::istreambuf_iterator<char>(in)), {});
    std::size_t ok = script.find("press");
    script.insert(ok, "choose CRECALC Y\nchoose CSBOOK Y\n");
    std::ofstream(dir / "scripts" / "IVTAX1.txt") << script;
  });
  EXPECT_NE(dump.find("page 3"), std::string::npos);
  EXPECT_NE(dump.find("\"000005\""), std::string::npos);
  EXPECT_NE(dump.find("\"PURRR1200044 "), std::string::npos);  // the book, then the number
  expectGolden(dump, "demo_ivtax1_recalc.dump");
}

// The register by VAT class recomputes each class's VAT at the dialog's
// rates, not at the configured one.
TEST(DemoTaxRegister, RecomputedVatAtTheDialogsRates) {
  std::string dump = runDemo("scripts/IVVAT0.txt", "vatrecalc", [](const fs::path& dir) {
    std::ifstream in(dir / "scripts" / "IVVAT0.txt");
    std::string script((std::istreambuf_iterator<char>(in)), {});
    script.insert(script.find("press"), "type CRATE2 7.50\nchoose CRECALC Y\n");
    std::ofstream(dir / "scripts" / "IVVAT0.txt") << script;
  });
  EXPECT_NE(dump.find(xbase::toUtf8("ภาษี(7.50%)"_th)), std::string::npos);
  EXPECT_NE(dump.find("\"        102,098.13\""), std::string::npos);  // the second class's value
  EXPECT_NE(dump.find("\"          7,657.36\""), std::string::npos);  // at 7.50 %
  EXPECT_NE(dump.find("\"        109,755.49\""), std::string::npos);
}

// The branch in the register's head: data set 01 is branch 01; the head
// office's data set 00 leaves the place blank.
TEST(DemoTaxRegister, BranchNumberFromTheDataSet) {
  const std::string branch = xbase::toUtf8("สาขาที่ "_th);
  EXPECT_NE(runDemo("scripts/IVTAX1.txt", "branch01").find(branch + "01\""), std::string::npos);
  std::string head = runDemo("scripts/IVTAX1.txt", "branch00", nullptr, "00");
  EXPECT_EQ(head.find(branch), std::string::npos);
  EXPECT_NE(head.find("right \" \""), std::string::npos);
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
                                           DemoReport{"scripts/IVTAX0.txt", "demo_ivtax0.dump"},
                                           DemoReport{"scripts/IVTAX1.txt", "demo_ivtax1.dump"},
                                           DemoReport{"scripts/IVTAX2.txt", "demo_ivtax2.dump"},
                                           DemoReport{"scripts/IVTAX3.txt", "demo_ivtax3.dump"},
                                           DemoReport{"scripts/IVVAT0.txt", "demo_ivvat0.dump"},
                                           DemoReport{"scripts/IVVAT2.txt", "demo_ivvat2.dump"},
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
