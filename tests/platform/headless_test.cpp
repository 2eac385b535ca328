// Dialogs answered from a script, and the transcript of what was shown.
#include <gtest/gtest.h>

#include "platform/headless.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"

using namespace xbase;
using platform::Control;

namespace {

// A condition dialog: a month field that must read MM/YYYY, a drop-down, a
// check box, OK and Cancel.
platform::Dialog conditions(int& okPresses) {
  platform::Dialog d;
  d.title = "  เงื่อนไขรายงาน"_th;
  d.width = 400;
  d.height = 310;
  Control month;
  month.kind = Control::Kind::Edit;
  month.variable = "CMONTH";
  month.picture = "99/9999";
  month.valid = [] {
    const std::string& s = rt().memvars.lookup("CMONTH")->s;
    return s.size() == 7 && s[2] == '/' && std::atoi(s.substr(0, 2).c_str()) >= 1 &&
           std::atoi(s.substr(0, 2).c_str()) <= 12;
  };
  d.add(month);
  Control kind;
  kind.kind = Control::Kind::ComboBox;
  kind.variable = "NKIND";
  kind.items = {"สรุป"_th.data(), "ละเอียด"_th.data()};
  d.add(kind);
  Control brow;
  brow.kind = Control::Kind::CheckBox;
  brow.variable = "LBROW";
  d.add(brow);
  Control ok;
  ok.kind = Control::Kind::Button;
  ok.text = "&ตกลง"_th;
  ok.isDefault = true;
  d.add(ok);
  Control cancel;
  cancel.kind = Control::Kind::Button;
  cancel.text = "&ยกเลิก"_th;
  cancel.isCancel = true;
  d.add(cancel);
  d.controls[3].action = [&d, &okPresses] {
    ++okPresses;
    d.close(1);
  };
  return d;
}

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    r.memvars.declarePublic("CMONTH", Value::chr("       "));
    r.memvars.declarePublic("NKIND", Value::integer(1));
    r.memvars.declarePublic("LBROW", Value::logical(false));
  }
  Runtime r;
  RuntimeScope scope{r};
  platform::HeadlessUi ui;
};

TEST_F(Headless, AScriptFillsADialogAndValidationsRun) {
  int presses = 0;
  platform::Dialog d = conditions(presses);
  ui.setScript({"# a refused month, then a good one", "type CMONTH 13/2008", "type CMONTH 01/2008", "choose NKIND ละเอียด",
                "tick LBROW on", "press ตกลง"});
  EXPECT_EQ(ui.run(d), 1);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(r.memvars.lookup("CMONTH")->s, "01/2008");
  EXPECT_EQ(r.memvars.lookup("NKIND")->n, 2);
  EXPECT_TRUE(r.memvars.lookup("LBROW")->b);
  const auto& t = ui.transcript();
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[0], "dialog \"  เงื่อนไขรายงาน\" {");
  EXPECT_EQ(t[1], "  type CMONTH \"13/2008\" -> refused, the field keeps the focus");
  EXPECT_EQ(t[2], "  type CMONTH \"01/2008\"");
  EXPECT_EQ(t[5], "  press \"&ตกลง\"");
  EXPECT_EQ(t[6], "} -> 1");
}

TEST_F(Headless, EscapeQuestionsInputsAndMissingAnswers) {
  int presses = 0;
  platform::Dialog d = conditions(presses);
  ui.setScript({"escape", "answer yes", "answer no", "input \"ABC\"", "input-cancel"});
  EXPECT_EQ(ui.run(d), 0);
  EXPECT_TRUE(ui.yesNo("ลบ?"_th, "  ถาม"_th));
  EXPECT_FALSE(ui.yesNo("ลบ?"_th, "  ถาม"_th));
  EXPECT_EQ(ui.input("t", "l", "x").value(), "ABC");
  EXPECT_FALSE(ui.input("t", "l", "x").has_value());
  ui.message("ไม่พบข้อมูล"_th, "  ส่วนจัดทำรายงาน"_th);
  EXPECT_EQ(ui.transcript().back(), "message \"  ส่วนจัดทำรายงาน\": ไม่พบข้อมูล");

  // Nothing left to answer with: the error names the dialog.
  try {
    ui.run(d);
    ADD_FAILURE() << "no script error";
  } catch (const platform::ScriptError& e) {
    EXPECT_NE(std::string(e.what()).find("เงื่อนไขรายงาน"), std::string::npos) << e.what();
  }
  ui.setScript({"press NOSUCH"});
  EXPECT_THROW(ui.run(d), platform::ScriptError);
  ui.setScript({"type CMONTH 01/2008"});
  EXPECT_THROW(ui.yesNo("q", "c"), platform::ScriptError);  // a question answered by a dialog line
}

}  // namespace

namespace {

TEST(HeadlessList, ARowIsChosenByTheScript) {
  Runtime r;
  RuntimeScope scope(r);
  std::vector<std::string> codes{"IVTAX1", "GLDSN", "PRPRL15"};
  long at = 0;
  auto b = std::make_shared<platform::Browse>();
  b->columns.push_back({"รหัส"_th.data(), [&] { return at < long(codes.size()) ? codes[std::size_t(at)] : ""; }, 10, 'L'});
  b->goTop = [&] { at = 0; };
  b->goBottom = [&] { at = long(codes.size()) - 1; };
  b->skip = [&](long n) {
    long before = at;
    at = std::max(0L, std::min(long(codes.size()), at + n));
    return at - before;
  };
  b->atEnd = [&] { return at >= long(codes.size()); };
  std::string chosen;
  platform::Dialog d;
  d.title = "  รายงาน"_th;
  Control list;
  list.kind = Control::Kind::List;
  list.browse = b;
  d.add(list);
  b->keys["Enter"] = [&] {
    chosen = codes[std::size_t(at)];
    d.close(1);
  };
  platform::HeadlessUi ui;
  ui.setScript({"row 2", "key Enter"});
  EXPECT_EQ(ui.run(d), 1);
  EXPECT_EQ(chosen, "GLDSN");
  EXPECT_EQ(ui.transcript()[1], "  row 2: GLDSN");
  ui.setScript({"row 9"});
  EXPECT_THROW(ui.run(d), platform::ScriptError);
  ui.setScript({"key F9"});
  EXPECT_THROW(ui.run(d), platform::ScriptError);
}

}  // namespace
