// Text files written and read by the table layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "rdd/area.h"
#include "rdd/textio.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"

using namespace xbase;

namespace {

class TextIo : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("vek_text_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    r.areas = &areas;
  }
  void TearDown() override {
    areas.closeAll();
    r.areas = nullptr;
    std::filesystem::remove_all(dir);
  }
  std::string path(const char* n) { return (dir / n).string(); }
  std::string bytes(const char* n) {
    std::ifstream in(path(n), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  std::filesystem::path dir;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
};

TEST_F(TextIo, BankFileLinesLoseTrailingBlanksAndEndWithTheMark) {
  rdd::Area* a = areas.create(path("bank.dbf"), {{"CODE", 'C', 30, 0}}, "Bank");
  for (std::string line : {std::string("H0001 บริษัท   "_th), std::string("D0002 1500.00"), std::string("   ")}) {
    a->append();
    a->putField(0, Value::chr(line));
  }
  ASSERT_TRUE(rdd::copyToDelimited(*a, path("data.txt"), rdd::Delimiter{0, true}));
  EXPECT_EQ(bytes("data.txt"), std::string("H0001 บริษัท"_th) + "\r\nD0002 1500.00\r\n\r\n\x1A");
}

TEST_F(TextIo, DelimitedAndSdfRoundTrip) {
  std::vector<rdd::FieldDef> layout{{"CODE", 'C', 8, 0}, {"QTY", 'N', 9, 2}, {"DDATE", 'D', 8, 0}, {"OK", 'L', 1, 0}};
  rdd::Area* a = areas.create(path("src.dbf"), layout, "Src");
  struct {
    const char* code;
    double qty;
    int day;
    bool ok;
  } rows[] = {{"A,1", -12.5, 3, true}, {"สินค้า", 1234.56, 0, false}};
  for (auto& row : rows) {
    a->append();
    a->putField(0, Value::chr(fromUtf8(row.code)));
    a->putField(1, Value::num(row.qty, 2));
    a->putField(2, Value::dateValue(row.day ? encodeDate(2008, 1, row.day) : 0));
    a->putField(3, Value::logical(row.ok));
  }
  ASSERT_TRUE(rdd::copyToDelimited(*a, path("d.txt")));
  EXPECT_EQ(bytes("d.txt"), "\"A,1\",-12.50,20080103,T\r\n\"" + fromUtf8("สินค้า") + "\",1234.56,,F\r\n\x1A");
  ASSERT_TRUE(rdd::copyToSdf(*a, path("s.txt")));
  EXPECT_EQ(bytes("s.txt").substr(0, 28), "A,1        -12.5020080103T\r\n");

  for (const char* file : {"d.txt", "s.txt"}) {
    rdd::Area* b = areas.create(path(file[0] == 'd' ? "fromd.dbf" : "froms.dbf"), layout, file);
    long n = file[0] == 'd' ? rdd::appendFromDelimited(*b, path(file)) : rdd::appendFromSdf(*b, path(file));
    ASSERT_EQ(n, 2) << file;
    for (long rn = 1; rn <= 2; ++rn) {
      a->goTo(rn);
      b->goTo(rn);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(a->getField(i).s + std::to_string(a->getField(i).n) + std::to_string(a->getField(i).date),
                                            b->getField(i).s + std::to_string(b->getField(i).n) + std::to_string(b->getField(i).date))
                                      << file << " record " << rn << " field " << i;
    }
  }
  EXPECT_THROW(rdd::appendFromSdf(*a, path("missing.txt")), ErrorException);
}

}  // namespace
