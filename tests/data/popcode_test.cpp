// The code look-up pop-up.
#include <algorithm>
#include <map>

#include "data_fixture.h"
#include "platform/headless.h"
#include "ui/popcode.h"
#include "xbase/cp874.h"

using namespace xbase;

namespace {

// Answers dialogs from a script and notes each dialog's button states.
struct Capture : platform::HeadlessUi {
  std::vector<std::map<std::string, bool>> buttons;
  std::vector<std::string> titles;
  int run(platform::Dialog& d) override {
    std::map<std::string, bool> b;
    for (auto& c : d.controls)
      if (c.kind == platform::Control::Kind::Button) b[toUtf8(platform::plainCaption(c.text))] = c.enabled;
    buttons.push_back(b);
    titles.push_back(toUtf8(d.title));
    return HeadlessUi::run(d);
  }
};

class Popcode : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    platform::setUi(&dialogs);
    r.memvars.declarePublic("CDRV1", Value::chr(folder()));
    r.memvars.declarePublic("CTRUSTEE", Value::chr(std::string(60, '6')));
    r.memvars.declarePublic("CCOD", Value::chr(""));
    r.memvars.declarePublic("CBRAND", Value::chr("  VEK for Windows"));
    rdd::Area* s = areas.create(folder() + "Section.dbf", {{"CODE", 'C', 4, 0}, {"NAME", 'C', 30, 0}}, "X");
    for (auto [c, n] : {std::pair{"A10", "บัญชี"}, {"A20", "ขาย"}, {"B10", "คลังสินค้า"}, {"B20", "จัดซื้อ"}}) {
      s->append();
      s->putField(0, Value::chr(c));
      s->putField(1, Value::chr(fromUtf8(n)));
    }
    areas.closeAll();
  }
  void TearDown() override {
    platform::setUi(nullptr);
    DataTest::TearDown();
  }
  void rights(char level) {
    std::string t(60, '0');
    t[38] = level;  // position 39: sections
    r.memvars.lookup("CTRUSTEE")->s = t;
  }
  std::string code() { return r.memvars.lookup("CCOD")->s; }
  Capture dialogs;
};

TEST_F(Popcode, AnExistingCodeIsTakenWithoutAWindow) {
  auto ok = ui::POPCODE(2, 5, "a20", nullptr, "CCOD", "");  // upper-cased before the seek
  ASSERT_TRUE(ok.has_value());
  EXPECT_TRUE(*ok);
  EXPECT_EQ(code(), "A20 ");
  EXPECT_TRUE(dialogs.transcript().empty());
}

TEST_F(Popcode, APartialCodeOpensTheListOnItsFirstMatch) {
  // The box holds "B" padded to its width: not a code, so the list opens on B10.
  dialogs.setScript({"key Enter"});
  auto ok = ui::POPCODE(2, 5, "B   ", nullptr, "CCOD", "");
  EXPECT_TRUE(ok.value());
  EXPECT_EQ(code(), "B10 ");
  EXPECT_EQ(dialogs.titles.at(0), "  ส่วนจัดการตารางรหัสแผนก");
}

TEST_F(Popcode, EscapeWritesTheEntryValueBack) {
  r.memvars.lookup("CCOD")->s = "Q9";
  dialogs.setScript({"row 3", "escape"});
  auto ok = ui::POPCODE(2, 5, "Q9", nullptr, "CCOD", "");
  EXPECT_FALSE(ok.value());
  EXPECT_EQ(code(), "Q9");
  // A code typed into the pop-up's box that does not exist is told.
  dialogs.setScript({"type CGET1 ZZ", "escape"});
  ui::POPCODE(2, 5, "Q9", nullptr, "CCOD", "");
  const auto& t = dialogs.transcript();
  EXPECT_NE(std::find(t.begin(), t.end(), "  message \"ตารางรหัส\": ไม่พบรหัสที่ระบุ"), t.end());
}

TEST_F(Popcode, RightsLevelsDisableButtons) {
  struct {
    char level;
    bool add, edit, del;
  } cases[] = {{'0', false, false, false}, {'2', false, false, false}, {'3', true, false, false},
               {'4', true, true, false},   {'5', true, true, true},     {'6', true, true, true}};
  for (auto& c : cases) {
    rights(c.level);
    dialogs.buttons.clear();
    dialogs.setScript({"escape"});
    ui::POPCODE(3, 5, "", nullptr, "CCOD", "");
    auto& b = dialogs.buttons.at(0);
    EXPECT_EQ(b["เพิ่ม"], c.add) << c.level;
    EXPECT_EQ(b["แก้ไข"], c.edit) << c.level;
    EXPECT_EQ(b["ลบ"], c.del) << c.level;
    EXPECT_TRUE(b["ตกลง"]);
  }
  // Opened from another pop-up's edit dialog: no add, edit or delete, and the
  // pop-up's variables stay defined for the outer one.
  rights('6');
  dialogs.buttons.clear();
  dialogs.setScript({"key Enter"});
  r.memvars.declarePublic("CGET1", Value::chr("OUTER"));
  ui::POPCODE(3, 5, "A", nullptr, "CCOD", "", false);
  auto& b = dialogs.buttons.at(0);
  EXPECT_FALSE(b["เพิ่ม"] || b["แก้ไข"] || b["ลบ"]);
  ASSERT_NE(r.memvars.lookup("CGET1"), nullptr);
  EXPECT_TRUE(r.memvars.lookup("CGET1")->isChar());
  EXPECT_TRUE(r.memvars.lookup("LPACCEPT")->isLogical());
}

TEST_F(Popcode, DeleteTogglesTheMarkAndMarkedRowsCannotBeTaken) {
  rights('6');
  dialogs.setScript({"row 2", "press ลบ", "answer yes", "key Enter", "press ลบ", "answer no", "escape"});
  ui::POPCODE(3, 5, "", nullptr, "CCOD", "");
  rdd::Area* s = areas.area("Section");
  s->goTo(2);
  EXPECT_TRUE(s->deleted());
  const auto& t = dialogs.transcript();
  EXPECT_NE(std::find(t.begin(), t.end(), "  message \"  ส่วนตารางรหัส\": ข้อมูลถูกทำเครื่องหมายลบ !"), t.end());
  EXPECT_NE(std::find(t.begin(), t.end(), "  question \"กรุณายืนยันการทำงาน\": ยกเลิกเครื่องหมายลบ -> no"), t.end());
  dialogs.setScript({"row 2", "press ลบ", "answer yes", "escape"});
  ui::POPCODE(3, 5, "", nullptr, "CCOD", "");
  s->goTo(2);
  EXPECT_FALSE(s->deleted());
}

TEST_F(Popcode, SystemJournalBooksAreProtected) {
  rdd::Area* b = areas.create(folder() + "Accbook.dbf", {{"CODE", 'C', 3, 0}, {"NAME", 'C', 30, 0}, {"CSNO", 'N', 12, 0}}, "X");
  for (const char* c : {"GL0", "MYB"}) {
    b->append();
    b->putField(0, Value::chr(c));
  }
  areas.closeAll();
  std::string t(60, '6');
  r.memvars.lookup("CTRUSTEE")->s = t;
  dialogs.setScript({"row 1", "press ลบ", "row 2", "press ลบ", "answer yes", "escape"});
  ui::POPCODE(1, 8, "", nullptr, "", "");
  const auto& tr = dialogs.transcript();
  EXPECT_NE(std::find(tr.begin(), tr.end(), "  message \"  ส่วนตารางรหัส\": ไม่อนุมัติให้สั่งลบรายการนี้"), tr.end());
  EXPECT_EQ(tr[1].rfind("  row 1: GL0 ", 0), 0u) << tr[1];
  EXPECT_NE(tr[1].find("000000000000"), std::string::npos);  // the running number as 12 digits
  EXPECT_EQ(areas.area("Accbook"), nullptr);  // maintenance mode closes its table
}

TEST_F(Popcode, BarcodeAndStandardCodesGiveTheMainCode) {
  rdd::Area* p = areas.create(folder() + "PRODUCT.DBF",
                              {{"CODE", 'C', 8, 0}, {"CODE2", 'C', 8, 0}, {"BARCODE", 'C', 13, 0}, {"NAME1", 'C', 30, 0}}, "X");
  p->append();
  p->putField(0, Value::chr("P100"));
  p->putField(1, Value::chr("STD-1"));
  p->putField(2, Value::chr("8850001"));
  areas.closeAll();
  for (const char* typed : {"8850001", "std-1", "p100"}) {
    r.memvars.lookup("CCOD")->s = "";
    EXPECT_TRUE(ui::POPCODE(2, 3, typed, nullptr, "CCOD", "").value()) << typed;
    EXPECT_EQ(code(), "P100    ") << typed;
  }
  EXPECT_TRUE(dialogs.transcript().empty());
}

}  // namespace

namespace {

TEST_F(Popcode, DuplicateCodesAndListRows) {
  ASSERT_TRUE(data::OPEN(folder(), "Section", "code", false, "Section", "Section"));
  rdd::Area* s = areas.area("Section");
  s->goTo(1);
  EXPECT_TRUE(ui::CODCHK("A10", "A10"));   // unchanged
  EXPECT_TRUE(ui::CODCHK("A10", "C99"));   // new
  EXPECT_FALSE(ui::CODCHK("A10", "B20"));  // taken
  EXPECT_EQ(s->recNo(), 1);                // back on the record it started from
  EXPECT_EQ(dialogs.transcript().back(), "alert \"คำเตือน\": รหัสนี้มีในตารางข้อมูลแล้ว !");
  platform::Browse list;
  s->goBottom();                           // B20: three records before it
  ui::BROWADJ(list, "Section->code", "", 15);
  EXPECT_EQ(list.row, 4);
  ui::BROWADJ(list, "Section->code", "B", 15);  // only the B codes count
  EXPECT_EQ(list.row, 2);
  EXPECT_EQ(s->recNo(), 4);
}

}  // namespace
