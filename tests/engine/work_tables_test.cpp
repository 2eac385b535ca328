// The stock-movement work table: brought-forward rows, movement values,
// running balances, the month loop and its failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "data/schemas.h"
#include "data/table_access.h"
#include "engine/work_tables.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

class StockBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    static int n = 0;
    dir = fs::temp_directory_path() / ("vw" + std::to_string(::getpid()) + "_" + std::to_string(++n));
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
    pub("CREPNAME", Value::chr("Stock"));
    pub("CBMETER", Value::chr("1"));
    for (const char* stem : {"COD", "WHO", "UNI", "GRO"}) {
      pub((std::string("C") + stem + "BEG").c_str(), Value::chr(""));
      pub((std::string("C") + stem + "END").c_str(), Value::chr("ZZZZ"));
    }
    pub("CDAYBEG", Value::dateValue(encodeDate(2026, 1, 5)));
    pub("CDAYEND", Value::dateValue(encodeDate(2026, 3, 31)));
    pub("CREPCODE", Value::chr("IVACC1  5"));
    pub("CREPSAY", Value::chr(""));
    pub("NACTUAL", Value::integer(0));
    rdd::Area* p = areas.create((dir / "m" / "PRODUCT.DBF").string(),
                                {{"CODE", 'C', 20, 0}, {"CODE2", 'C', 20, 0}, {"BARCODE", 'C', 13, 0}, {"GROUP", 'C', 4, 0}},
                                "X");
    for (const char* c : {"P1", "P2"}) {
      p->append();
      p->putField(0, Value::chr(c));
      p->putField(3, Value::chr("G1"));
    }
    areas.closeAll();
    ASSERT_TRUE(data::OPENPROD());
  }
  void TearDown() override {
    platform::setUi(nullptr);
    areas.closeAll();
    r.areas = nullptr;
    fs::remove_all(dir);
  }
  struct Tx {
    const char* code;
    int day;
    const char* stat;
    double qty, cost;
    const char* wh = "A1";
  };
  void month(const char* period, std::vector<Tx> txs) {
    data::DBFCREA("IV__", period, std::string("IV_") + (period + 2));
    rdd::Area* a = areas.use((dir / (std::string("D_") + period) / (std::string("IV_") + (period + 2) + ".dbf")).string(),
                             "IVX", rdd::OpenMode::Exclusive);
    int y = std::atoi(std::string(period, 4).c_str()), m = std::atoi(period + 4);
    int n = 0;
    for (const Tx& t : txs) {
      a->append();
      a->putField(a->fieldIndex("CODE"), Value::chr(t.code));
      a->putField(a->fieldIndex("UNIT"), Value::chr("PCS"));
      a->putField(a->fieldIndex("WHOUSE"), Value::chr(t.wh));
      a->putField(a->fieldIndex("DOC_NO"), Value::chr("D" + std::to_string(m * 100 + ++n)));
      a->putField(a->fieldIndex("DOC_DATE"), Value::dateValue(encodeDate(y, m, t.day)));
      a->putField(a->fieldIndex("STAT"), Value::chr(t.stat));
      a->putField(a->fieldIndex("QTY"), Value::num(t.qty, 5));
      a->putField(a->fieldIndex("COST"), Value::num(t.cost, 5));
    }
    areas.close(a->number());
  }
  // The work table as lines: doc, qty in/out, value in/out, balances.
  std::vector<std::string> rows() {
    std::vector<std::string> out;
    rdd::Area* w = areas.area("Repdata");
    for (w->goTop(); !w->eof(); w->skip(1)) {
      char b[200];
      auto n = [&](const char* f) { return w->getField(w->fieldIndex(f)).n; };
      std::snprintf(b, sizeof b, "%s %s %s %g/%g %g/%g bal %g %g", w->getField(w->fieldIndex("CODE")).s.substr(0, 2).c_str(),
                    toUtf8(w->getField(w->fieldIndex("DOC_NO")).s).c_str(), w->getField(w->fieldIndex("SEQUEN")).s.c_str(),
                    n("QTY_IN"), n("QTY_OUT"), n("COST_IN"), n("COST_OUT"), n("QTY_BAL"), n("COST_BAL"));
      out.push_back(b);
    }
    return out;
  }
  fs::path dir;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;
};

TEST_F(StockBuild, MovementsBalancesAndOpeningRecordsOfTheFirstMonthOnly) {
  month("202601", {{"P1", 1, "BEG", 10, 2}, {"P1", 2, "REC", 5, 2}, {"P1", 9, "INV", -3, 2}, {"P1", 9, "REC", 0, 150},
                   {"P2", 20, "CHG", -5, 10}});
  month("202602", {{"P1", 1, "BEG", 99, 1}, {"P1", 3, "CAN", -1, -4}});
  month("202603", {});
  ASSERT_TRUE(engine::REPFCREATE());
  std::vector<std::string> want = {
      "P1  ยอดคงเหลือยกมา 0 15/0 30/0 bal 15 30",  // BEG and REC before 05/01 in one row
      "P1 D104            1 0/0 150/0 bal 15 180",    // value only: the REC sorts before the INV of that day
      "P1 D103            4 0/3 6/0 bal 12 186",       // quantity out, value in (the cost is positive)
      "P1 D202            5 0/1 0/4 bal 11 182",       // the February BEG is not counted
      "P2 D105            6 0/5 50/0 bal -5 50",       // quantity -5 and cost 10: out 5, value in 50
  };
  EXPECT_EQ(rows(), want);
  EXPECT_EQ(toUtf8(r.memvars.lookup("CREPSAY")->s), "ข้อมูลสินค้าคงคลัง เดือน 03/2026");
}

TEST_F(StockBuild, OneBroughtForwardRowPerTransactionWithCharacter7) {
  month("202601", {{"P1", 1, "BEG", 10, 2}, {"P1", 2, "REC", 5, 2}, {"P1", 6, "INV", -1, 2}});
  r.memvars.lookup("CDAYEND")->date = encodeDate(2026, 1, 31);
  r.memvars.lookup("CREPCODE")->s = "IVACC14 5";
  ASSERT_TRUE(engine::REPFCREATE());
  auto got = rows();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].rfind("P1  ยอดคงเหลือยกมา 0 10/0", 0), 0u) << got[0];
  EXPECT_EQ(got[1].rfind("P1  ยอดคงเหลือยกมา 0 5/0", 0), 0u) << got[1];
}

TEST_F(StockBuild, AYearEndAndAMissingMonth) {
  month("202512", {{"P1", 20, "REC", 1, 1}});
  month("202601", {{"P1", 2, "REC", 1, 1}});
  r.memvars.lookup("CDAYBEG")->date = encodeDate(2025, 12, 1);
  r.memvars.lookup("CDAYEND")->date = encodeDate(2026, 1, 31);
  ASSERT_TRUE(engine::REPFCREATE());
  EXPECT_EQ(rows().size(), 2u);
  r.memvars.lookup("CDAYEND")->date = encodeDate(2026, 2, 28);  // no February table
  EXPECT_FALSE(engine::REPFCREATE());
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(toUtf8(ui.messages.back().first).rfind("ไม่พบแฟ้ม:", 0), 0u);
  EXPECT_NE(ui.messages.back().first.find("D_202602\\IV_2602"), std::string::npos);
}

}  // namespace

namespace {

class AccountBuild : public StockBuild {
 protected:
  void SetUp() override {
    StockBuild::SetUp();
    for (const char* stem : {"SEC", "DOC", "JOB", "JNO"}) {
      r.memvars.declarePublic((std::string("C") + stem + "BEG").c_str(), Value::chr(""));
      r.memvars.declarePublic((std::string("C") + stem + "END").c_str(), Value::chr("ZZZZZZZZZZZZZZZ"));
    }
  }
  struct Ar {
    const char* code;
    int y, m, d;
    const char* stat;
    double amount;
    const char* doc;
    const char* ref = "";
  };
  void arMonth(const char* period, std::vector<Ar> txs) {
    data::DBFCREA("AR__", period, std::string("AR_") + (period + 2));
    rdd::Area* a = areas.use((dir / (std::string("D_") + period) / (std::string("AR_") + (period + 2) + ".dbf")).string(),
                             "ARX", rdd::OpenMode::Exclusive);
    for (const Ar& t : txs) {
      a->append();
      a->putField(a->fieldIndex("CODE"), Value::chr(t.code));
      a->putField(a->fieldIndex("DOC_NO"), Value::chr(t.doc));
      a->putField(a->fieldIndex("REF_NO"), Value::chr(t.ref));
      a->putField(a->fieldIndex("DOC_DATE"), Value::dateValue(encodeDate(t.y, t.m, t.d)));
      a->putField(a->fieldIndex("STAT"), Value::chr(t.stat));
      a->putField(a->fieldIndex("AMOUNT"), Value::num(t.amount, 2));
    }
    areas.close(a->number());
  }
  std::vector<std::string> ledgerRows() {
    std::vector<std::string> out;
    rdd::Area* w = areas.area("Repdata");
    auto n = [&](const char* f) { return w->getField(w->fieldIndex(f)).n; };
    auto t = [&](const char* f) { return trimmedText(w->getField(w->fieldIndex(f)).s); };
    for (w->goTop(); !w->eof(); w->skip(1)) {
      char b[200];
      std::snprintf(b, sizeof b, "%s %s %s %g/%g bal %g", t("CODE").c_str(), t("DOC_NO").c_str(), t("REF_NO").c_str(),
                    n("AMT_IN"), n("AMT_OUT"), n("AMT_BAL"));
      out.push_back(b);
    }
    return out;
  }
  static std::string trimmedText(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    std::size_t b = s.find_first_not_of(' ');
    return toUtf8(b == std::string::npos ? std::string() : s.substr(b));
  }
};

TEST_F(AccountBuild, LedgerSignRuleBroughtForwardAndEarlierMonths) {
  r.memvars.lookup("CREPCODE")->s = "ARACC";
  r.memvars.lookup("CDAYBEG")->date = encodeDate(2026, 3, 1);
  r.memvars.lookup("CDAYEND")->date = encodeDate(2026, 5, 31);
  arMonth("202603", {{"C1", 2026, 2, 10, "INV", 500, "I1"},   // before the range: brought forward
                     {"C1", 2026, 3, 2, "ARR", -1000, "P1", "I9"},
                     {"C2", 2026, 2, 20, "INV", 70, "I2"},
                     {"C2", 2026, 2, 21, "INV", 30, "I3"}});
  arMonth("202604", {{"C1", 2026, 2, 10, "INV", 500, "I1"},   // a February document still in April: not again
                     {"C1", 2026, 4, 5, "INV", 200, "I4"}});
  arMonth("202605", {});
  ASSERT_TRUE(engine::REPFCREATE());
  std::vector<std::string> want = {
      "C1 ยอดคงเหลือยกมา  0/0 bal 500",
      "C1 I9 P1 0/1000 bal -500",  // a payment: the reference becomes the document
      "C1 I4  200/0 bal -300",
      "C2 ยอดคงเหลือยกมา  0/0 bal 100",  // only earlier transactions: one row, their sum
  };
  EXPECT_EQ(ledgerRows(), want);
}

TEST_F(AccountBuild, StatementDuplicatesAndSettledDocuments) {
  r.memvars.lookup("CDAYEND")->date = encodeDate(2026, 3, 31);
  arMonth("202603", {{"C1", 2026, 3, 1, "INV", 100, "I1"},
                     {"C1", 2026, 3, 2, "INV", 50, "I1"},   // the same number again
                     {"C1", 2026, 3, 3, "INV", 80, "I2"},
                     {"C1", 2026, 3, 4, "ARR", -80, "I2"},  // I2 settled
                     {"C1", 2026, 3, 5, "RET", -10, "I1"}});
  r.memvars.lookup("CREPCODE")->s = "ARSTA";
  ASSERT_TRUE(engine::REPFCREATE());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "เลขเอกสาร I1 บริษัท C1 ซ้ำ\r\n01/03/2026 กับ 02/03/2026");
  rdd::Area* w = areas.area("Repdata");
  auto n = [&](const char* f) { return w->getField(w->fieldIndex(f)).n; };
  EXPECT_EQ(w->recCount(), 2);
  w->goTop();
  EXPECT_EQ(n("AMOUNT"), 150);
  EXPECT_EQ(n("CANCEL"), 10);
  areas.closeAll();
  ASSERT_TRUE(data::OPENPROD());
  r.memvars.lookup("CREPCODE")->s = "ARSTA  6";  // only documents still open
  ASSERT_TRUE(engine::REPFCREATE());
  EXPECT_EQ(areas.area("Repdata")->recCount(), 1);
  areas.closeAll();
  ui.messages.clear();
  r.memvars.lookup("CREPCODE")->s = "ARSTA 1";  // a row per transaction: no duplicates
  ASSERT_TRUE(engine::REPFCREATE());
  EXPECT_EQ(areas.area("Repdata")->recCount(), 5);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AccountBuild, GeneralLedgerLayoutsAndTheOpeningBook) {
  rdd::Area* b = areas.create((dir / "m" / "AccBook.dbf").string(), {{"CODE", 'C', 3, 0}, {"POST", 'C', 1, 0}}, "B");
  for (const char* c : {"BGT", "GL0", "JV1"}) {
    b->append();
    b->putField(0, Value::chr(c));
    b->putField(1, Value::chr("Y"));
  }
  areas.close(b->number());
  int n = 0;
  auto vouchers = [&](const char* book, const char* period, int day, double debit) {
    std::string y = period + 2;
    data::DBFCREA("VCH1", period, std::string(book) + y + "1");
    data::DBFCREA("VCH2", period, std::string(book) + y + "2");
    fs::path f = dir / (std::string("D_") + period);
    rdd::Area* h = areas.use((f / (std::string(book) + y + "1.dbf")).string(), "H", rdd::OpenMode::Exclusive);
    rdd::Area* l = areas.use((f / (std::string(book) + y + "2.dbf")).string(), "L", rdd::OpenMode::Exclusive);
    std::string doc = "V" + std::to_string(++n);
    h->append();
    h->putField(h->fieldIndex("DOC_NO"), Value::chr(doc));
    h->putField(h->fieldIndex("DOC_DATE"), Value::dateValue(encodeDate(2026, std::atoi(period + 4), day)));
    l->append();
    l->putField(l->fieldIndex("DOC_NO"), Value::chr(doc));
    l->putField(l->fieldIndex("CODE"), Value::chr("1100"));
    l->putField(l->fieldIndex("DEBIT"), Value::num(debit, 2));
    areas.close(h->number());
    areas.close(l->number());
  };
  vouchers("BGT", "202601", 5, 1000);
  vouchers("GL0", "202601", 5, 300);
  vouchers("JV1", "202601", 9, 40);
  vouchers("GL0", "202602", 5, 999);  // an opening voucher outside the first month: ignored
  vouchers("JV1", "202603", 9, 2);
  r.memvars.lookup("CREPCODE")->s = "GLACC6";
  ASSERT_TRUE(engine::REPFCREATE());
  rdd::Area* w = areas.area("Repdata");
  ASSERT_EQ(w->recCount(), 1);
  w->goTop();
  auto v = [&](const char* f) { return w->getField(w->fieldIndex(f)).n; };
  EXPECT_EQ(v("DEBIT0"), 1000);
  EXPECT_EQ(v("DEBIT1"), 300);
  EXPECT_EQ(v("DEBIT2"), 42);
  // The other layouts over the same vouchers (V1 budget, V2 opening, V3 and V5 postings, V4 a late
  // opening): voucher, date empty or not, period debit and running balance, in the work table's order.
  struct Layout {
    const char* code;
    std::vector<std::string> rows;
  };
  const Layout layouts[] = {
      {"GLACC1", {"V1 d 1000 0", "V2 d 300 0", "V3 d 40 0", "V4 d 999 0", "V5 d 2 0"}},
      {"GLACC2", {"V2 e 300 300", "V3 d 40 340", "V5 d 2 342"}},
      {"GLACC3", {"V2 e 300 300", "V3 d 40 340", "V5 d 2 342"}},
      {"GLACC4", {"V2 e 300 300", "V3 d 40 340", "V5 d 2 342"}},
      {"GLACC5", {" e 42 0"}},  // totals per account and section, no running balance
      {"GLACC7", {"V2 e 300 300", "V3 d 40 340", "V5 d 2 342"}},
      {"GLACC8", {"V2 d 300 300", "V3 d 40 340", "V5 d 2 342"}},
      {"GLACC9", {}},
  };
  for (const Layout& layout : layouts) {
    areas.closeAll();
    ASSERT_TRUE(data::OPENPROD());
    r.memvars.lookup("CREPCODE")->s = layout.code;
    ASSERT_TRUE(engine::REPFCREATE()) << layout.code;
    rdd::Area* work = areas.area("Repdata");
    std::vector<std::string> got;
    for (work->goTop(); !work->eof(); work->skip(1)) {
      auto num = [&](const char* f) { return std::to_string(int(work->getField(work->fieldIndex(f)).n)); };
      std::string doc = work->getField(work->fieldIndex("DOC_NO")).s;
      doc.erase(doc.find_last_not_of(' ') + 1);
      got.push_back(doc + " " +
                    (work->getField(work->fieldIndex("DOC_DATE")).date ? "d" : "e") + " " + num("DEBIT2") + " " +
                    num("BALANCE2"));
    }
    EXPECT_EQ(got, layout.rows) << layout.code;
  }
}

}  // namespace
