// Opening, locking and appending with retries, as every writer of the program uses them.
#include <chrono>

#include "data_fixture.h"
#include "xbase/cp874.h"
#include "xbase/expr.h"

using namespace xbase;
using data::OPEN;

namespace {

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string bytesOf(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST_F(DataTest, OpenBuildsAMissingIndexAndRebuildsOnlyWhenExclusive) {
  makeCodes(folder() + "VENDOR.DBF", {"V2", "V1", "V3"});
  ASSERT_TRUE(OPEN(folder(), "VENDOR", "code", false, "vendors", "VENDOR", "Company"));
  rdd::Area* a = areas.area("Company");
  ASSERT_TRUE(a);
  EXPECT_EQ(a, areas.selected());
  EXPECT_EQ(trimmed(a->getField(0).s), "V1");  // in index order, on the first key
  std::string built = bytesOf(folder() + "VENDOR.NTX");
  ASSERT_FALSE(built.empty());

  // Same alias again: the area is closed and opened anew; the index stays.
  std::filesystem::last_write_time(folder() + "VENDOR.NTX",
                                   std::filesystem::last_write_time(folder() + "VENDOR.NTX") - std::chrono::hours(1));
  auto before = std::filesystem::last_write_time(folder() + "VENDOR.NTX");
  ASSERT_TRUE(OPEN(folder(), "VENDOR", "code", false, "vendors", "VENDOR", "Company"));
  EXPECT_EQ(std::filesystem::last_write_time(folder() + "VENDOR.NTX"), before);
  areas.closeAll();
  ASSERT_TRUE(OPEN(folder(), "VENDOR", "name+code", true, "vendors", "VENDOR"));
  EXPECT_NE(std::filesystem::last_write_time(folder() + "VENDOR.NTX"), before);  // exclusive: rebuilt
  EXPECT_EQ(areas.area("VENDOR")->orders()[0].index->header().keyExpr, "name+code");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DataTest, OpenMessagesAndEmptyIndexName) {
  EXPECT_FALSE(OPEN(folder(), "NOTHERE", "code", false, "สินค้า"_th.data(), "NOTHERE"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "ไม่พบแฟ้ม สินค้า");
  EXPECT_EQ(toUtf8(ui.messages[0].second), "  ส่วนการเปิดแฟ้ม");

  makeCodes(folder() + "EMPTYIDX.DBF", {"A"});
  ASSERT_TRUE(OPEN(folder(), "EMPTYIDX", "code", false, "x", ""));
  EXPECT_TRUE(std::filesystem::exists(folder() + ".NTX"));  // the path followed directly by ".NTX"
}

TEST_F(DataTest, OpenFailsQuietlyWhileAnotherStationHoldsTheTableThenSays) {
  makeCodes(folder() + "BUSY.DBF", {"A"});
  int os = 0;
  auto holder = rdd::File::open(folder() + "BUSY.DBF", rdd::OpenMode::Exclusive, os);
  ASSERT_TRUE(holder);
  EXPECT_FALSE(data::NET_USE(folder() + "BUSY", false, 0.3));
  EXPECT_TRUE(ui.messages.empty());  // retries are silent
  holder.reset();
  EXPECT_TRUE(data::NET_USE(folder() + "BUSY", false, 0.3));
}

TEST_F(DataTest, WritersLockAppendAndGiveUpAfterTheirAllowance) {
  makeCodes(folder() + "LOG.DBF", {"A", "B"});
  ASSERT_TRUE(OPEN(folder(), "LOG", "code", false, "log", "LOG"));
  rdd::Area* a = areas.selected();
  ASSERT_TRUE(data::ADD_REC(0));
  ASSERT_TRUE(data::REC_LOCK(0));
  evaluate("LOG->CODE := 'C'");
  a->table().unlockAll();
  EXPECT_EQ(a->recCount(), 3);

  // Another station holds record 1: a change of it waits its allowance, then gives up.
  auto other = rdd::DbfTable::open(folder() + "LOG.DBF", rdd::OpenMode::Shared);
  ASSERT_TRUE(other->lockRecord(1));
  a->goTo(1);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(data::REC_LOCK(1));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_THROW(evaluate("LOG->CODE := 'Z'"), ErrorException);  // writing without the lock is refused
  other->unlockAll();
  EXPECT_TRUE(evaluate("REC_LOCK(0)").b);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DataTest, ESeekPassesEveryKeyWithThePrefix) {
  makeCodes(folder() + "CUST.DBF", {"AA1", "AB1", "AB2", "AC1", "B1"});
  ASSERT_TRUE(OPEN(folder(), "CUST", "code", false, "c", "CUST"));
  rdd::Area* a = areas.selected();
  data::E_SEEK("AB");
  EXPECT_EQ(trimmed(a->getField(0).s), "AC1");
  EXPECT_FALSE(r.set.softseek);
  data::E_SEEK("");
  EXPECT_TRUE(a->eof());
  EXPECT_TRUE(evaluate("E_SEEK('A')").b);
  EXPECT_EQ(trimmed(a->getField(0).s), "B1");
}

TEST_F(DataTest, ProductMasterWithItsThreeIndexes) {
  r.memvars.declarePublic("CDRV1", Value::chr(folder()));
  EXPECT_FALSE(data::OPENPROD());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "ไม่พบแฟ้มรหัสสินค้า");
  rdd::Area* p = areas.create(folder() + "PRODUCT.DBF",
                              {{"CODE", 'C', 10, 0}, {"CODE2", 'C', 10, 0}, {"BARCODE", 'C', 13, 0}}, "TMP");
  const char* rows[][3] = {{"P2", "S1", "885"}, {"P1", "S2", "884"}};
  for (auto& row : rows) {
    p->append();
    for (int i = 0; i < 3; ++i) p->putField(i, Value::chr(row[i]));
  }
  areas.closeAll();
  ASSERT_TRUE(data::OPENPROD());
  rdd::Area* prod = areas.area("PRODUCT");
  ASSERT_EQ(prod->orders().size(), 3u);
  EXPECT_EQ(prod->order(), 1);
  EXPECT_EQ(trimmed(prod->getField(0).s), "P1");
  prod->setOrder(3);
  prod->goTop();
  EXPECT_EQ(trimmed(prod->getField(2).s), "884");
  areas.select(5);
  EXPECT_TRUE(data::OPENPROD());  // already open: only selected, orders untouched
  EXPECT_EQ(areas.selected(), prod);
  EXPECT_EQ(prod->order(), 3);
}

TEST_F(DataTest, WindowsPathsWithDriveLettersAndAnyCase) {
  std::filesystem::create_directories(dir / "acc" / "Data");
  makeCodes((dir / "acc" / "Data" / "employee.dbf").string(), {"E1"});
  rdd::setDriveMapping('F', dir.string());
  ASSERT_TRUE(OPEN("F:\\ACC\\DATA\\", "EMPLOYEE", "code", false, "staff", "EMPLOYEE"));
  EXPECT_TRUE(std::filesystem::exists(dir / "acc" / "Data" / "EMPLOYEE.NTX"));  // new files as named
  EXPECT_EQ(trimmed(areas.selected()->getField(0).s), "E1");
}

}  // namespace
