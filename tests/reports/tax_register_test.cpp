// The tax registers' work tables: which tax lines are listed, in which
// order, and the VAT-rate class of each line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "data/schemas.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "reports/tax_ledger/tax_register.h"
#include "xbase/dates.h"
#include "xbase/cp874.h"
#include "xbase/runtime.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

class TaxRegister : public ::testing::Test {
 protected:
  void SetUp() override {
    static int n = 0;
    dir = fs::temp_directory_path() / ("vt" + std::to_string(::getpid()) + "_" + std::to_string(++n));
    fs::remove_all(dir);
    fs::create_directories(dir / "m");
    fs::create_directories(dir / "w");
    r.areas = &areas;
    platform::setUi(&ui);
    auto pub = [&](const char* name, Value v) { r.memvars.declarePublic(name) = std::move(v); };
    pub("CDRV1", Value::chr((dir / "m").string() + "/"));
    pub("CDRV2", Value::chr(dir.string() + "/"));
    pub("CDRV4", Value::chr((dir / "w").string() + "/"));
    pub("CUSER", Value::chr("ANNA"));
    pub("CREPNAME", Value::chr("Tax"));
    pub("CBMETER", Value::chr("1"));
    pub("CREPCODE", Value::chr("IVTAX1"));
    pub("CPERIOD", Value::chr("12/2026"));
    pub("CDAYBEG", Value::dateValue(encodeDate(2026, 12, 1)));
    pub("CDAYEND", Value::dateValue(encodeDate(2026, 12, 20)));
    pub("CSECBEG", Value::chr("ACC"));
    pub("CSECEND", Value::chr("PUR"));
    pub("CRATE1", Value::num(0, 2));
    pub("CRATE2", Value::num(7, 2));
    pub("NACTUAL", Value::integer(0));
    rdd::Area* books = areas.create((dir / "m" / "AccBook.dbf").string(),
                                    {{"CODE", 'C', 3, 0}, {"NAME", 'C', 40, 0}, {"VAT", 'C', 1, 0}}, "B");
    for (auto [code, vat] : {std::pair{"PUR", "B"}, std::pair{"SAL", "S"}, std::pair{"JV1", " "}}) {
      books->append();
      books->putField(0, Value::chr(code));
      books->putField(2, Value::chr(vat));
    }
    areas.closeAll();
    for (const char* book : {"PUR", "SAL"}) {
      data::DBFCREA("VCH1", "202612", std::string(book) + "26121");
      data::DBFCREA("VCH3", "202612", std::string(book) + "26123");
    }
  }
  void TearDown() override {
    platform::setUi(nullptr);
    areas.closeAll();
    r.areas = nullptr;
    fs::remove_all(dir);
  }

  enum class Head { Present, Deleted, Missing };
  struct Line {
    const char* taxNo;
    int day;
    double value, vat;
    const char* section = "ACC";
    Head head = Head::Present;
    const char* book = "PUR";
  };
  // Writes the month's vouchers: a head (unless missing) and a tax line each.
  void vouchers(const std::vector<Line>& lines) {
    fs::path month = dir / "D_202612";
    int n = 0;
    for (const Line& l : lines) {
      std::string doc = std::string(l.book) + std::to_string(1000 + ++n);
      if (l.head != Head::Missing) {
        rdd::Area* h = areas.use((month / (std::string(l.book) + "26121.dbf")).string(), "H", rdd::OpenMode::Exclusive);
        h->append();
        h->putField(h->fieldIndex("DOC_NO"), Value::chr(doc));
        if (l.head == Head::Deleted) h->deleteRecord();
        areas.close(h->number());
      }
      rdd::Area* t = areas.use((month / (std::string(l.book) + "26123.dbf")).string(), "T", rdd::OpenMode::Exclusive);
      t->append();
      t->putField(t->fieldIndex("DOC_NO"), Value::chr(doc));
      t->putField(t->fieldIndex("TAX_NO"), Value::chr(l.taxNo));
      t->putField(t->fieldIndex("TAX_DATE"), Value::dateValue(encodeDate(2026, 12, l.day)));
      t->putField(t->fieldIndex("SECTION"), Value::chr(l.section));
      t->putField(t->fieldIndex("AMTOT"), Value::num(l.value, 2));
      t->putField(t->fieldIndex("AMVAT"), Value::num(l.vat, 2));
      areas.close(t->number());
    }
    // The monthly tables carry their indexes, as the suite keeps them.
    for (const char* name : {"PUR26121", "PUR26123", "SAL26121", "SAL26123"}) {
      rdd::Area* a = areas.use((month / (std::string(name) + ".dbf")).string(), "X", rdd::OpenMode::Exclusive);
      a->createOrder((month / (std::string(name) + ".ntx")).string(), "doc_no");
      areas.close(a->number());
    }
  }
  // The work table's rows in index order: tax number and its amounts.
  std::vector<std::string> rows(const std::vector<const char*>& amounts) {
    std::vector<std::string> out;
    rdd::Area* w = areas.area("RepData");
    if (!w) return out;
    for (w->goTop(); !w->eof(); w->skip(1)) {
      std::string row = w->getField(w->fieldIndex("TAX_NO")).s;
      while (!row.empty() && row.back() == ' ') row.pop_back();
      for (const char* f : amounts) {
        char b[32];
        std::snprintf(b, sizeof b, " %.2f", w->getField(w->fieldIndex(f)).n);
        row += b;
      }
      out.push_back(row);
    }
    return out;
  }

  fs::path dir;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;
};

TEST_F(TaxRegister, ListsTheMonthsTaxLinesByDateThenNumber) {
  vouchers({{"TX-2", 5, 100, 7},
            {"TX-1", 5, 200, 14},
            {"TX-0", 3, 300, 21, "PUR"},
            {"NOHEAD", 4, 10, 0.7, "ACC", Head::Missing},
            {"CANCEL", 4, 10, 0.7, "ACC", Head::Deleted},
            {"", 4, 50, 3.5},
            {"OTHERSEC", 4, 10, 0.7, "WHS"},
            {"LATE", 25, 10, 0.7},
            {"SALES", 4, 10, 0.7, "ACC", Head::Present, "SAL"}});
  ASSERT_TRUE(reports::IVTAXCREATE());
  EXPECT_EQ(rows({"AMTOT", "AMVAT"}), (std::vector<std::string>{"TX-0 300.00 21.00", "TX-1 200.00 14.00",
                                                                   "TX-2 100.00 7.00"}));
  // The sales side reads only the sales books.
  r.memvars.lookup("CREPCODE")->s = "IVTAX3";
  ASSERT_TRUE(reports::IVTAXCREATE());
  EXPECT_EQ(rows({"AMTOT"}), (std::vector<std::string>{"SALES 10.00"}));
}

TEST_F(TaxRegister, NothingToListSaysSo) {
  vouchers({{"", 4, 50, 3.5}});
  EXPECT_FALSE(reports::IVTAXCREATE());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].first, std::string("ไม่มีข้อมูลตามเงื่อนไขที่ระบุ"_th));
}

// Each line's class by its effective rate: within one point (exclusive) of
// the second rate, else of the first, else not listed.
TEST_F(TaxRegister, VatClassesByEffectiveRate) {
  struct Case {
    const char* taxNo;
    double value, vat, rate1, rate2;
    const char* row;  // nullptr: not listed
  } cases[] = {
      {"R7", 1000, 70, 0, 7, "R7 0.00 0.00 1000.00 70.00"},
      {"R0", 1000, 0, 0, 7, "R0 1000.00 0.00 0.00 0.00"},
      {"R10", 1000, 100, 0, 7, nullptr},
      {"ZERO", 0, 0, 0, 7, "ZERO 0.00 0.00 0.00 0.00"},
      {"R7.5", 1000, 75, 0, 7, "R7.5 0.00 0.00 1000.00 75.00"},
      {"R8", 1000, 80, 0, 7, nullptr},
      {"CREDIT", -1000, -70, 0, 7, "CREDIT 0.00 0.00 -1000.00 -70.00"},
      {"BOTH", 1000, 68, 6.5, 7, "BOTH 0.00 0.00 1000.00 68.00"},
      {"FIRST", 1000, 60, 6.5, 7.5, "FIRST 1000.00 60.00 0.00 0.00"},
  };
  r.memvars.lookup("CREPCODE")->s = "IVVAT1";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.taxNo);
    areas.closeAll();
    fs::remove_all(dir / "D_202612");
    data::DBFCREA("VCH1", "202612", "PUR26121");
    data::DBFCREA("VCH3", "202612", "PUR26123");
    data::DBFCREA("VCH1", "202612", "SAL26121");
    data::DBFCREA("VCH3", "202612", "SAL26123");
    vouchers({{c.taxNo, 4, c.value, c.vat}, {"ANCHOR", 6, 100, 7}});
    *r.memvars.lookup("CRATE1") = Value::num(c.rate1, 2);
    *r.memvars.lookup("CRATE2") = Value::num(c.rate2, 2);
    ASSERT_TRUE(reports::IVTAX2CREATE());
    std::vector<std::string> got = rows({"AMTOT1", "AMVAT1", "AMTOT2", "AMVAT2"});
    std::vector<std::string> want;
    if (c.row) want.push_back(c.row);
    if (c.rate2 == 7 || c.rate2 == 7.5) want.push_back(std::string("ANCHOR 0.00 0.00 100.00 7.00"));
    EXPECT_EQ(got, want);
  }
}

}  // namespace
