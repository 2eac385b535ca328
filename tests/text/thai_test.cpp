// The Thai text, number and date helpers, by tables of cases.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/headless.h"
#include "platform/ui.h"
#include "text/thai.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/expr.h"

using namespace xbase;

namespace {

class Thai : public ::testing::Test {
 protected:
  void SetUp() override {
    text::registerThaiFunctions(r);
    platform::setUi(&ui);
  }
  void TearDown() override { platform::setUi(nullptr); }
  void setting(const char* name, const char* value) { r.memvars.declarePublic(name) = Value::chr(value); }
  Runtime r;
  RuntimeScope scope{r};
  platform::RecordingUi ui;
};

TEST_F(Thai, BahtSpellsAmounts) {
  struct {
    double amount;
    const char* words;
  } cases[] = {
      {1, "(หนึ่งบาทถ้วน)"},
      {11, "(สิบเอ็ดบาทถ้วน)"},
      {101, "(หนึ่งร้อยหนึ่งบาทถ้วน)"},
      {21.50, "(ยี่สิบเอ็ดบาทห้าสิบสตางค์)"},
      {0.25, "(ยี่สิบห้าสตางค์)"},
      {11000000, "(สิบเอ็ดล้านบาทถ้วน)"},
      {1234567.89, "(หนึ่งล้านสองแสนสามหมื่นสี่พันห้าร้อยหกสิบเจ็ดบาทแปดสิบเก้าสตางค์)"},
      {0.01, "(หนึ่งสตางค์)"},
      {0.11, "(สิบเอ็ดสตางค์)"},
      {10, "(สิบบาทถ้วน)"},
      {100000000, "(หนึ่งร้อยล้านบาทถ้วน)"},
      {999999999.99, "(เก้าร้อยเก้าสิบเก้าล้านเก้าแสนเก้าหมื่นเก้าพันเก้าร้อยเก้าสิบเก้าบาทเก้าสิบเก้าสตางค์)"},
      {21000021, "(ยี่สิบเอ็ดล้านยี่สิบเอ็ดบาทถ้วน)"},
      {1.005, "(หนึ่งบาทหนึ่งสตางค์)"},  // rounded half away from zero to whole satang
      {0, "(ศูนย์บาทถ้วน)"},
      {-5, "(ลบห้าบาทถ้วน)"},
      {1500000000, "(หนึ่งพันห้าร้อยล้านบาทถ้วน)"},
  };
  for (auto& c : cases) EXPECT_EQ(toUtf8(text::BAHT(c.amount)), c.words) << c.amount;
  EXPECT_EQ(toUtf8(evaluate("BAHT(21.5)").s), "(ยี่สิบเอ็ดบาทห้าสิบสตางค์)");
}

TEST_F(Thai, RoundingByTheDecimalSetting) {
  struct {
    double v;
    int dec;
    const char* setting;
    double want;
  } cases[] = {{2.5, 0, "Y", 3},    {2.5, 0, "N", 2},     {-2.5, 0, "Y", -3},   {-2.5, 0, "N", -2},
               {1.005, 2, "Y", 1.01}, {2.4999995, 0, "Y", 3}, {2.4999995, 0, "N", 2}, {2.51, 0, "N", 3},
               {1234.5678, 2, "N", 1234.57}};
  for (auto& c : cases) {
    setting("CDECCOR", c.setting);
    EXPECT_DOUBLE_EQ(text::XROUND(c.v, c.dec), c.want) << c.v << " " << c.setting;
  }
}

TEST_F(Thai, QuarterRounding) {
  struct {
    double v, want;
  } cases[] = {{10.125, 10}, {10.126, 10.25}, {10.375, 10.25}, {10.4, 10.5},
               {10.7, 10.75}, {10.9, 11},      {-3.3, -3.25},   {0, 0}};
  for (auto& c : cases) EXPECT_DOUBLE_EQ(text::STANG(c.v), c.want) << c.v;
}

TEST_F(Thai, ChainedDiscounts) {
  struct {
    const char* text;
    double want;
  } cases[] = {{"10%", 100}, {"10%5%", 145}, {"10%+50", 150}, {"50", 50}, {"50B", 50}, {"", 0},
               {"10-5", 15},  {"  5/ ", 50},  {"x12", 12}};
  setting("CDISCFIX", "Y");
  for (auto& c : cases) EXPECT_DOUBLE_EQ(text::DISC(1000, c.text), c.want) << c.text;
  EXPECT_DOUBLE_EQ(text::DISC(333.33, "3.3%"), 11);       // 10.99989 rounded to 11.00 first
  setting("CDISCFIX", "N");
  EXPECT_NEAR(text::DISC(333.33, "3.3%"), 10.99989, 1e-9);
}

TEST_F(Thai, FixedWidthNumberTexts) {
  EXPECT_EQ(text::ZERO(7, 3), "007");
  EXPECT_EQ(text::ZERO(1234, 3), "234");
  EXPECT_EQ(text::ZERO(12.9, 4), "0012");
  EXPECT_EQ(text::MAINFORM(1234.5, 8, 2), "0000123450");
  EXPECT_EQ(text::MAINFORM(1234.5, 6), "001234");
  EXPECT_EQ(evaluate("ZERO(7,3)+MAINFORM(0.07,2,2)").s, "00700" "07");
}

TEST_F(Thai, DatesAndMonths) {
  EXPECT_EQ(toUtf8(text::MONTHNAME(2)), "กุมภาพันธ์");
  EXPECT_EQ(toUtf8(text::BCYEAR(encodeDate(2008, 1, 5))), "วันที่  05  มกราคม  พ.ศ.2551");
  for (int d : {1, 15, 29}) EXPECT_EQ(text::LASTDAY(encodeDate(2008, 2, d)), encodeDate(2008, 2, 29));
  EXPECT_EQ(text::LASTDAY(encodeDate(2007, 12, 15)), encodeDate(2007, 12, 31));
  EXPECT_EQ(text::FIRSTDAY(encodeDate(2007, 12, 15)), encodeDate(2007, 12, 1));
  EXPECT_EQ(evaluate("DTOC(LASTDAY(CTOD('10/04/2008')))").s, "30/04/2008");
}

TEST_F(Thai, SplitReferencesAndChecks) {
  EXPECT_EQ(text::SPLIT("A,12 kg,C", 2).n, 12);
  EXPECT_EQ(text::SPLIT("AB CD EF", 3, " ", "C").s, "EF");
  EXPECT_EQ(text::SPLIT("A,B", 5, ",", "C").s, "");
  EXPECT_EQ(text::SPLIT("A,B", 5).n, 0);
  EXPECT_EQ(text::SPLIT("x, -1.5 ,y", 2, ",", "n").n, -1.5);
  EXPECT_EQ(text::REFNAME("INV001", "INV9", "INV"), "INV9");  // the number begins with the reference
  EXPECT_EQ(text::REFNAME("INV001", " A1 ", "B2"), "A1,B2");
  EXPECT_EQ(text::REFNAME("INV001", "   ", "B2"), "B2");
  EXPECT_TRUE(text::EQCHECK("x", 1.004, 1.0, false));
  EXPECT_TRUE(text::EQCHECK("x", 1, 2, true));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(text::EQCHECK("ยอดไม่ตรง"_th.data(), 1, 2, false));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].second), "  ส่วนตรวจสอบความถูกต้อง");
}

TEST_F(Thai, SoundCuesFollowTheSettingAndTheFile) {
  auto dir = std::filesystem::temp_directory_path() / ("vek_sound_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "sounds");
  std::ofstream(dir / "sounds" / "Sound601.wav") << "RIFF";
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  setting("CSYSSOUND", "Y");
  EXPECT_TRUE(text::TSOUND(601));
  EXPECT_TRUE(text::TSOUND(7));  // no such file: nothing
  setting("CSYSSOUND", "N");
  EXPECT_TRUE(text::TSOUND(601));
  std::filesystem::current_path(cwd);
  std::filesystem::remove_all(dir);
  ASSERT_EQ(ui.sounds.size(), 1u);
  EXPECT_EQ(ui.sounds[0], ".\\sounds\\Sound601.wav");
}

}  // namespace

namespace {

TEST(DateTimeDialog, SetsTheProgramClock) {
  Runtime r;
  RuntimeScope scope(r);
  text::registerThaiFunctions(r);
  r.today = [] { return encodeDate(2026, 12, 11); };
  r.timeOfDay = [] { return std::string("08:00:00"); };
  platform::HeadlessUi ui;
  platform::setUi(&ui);
  ui.setScript({"type DDATE \"  /  /    \"", "type DDATE 01/02/2009", "type CTIME 25:00:00", "type CTIME 10:20:30",
                "enter"});
  evaluate("DTSET2()");
  platform::setUi(nullptr);
  EXPECT_EQ(r.today(), encodeDate(2009, 2, 1));
  EXPECT_EQ(r.timeOfDay(), "10:20:30");
  const auto& t = ui.transcript();
  EXPECT_EQ(t[0], "dialog \"  กำหนดวันที่และเวลา\" {");
  EXPECT_EQ(t[1], "  type DDATE \"  /  /    \" -> refused, the field keeps the focus");
  EXPECT_EQ(t[3], "  type CTIME \"25:00:00\" -> refused, the field keeps the focus");
}

}  // namespace
