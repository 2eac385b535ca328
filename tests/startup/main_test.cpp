// Start-up of the report program: parameters, settings, data set and user.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/paths.h"
#include "startup/ini.h"
#include "startup/main_program.h"
#include "xbase/cp874.h"
#include "xbase/runtime.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    static int n = 0;  // short: the data set's folder fields hold 60 characters
    dir = fs::temp_directory_path() / ("vs" + std::to_string(::getpid()) + "_" + std::to_string(++n));
    fs::remove_all(dir);
    fs::create_directories(dir / "master");
    cwd = fs::current_path();
    fs::current_path(dir);
    r.areas = &areas;
    platform::setUi(&ui);
    startup::setReportSelection([this] {
      for (const char* v : {"CBRAND", "CUSER", "CLOGIN", "CTRUSTEE", "CHLINE", "CDATASET", "CNOWNER", "CDRV1",
                            "CVAT_RATE", "NFONTRATIO", "CPRNFAC", "CREPLIST"}) {
        Value* x = r.memvars.lookup(v);
        seen[v] = !x ? "?" : x->isChar() ? x->s : x->isNum() ? std::to_string(x->n) : "other";
      }
      seen["RepList open"] = areas.area("RepList") ? "yes" : "no";
    });
  }
  void TearDown() override {
    startup::setReportSelection(nullptr);
    platform::setUi(nullptr);
    areas.closeAll();
    r.areas = nullptr;
    fs::current_path(cwd);
    fs::remove_all(dir);
  }
  void makeDataSet() {
    std::string master = (dir / "master").string() + "/";
    rdd::Area* d = areas.create("DataSet.dbf",
                                {{"CODE", 'C', 4, 0}, {"NAME", 'C', 40, 0}, {"ADDR1", 'C', 40, 0},
                                 {"ADDR2", 'C', 40, 0}, {"ADDR3", 'C', 40, 0}, {"TAX_ID", 'C', 13, 0},
                                 {"DRIVE1", 'C', 60, 0}, {"DRIVE2", 'C', 60, 0}, {"DRIVE3", 'C', 60, 0},
                                 {"DRIVE4", 'C', 60, 0}},
                                "D");
    for (const char* code : {"02", "01"}) {
      d->append();
      d->putField(0, Value::chr(code));
      d->putField(1, Value::chr(std::string(code) + " " + std::string("บริษัท ทดสอบ จำกัด"_th)));
      d->putField(6, Value::chr(master));
    }
    rdd::Area* e = areas.create(master + "Employee.dbf",
                                {{"CODE", 'C', 10, 0}, {"NAME", 'C', 30, 0}, {"TRUSTEE", 'C', 60, 0}}, "E");
    e->append();
    e->putField(0, Value::chr("ANNA"));
    e->putField(1, Value::chr("Anna K."));
    e->putField(2, Value::chr(std::string(60, '9')));
    rdd::Area* l = areas.create(master + "RepList.dbf", {{"CODE", 'C', 10, 0}, {"NAME", 'C', 40, 0}}, "L");
    l->append();
    areas.closeAll();
  }
  std::optional<std::string> none;
  fs::path dir, cwd;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;
  std::map<std::string, std::string> seen;
};

TEST_F(Startup, NoParametersButTheReportList) {
  makeDataSet();
  EXPECT_EQ(startup::MAIN({none, none, none, std::string("RepList")}), 0);
  EXPECT_EQ(seen["CBRAND"], "  VEK for Windows");
  EXPECT_EQ(seen["CUSER"], "SHIFT");
  EXPECT_EQ(seen["CLOGIN"], "Not login");
  EXPECT_EQ(seen["CTRUSTEE"], std::string(60, '0'));
  EXPECT_EQ(seen["CDATASET"], "01  ");  // the first data set in code order, as stored
  EXPECT_EQ(seen["CNOWNER"], "01");
  EXPECT_EQ(toUtf8(seen["CHLINE"]), "01 บริษัท ทดสอบ จำกัด");
  EXPECT_EQ(seen["RepList open"], "yes");
  EXPECT_TRUE(ui.messages.empty());
  // The settings file was created with every key of both sections.
  startup::IniFile ini(".\\VEK_WIN.INI");
  EXPECT_EQ(ini.get("Misc", "Qty.Pic.", ""), "999,999,999.99");
  EXPECT_EQ(ini.get("Font", "Footer", ""), "4");
  EXPECT_EQ(ini.get("Font", "Height6", ""), "80");
  EXPECT_TRUE(r.frames.empty());
  EXPECT_EQ(r.memvars.lookup("CBRAND"), nullptr);  // released at shut-down
}

TEST_F(Startup, UserBrandAndDataSetFromParameters) {
  makeDataSet();
  EXPECT_EQ(startup::MAIN({std::string("my.ini"), std::string("ANN"), std::string("02"), std::string("RepList"),
                           std::string("")}),
            0);
  EXPECT_EQ(seen["CBRAND"], "  Kestrel for Windows");  // any fifth parameter, even empty
  EXPECT_EQ(seen["CUSER"], "ANNA");  // the stored code of the user found by the prefix
  EXPECT_EQ(seen["CLOGIN"], "Anna K.");
  EXPECT_EQ(seen["CTRUSTEE"], std::string(60, '9'));
  EXPECT_EQ(seen["CNOWNER"], "02");
  EXPECT_TRUE(fs::exists("my.ini"));
}

TEST_F(Startup, RatioIsAtLeastOne) {
  makeDataSet();
  for (auto [text, want] : {std::pair{"0", 1.0}, {"-3", 3.0}, {"abc", 1.0}, {"2.5", 2.5}}) {
    std::ofstream("r.ini") << "[Font]\nRatio=" << text << "\nFactor=3\n";
    startup::MAIN({std::string("r.ini"), none, none, std::string("RepList")});
    EXPECT_EQ(std::stod(seen["NFONTRATIO"]), want) << text;
    EXPECT_EQ(std::stod(seen["CPRNFAC"]), 3);
  }
}

TEST_F(Startup, MissingDataSetFileOrCode) {
  EXPECT_EQ(startup::MAIN({none, none, none, std::string("RepList")}), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "ไม่พบแฟ้มกำหนดชุดข้อมูล");
  EXPECT_EQ(toUtf8(ui.messages[0].second), "โปรแกรมระบบบัญชี");
  makeDataSet();
  ui.messages.clear();
  EXPECT_EQ(startup::MAIN({none, none, std::string("77"), std::string("RepList")}), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "ไม่พบชุดข้อมูล 77");
  EXPECT_TRUE(seen.empty());  // no report selection
}

}  // namespace

namespace {

TEST_F(Startup, DriveLettersFromTheSettingsFile) {
  makeDataSet();
  // The data set's master folder written as a drive path, mapped in the settings.
  {
    rdd::Area* d = areas.use("DataSet.dbf", "", rdd::OpenMode::Exclusive);
    d->goTop();
    while (!d->eof()) {
      d->putField(6, Value::chr("Q:\\master\\"));
      d->skip(1);
    }
    areas.closeAll();
  }
  std::ofstream("d.ini") << "[Drives]\nQ=" << dir.string() << "\n";
  EXPECT_EQ(startup::MAIN({std::string("d.ini"), std::string("ANN"), none, std::string("RepList")}), 0);
  EXPECT_EQ(seen["CLOGIN"], "Anna K.");  // the employee table was found through Q:
  EXPECT_EQ(seen["RepList open"], "yes");
  rdd::clearDriveMappings();
}

}  // namespace
