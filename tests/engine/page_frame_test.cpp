// Work table + template -> page dump: the page frame, the generic engine and
// the section interpreter, compared with golden dumps.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/table_access.h"
#include "engine/page_frame.h"
#include "errors/error_handler.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "templates/template.h"
#include "text/thai.h"
#include "xbase/cp874.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

// 600 pixels per inch and a printable height of 6600 pixels (11 inches).
platform::Paper testPaper() {
  platform::Paper p;
  p.name = "test";
  p.widthInches = 8.5;
  p.heightInches = 11.5;
  p.marginInches = 0.25;
  p.dpi = 600;
  return p;
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    static int n = 0;
    dir = fs::temp_directory_path() / ("ve" + std::to_string(::getpid()) + "_" + std::to_string(++n));
    fs::remove_all(dir);
    fs::create_directories(dir / "master");
    fs::create_directories(dir / "work");
    r.areas = &areas;
    platform::setUi(&ui);
    platform::setPrintTarget(&target);
    templates::registerTemplateFunctions(r);
    text::registerThaiFunctions(r);
    errors::ERRORSYS();
    auto pub = [&](const char* name, Value v) { r.memvars.declarePublic(name) = std::move(v); };
    pub("CDRV1", Value::chr((dir / "master").string() + "/"));
    pub("CDRV4", Value::chr((dir / "work").string() + "/"));
    pub("CUSER", Value::chr("TESTER7"));
    pub("CREPCODE", Value::chr("TEST01    "));
    pub("CREPNAME", Value::chr("รายงานทดสอบ"_th));
    pub("CHLINE", Value::chr("บริษัท ทดสอบ จำกัด"_th));
    for (int i = 1; i <= 6; ++i) {
      std::string k = std::to_string(i);
      pub(("CFONT" + k).c_str(), Value::chr("EucrosiaUPC"));
      pub(("CWIDTH" + k).c_str(), Value::chr("0"));
      pub(("CHEIGHT" + k).c_str(), Value::chr(i <= 3 ? "-10" : "30"));
    }
    pub("CPRNFAC", Value::num(2, 0));
    pub("CPEN1", Value::chr("1"));
    pub("CPEN2", Value::chr("3"));
    pub("CPEN3", Value::chr("6"));
    pub("CLINEINCH", Value::chr("6"));
    pub("CREPFOOT", Value::chr("4"));
    pub("NFONTRATIO", Value::num(1, 0));
    pub("CBMETER", Value::chr("1"));
  }
  void TearDown() override {
    platform::setPrintTarget(nullptr);
    platform::setUi(nullptr);
    areas.closeAll();
    r.areas = nullptr;
    fs::remove_all(dir);
  }
  // A work table of n records: group, code, name, quantity.
  void workTable(int n) {
    rdd::Area* a = areas.create((dir / "work" / "D_TESTER.dbf").string(),
                                {{"GRP", 'C', 2, 0}, {"CODE", 'C', 6, 0}, {"NAME", 'C', 20, 0}, {"QTY", 'N', 10, 2}},
                                "RepData");
    for (int i = 1; i <= n; ++i) {
      a->append();
      a->putField(0, Value::chr(i <= n / 2 ? "G1" : "G2"));
      a->putField(1, Value::chr("P" + std::to_string(1000 + i)));
      a->putField(2, Value::chr(std::string("สินค้า "_th) + std::to_string(i)));
      a->putField(3, Value::num(i * 1.5, 2));
    }
    a->goTop();
  }
  void templateFile(const std::string& utf8) {
    std::ofstream(dir / "master" / "TEST01.txt", std::ios::binary) << fromUtf8(utf8);
  }
  // The dump of the only job, compared with (or written to) its golden file.
  void expectGolden(const std::string& name) {
    ASSERT_EQ(target.jobs.size(), 1u);
    std::string got = target.jobs[0].second;
    std::string path = std::string(VEK_GOLDEN) + "/" + name + ".dump";
    if (std::getenv("VEK_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << got;
    std::ifstream in(path, std::ios::binary);
    std::string want((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, want) << "page dump differs from " << path;
  }
  int count(const std::string& what) {
    const std::string& d = target.jobs.at(0).second;
    int n = 0;
    for (std::size_t p = d.find(what); p != std::string::npos; p = d.find(what, p + 1)) ++n;
    return n;
  }

  fs::path dir;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;
  platform::RecordingTarget target{testPaper()};
};

// Column guide:   1 3  6    12    18    24    30    36
const char* kHeadFoot =
    "* page head, details, page-break foot, run total\n"
    "H LF SAYC2 00400 CHLINE\n"
    "H LF SAYR1 00050 CREPNAME\n"
    "H NF SAYL1 00750 \"หน้า \"+ALLTRIM(STR(NPAGE))\n"
    "D LF SAYR1 00050 RepData->CODE\n"
    "D NF SAYR1 00150 RepData->NAME\n"
    "D NF SAYL1 00750 TRANSFORM(RepData->QTY,\"999,999.99\")\n"
    "D SM       00100 RepData->QTY\n"
    "F LF SAYC1 00400 \"ต่อหน้าถัดไป\"\n"
    "T LF SAYL2 00750 \"รวม \"+TRANSFORM(CTOT[1],\"999,999.99\")\n";

TEST_F(Engine, MetricsOfThePartsExample) {
  // 600 pixels per inch, 6600 high, 6 lines per inch, footer 4: 100 and 56.
  workTable(1);
  templateFile("D LF SAYR1 00050 STR(NLSPACE)+STR(NMAXL)\n");
  engine::REPSTART();
  EXPECT_NE(target.jobs.at(0).second.find("\"100        56\""), std::string::npos) << target.jobs[0].second;
}

TEST_F(Engine, OnePageHasNoFoot) {
  workTable(10);
  templateFile(kHeadFoot);
  engine::REPSTART();
  EXPECT_EQ(count("\npage "), 1);
  EXPECT_EQ(count("ต่อหน้าถัดไป"), 0);
  expectGolden("head_one_page");
}

TEST_F(Engine, OnePagePlusOneRecord) {
  // 56 lines a page, two for the head: 54 details fit on page 1.
  workTable(55);
  templateFile(kHeadFoot);
  engine::REPSTART();
  EXPECT_EQ(count("\npage "), 2);
  EXPECT_EQ(count("ต่อหน้าถัดไป"), 1);  // at the foot of page 1 only
  EXPECT_EQ(count("หน้า 2"), 1);
  EXPECT_NE(target.jobs[0].second.find("รวม     123.20") == std::string::npos
                ? target.jobs[0].second.find("รวม   2,310.00")
                : 0,
            std::string::npos);
  expectGolden("head_page_break");
}

TEST_F(Engine, GroupsBlocksSlotsAndPageEjects) {
  workTable(6);
  templateFile(
      "I,GROUP RepData->GRP\n"
      "i,block RepData->GRP+LEFT(RepData->CODE,4)\n"
      "g lf sayr2 00050 \"กลุ่ม \"+RepData->GRP\n"
      "B LF SAYR1 00100 \"ช่วง \"+LEFT(RepData->CODE,4)\n"
      "D LF SAYR1 00150 RepData->CODE\n"
      "D SM       00200 RepData->QTY\n"
      "D SM       04100 RepData->QTY\n"
      "D NA       00100 RepData->NAME\n"
      "D NA       01100 RepData->NAME\n"
      "E LF SAYR1 00100 \"จบช่วง \"+STR(NSUB,3)\n"
      "S LF SAYR2 00100 \"รวมกลุ่ม \"+STR(CSUM[2],8,2)+\" \"+TRIM(CDNAME[1])\n"
      "S EJ\n"
      "T LF SAYR2 00100 \"รวมทั้งสิ้น \"+STR(CTOT[2],8,2)+STR(NITEM,3)\n");
  engine::REPSTART();
  EXPECT_EQ(count("\npage "), 2);  // EJ in S: the second group starts a page
  expectGolden("groups_blocks");
}

TEST_F(Engine, RulesImagesAndAbsoluteText) {
  workTable(3);
  templateFile(
      "H LH LINE2 00050 00750\n"
      "H NH\n"
      "D LF SAYR1 00100 RepData->CODE+REPLINE(1)\n"
      "D NF SAYR1 00300 REPLINE(0)\n"
      "D LI LINE1 00050 00750\n"
      "D LH LINE1 00050 00750\n"
      "T LV LINE3 00050\n"
      "T LV LINE3 00750\n"
      "T LX LINE1 00400 00200 00500\n"
      "T LN LINE1 00100 00100 00200 00700\n"
      "T LO SAYC3 01000 00400 \"ท้ายรายงาน\"\n"
      "T LF IMAGE 00300 00100 00200 00100 logo.bmp\n");
  engine::REPSTART();
  expectGolden("rules");
}

TEST_F(Engine, AnExpressionErrorReachesTheHandler) {
  workTable(2);
  templateFile("D LF SAYR1 00100 RepData->NOSUCH\nD NF SAYR1 00300 RepData->CODE\n");
  ui.errorChoice = platform::ErrorChoice::Default;
  engine::REPSTART();
  // Per record: the unknown field, then its default (.F.) that is no text. The run goes on.
  ASSERT_EQ(ui.errors.size(), 4u);
  EXPECT_NE(ui.errors[0].description.find("BASE/1003"), std::string::npos);
  EXPECT_NE(ui.errors[1].description.find("BASE/1122"), std::string::npos);
  EXPECT_EQ(count("P1001"), 1);
  fs::remove("Error.log");
}

TEST_F(Engine, MessagesWhenThereIsNothingToPrint) {
  workTable(0);
  templateFile(kHeadFoot);
  engine::REPSTART();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "ไม่มีข้อมูลในช่วงที่ระบุ");
  areas.closeAll();
  workTable(2);
  fs::remove(dir / "master" / "TEST01.txt");
  engine::REPSTART();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(toUtf8(ui.messages[1].first), "ไม่พบแฟ้มรูปแบบรายงาน");
  EXPECT_EQ(toUtf8(ui.messages[1].second), "รายงานทดสอบ");
  EXPECT_TRUE(target.jobs.empty());
}

}  // namespace

namespace {

TEST_F(Engine, StockMovementEngineGroupsAndSkipsDeletedRows) {
  rdd::Area* a = areas.create((dir / "work" / "D_TESTER.dbf").string(),
                              {{"GROUP", 'C', 4, 0}, {"CODE", 'C', 6, 0}, {"UNIT", 'C', 4, 0}, {"WHOUSE", 'C', 4, 0},
                               {"DOC_DATE", 'D', 8, 0}, {"SEQUEN", 'C', 1, 0}, {"STAT", 'C', 3, 0},
                               {"DOC_NO", 'C', 10, 0}, {"QTY", 'N', 10, 2}},
                              "RepData");
  struct Row {
    const char *code, *whouse, *doc;
    bool deleted;
  } rows[] = {{"P2", "A1", "D3", false}, {"P1", "A2", "D2", false}, {"P1", "A1", "D1", false}, {"P1", "A1", "D9", true}};
  for (auto& row : rows) {
    a->append();
    a->putField(1, Value::chr(row.code));
    a->putField(2, Value::chr("PCS"));
    a->putField(3, Value::chr(row.whouse));
    a->putField(4, Value::dateValue(encodeDate(2008, 1, 5)));
    a->putField(7, Value::chr(row.doc));
    if (row.deleted) a->deleteRecord();
  }
  areas.closeAll();
  r.memvars.lookup("CREPCODE")->s = "IVACC1  5 ";  // character 6 "1": code, unit and warehouse; 8 "5": index with warehouse
  std::ofstream(dir / "master" / "IVACC1  5.txt", std::ios::binary) << fromUtf8(
      "G LF SAYR2 00050 \"สินค้า \"+TRIM(detail->CODE)+\" \"+detail->WHOUSE\n"
         "D LF SAYR1 00100 detail->DOC_NO\n"
         "S LF SAYR1 00100 \"รวม \"+STR(NSUM,2)\n"
         "T LF SAYR1 00100 \"ทั้งหมด \"+STR(NITEM,2)\n");
  engine::REPIVSTART();
  ASSERT_EQ(target.jobs.size(), 1u);
  const std::string& d = target.jobs[0].second;
  // In index order: P1 A1 (D1; D9 deleted), P1 A2 (D2), P2 A1 (D3).
  std::size_t p1 = d.find("\"สินค้า P1 A1\""), p2 = d.find("\"สินค้า P1 A2\""), p3 = d.find("\"สินค้า P2 A1\"");
  EXPECT_TRUE(p1 < p2 && p2 < p3) << d;
  EXPECT_EQ(d.find("D9"), std::string::npos);
  EXPECT_NE(d.find("\"ทั้งหมด  3\""), std::string::npos) << d;
  EXPECT_EQ(count("\"รวม  1\""), 3);
}

}  // namespace

namespace {

TEST_F(Engine, AHeadThatFillsThePageStillLeavesOneDetail) {
  workTable(3);
  r.memvars.lookup("CREPFOOT")->s = "70";  // no room at all: NMAXL would be below 1
  templateFile("H LF SAYR1 00050 \"head\"+REPLINE(80)\nD LF SAYR1 00050 RepData->CODE\n");
  engine::REPSTART();
  EXPECT_EQ(count("\npage "), 3) << target.jobs[0].second;  // one detail a page, and the run ends
  EXPECT_EQ(count("P100"), 3);
}

}  // namespace
