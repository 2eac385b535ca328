// Report selection, dispatch and the review browse.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "data/table_access.h"
#include "platform/headless.h"
#include "rdd/area.h"
#include "startup/selection.h"
#include "xbase/cp874.h"
#include "xbase/runtime.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

TEST(Dispatch, EveryTestInItsOrder) {
  struct {
    const char* code;
    const char* routine;
  } cases[] = {
      {"IVTAXA", "IVTAX"},      {"IVTAX", "IVTAX"},       {"IVVAT1", "IVTAX2"},     {"GLDSN3", "GLDSN"},
      {"XXREPORT", "REPTEXT"},  {"ARADD01", "REPADD01"},  {"IVSALE", "REPSALE01"},  {"ARSA2X", "REPSALE04"},
      {"ARANA1", "REPSALE02"},  {"ARANB", "REPSALE03"},   {"ARANC", "REPSALE05"},   {"ARAND", ""},
      {"AR", "GETCOND"},        {"ARBIL1", "REPBILL"},    {"ARBST", "REPBST"},      {"ARAGE1", "REPAGE01"},
      {"APAGS", "REPAGE02"},    {"POORD1", "REPORDER"},   {"SOORT", "REPORDER2"},   {"PRPRL01", "REPPRL01"},
      {"PRPRL02", "REPPRL02"},  {"PRPRL03", "REPPRL03"},  {"PRPRL15", "REPPRL10"},  {"PRPRL27", "REPPRL11"},
      {"PRPRL04", ""},          {"PRBNK1", "REPPRLBNK"},  {"PRSOC", "REPPRLSOC"},   {"ADT01", "REPAUDIT"},
      {"ARDSK1", "REPDSKGEN"},  {"LOG01", "REPLOGGER"},   {"IVACC1", "GETCOND"},    {"COPRO1", "GETCOND"},
      {"IVREPX", "REPTEXT"},    {"IVTAXREP", "IVTAX"},    {"A", "GETCOND"},
  };
  for (auto& c : cases) EXPECT_EQ(startup::dispatchRoutine(c.code), c.routine) << c.code;
}

class Selection : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vsel" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    r.areas = &areas;
    platform::setUi(&ui);
    for (const char* v : {"CREPCODE", "CREPNAME", "CBRAND", "CREPBROW"}) r.memvars.declarePublic(v, Value::chr(""));
  }
  void TearDown() override {
    platform::setUi(nullptr);
    areas.closeAll();
    r.areas = nullptr;
    fs::remove_all(dir);
  }
  fs::path dir;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::HeadlessUi ui;
};

TEST_F(Selection, TheListChoosesAndDispatches) {
  rdd::Area* l = areas.create((dir / "RepList.dbf").string(), {{"CODE", 'C', 10, 0}, {"NAME", 'C', 40, 0}}, "X");
  for (auto [code, name] : {std::pair{"IVTAX1", "รายงานภาษีซื้อ"}, {"ZZ9", "ไม่มีในโปรแกรม"}, {"ARSTA1", "ใบแจ้งยอด"}}) {
    l->append();
    l->putField(0, Value::chr(code));
    l->putField(1, Value::chr(fromUtf8(name)));
  }
  areas.closeAll();
  ASSERT_TRUE(data::OPEN(dir.string() + "/", "RepList", "code", false, "RepList", "RepList", "RepList"));
  std::string ran;
  startup::registerFamily("IVTAX", [&] { ran = r.memvars.lookup("CREPCODE")->s; });
  // Code order: ARSTA1, IVTAX1, ZZ9. The second row is chosen with Enter.
  ui.setScript({"row 2", "key Enter"});
  ASSERT_TRUE(startup::REPSELECT());
  rdd::Area* list = areas.area("RepList");
  EXPECT_EQ(list->getField(0).s, "IVTAX1    ");
  startup::dispatch("IVTAX1    ");
  EXPECT_EQ(ran, "");  // CREPCODE is set by the selection hook, not here
  r.memvars.lookup("CREPCODE")->s = "IVTAX1    ";
  startup::dispatch("IVTAX1    ");
  EXPECT_EQ(ran, "IVTAX1    ");
  startup::dispatch("ZZ9       ");
  EXPECT_EQ(ui.transcript().back(), "message \"  Report program\": ไม่มีรายงาน ZZ9");
  // Search from the next entry; nothing found leaves the list where it was.
  list->goTop();
  ui.setScript({"type CSEARCH แจ้ง", "type CSEARCH nothing-like-this", "escape"});
  EXPECT_FALSE(startup::REPSELECT());
  EXPECT_NE(std::find(ui.transcript().begin(), ui.transcript().end(),
                      "  message \"  ส่วนค้นหาข้อมูล\": ไม่พบข้อความที่ระบุ"),
            ui.transcript().end());
}

TEST_F(Selection, TheReviewBrowse) {
  rdd::Area* w = areas.create((dir / "D_ANNA.dbf").string(),
                              {{"CODE", 'C', 6, 0}, {"AMT", 'N', 12, 2}, {"NOTE", 'C', 50, 0}}, "RepData");
  for (double amt : {10.0, 1500.0, 25.5}) {
    w->append();
    w->putField(0, Value::chr("C" + std::to_string(int(amt))));
    w->putField(1, Value::num(amt, 2));
  }
  r.memvars.lookup("CBRAND")->s = "  VEK for Windows";
  r.memvars.lookup("CREPBROW")->s = "Y";
  std::string count;
  ui.setScript({"type CRSEEK 1500", "type CRSEEK zzz", "press รายงาน"});
  EXPECT_TRUE(startup::REPBROW("RepData", "ทดสอบ"_th.data()));
  const auto& t = ui.transcript();
  EXPECT_EQ(t[0], "dialog \"  ส่วนการแสดงข้อมูลทดสอบ\" {");
  EXPECT_NE(std::find(t.begin(), t.end(), "  message \"  ส่วนทำการค้นหา\": ไม่พบข้อมูลที่ระบุ !"), t.end());
  EXPECT_EQ(w->recNo(), 1);  // the table is left on its first record
  EXPECT_TRUE(r.memvars.lookup("CRSAY")->isNil());  // released

  // 1500 found inside the amount field holding 1500.00: the record becomes current.
  platform::Dialog none;
  startup::REPSEEK(nullptr, "RepData", "1500");
  EXPECT_EQ(w->recNo(), 2);

  // Second brand, or Browse not "Y": no dialog at all.
  ui.setScript({});
  r.memvars.lookup("CBRAND")->s = "  Kestrel for Windows";
  EXPECT_TRUE(startup::REPBROW("RepData", "x"));
  r.memvars.lookup("CBRAND")->s = "  VEK for Windows";
  r.memvars.lookup("CREPBROW")->s = "N";
  EXPECT_TRUE(startup::REPBROW("RepData", "x"));
  ui.setScript({"escape"});
  r.memvars.lookup("CREPBROW")->s = "Y";
  EXPECT_FALSE(startup::REPBROW("RepData", "x"));
}

}  // namespace
