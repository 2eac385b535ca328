// Tables written by this layer: create, append, write, memo, index upkeep,
// pack, locks between stations, and damaged files refused cleanly.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/dbf_cli.h"
#include "rdd/area.h"
#include "xbase/dates.h"
#include "xbase/expr.h"
#include "xbase/runtime.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vek_rdd_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    r.areas = &areas;
  }
  void TearDown() override {
    areas.closeAll();
    r.areas = nullptr;
    fs::remove_all(dir);
  }
  std::string path(const std::string& name) { return (dir / name).string(); }
  std::vector<rdd::FieldDef> layout() {
    return {{"CODE", 'C', 10, 0}, {"QTY", 'N', 12, 3}, {"DDATE", 'D', 8, 0}, {"FLAG", 'L', 1, 0}, {"NOTE", 'M', 10, 0}};
  }
  std::vector<std::pair<long, std::string>> order(rdd::Area* a) {
    std::vector<std::pair<long, std::string>> out;
    for (a->goTop(); !a->eof(); a->skip(1)) out.emplace_back(a->recNo(), a->keyOf(a->orders()[std::size_t(a->order() - 1)]));
    return out;
  }
  bool check(const std::string& table, const std::string& ntx) {
    std::ostringstream out, err;
    int rc = app::runDbfCommand({"check", table, ntx}, out, err);
    if (rc != 0) ADD_FAILURE() << out.str() << err.str();
    return rc == 0;
  }

  fs::path dir;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
};

TEST_F(TableTest, ValuesSurviveWriteAndReopen) {
  rdd::Area* a = areas.create(path("t.dbf"), layout(), "T");
  ASSERT_TRUE(a);
  std::string longMemo(1500, 'x');
  longMemo += "\r\nจบ";
  struct Row {
    const char* code;
    double qty;
    int y;
    bool flag;
    std::string note;
  } rows[] = {{"A1", 12.5, 2008, true, ""}, {"B22", -1234.567, 1999, false, longMemo}, {"C", 0, 0, true, "short"}};
  for (auto& row : rows) {
    ASSERT_GT(a->append(), 0);
    a->putField(0, Value::chr(row.code));
    a->putField(1, Value::num(row.qty, 3));
    a->putField(2, Value::dateValue(row.y ? encodeDate(row.y, 2, 28) : 0));
    a->putField(3, Value::logical(row.flag));
    a->putField(4, Value::chr(row.note));
  }
  areas.closeAll();
  a = areas.use(path("t.dbf"), "", rdd::OpenMode::Shared);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->recCount(), 3);
  long i = 0;
  for (auto& row : rows) {
    a->goTo(++i);
    EXPECT_EQ(a->getField(0).s, std::string(row.code) + std::string(10 - std::strlen(row.code), ' '));
    EXPECT_DOUBLE_EQ(a->getField(1).n, row.qty);
    EXPECT_EQ(a->getField(1).width, 8);
    EXPECT_EQ(a->getField(2).date, row.y ? encodeDate(row.y, 2, 28) : 0);
    EXPECT_EQ(a->getField(3).b, row.flag);
    EXPECT_EQ(a->getField(4).s, row.note);
  }
  // The header: version with memo, record count, the end-of-file byte.
  std::ifstream in(path("t.dbf"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x83);
  EXPECT_EQ(bytes[4], 3);
  EXPECT_EQ(bytes.back(), '\x1A');
  EXPECT_EQ(static_cast<unsigned char>(bytes[32 + 5 * 32]), 0x0D);
}

TEST_F(TableTest, WritesThatDoNotFitAreRefused) {
  rdd::Area* a = areas.create(path("w.dbf"), layout(), "W");
  a->append();
  EXPECT_THROW(a->putField(1, Value::num(123456789.0, 0)), ErrorException);  // N 12,3 holds 8 places
  EXPECT_THROW(a->putField(0, Value::integer(5)), ErrorException);
  EXPECT_EQ(a->getField(1).n, 0);
}

TEST_F(TableTest, IndexKeptCurrentMatchesOneBuiltInOnePass) {
  rdd::Area* a = areas.create(path("m.dbf"), layout(), "M");
  ASSERT_TRUE(a->createOrder(path("m_code.ntx"), "code+dtos(ddate)"));
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) {
    a->append();
    a->putField(0, Value::chr("K" + std::to_string(rng() % 300)));  // many duplicates
    a->putField(2, Value::dateValue(encodeDate(2008, 1 + int(rng() % 12), 1)));
  }
  for (int i = 0; i < 800; ++i) {  // change key fields, some to keys already present
    a->goTo(long(1 + rng() % 3000));
    a->putField(0, Value::chr("K" + std::to_string(rng() % 350)));
  }
  auto maintained = order(a);
  ASSERT_EQ(maintained.size(), 3000u);
  EXPECT_TRUE(std::is_sorted(maintained.begin(), maintained.end(),
                             [](auto& x, auto& y) { return x.second != y.second ? x.second < y.second : x.first < y.first; }));
  areas.closeAll();
  EXPECT_TRUE(check(path("m.dbf"), path("m_code.ntx")));

  a = areas.use(path("m.dbf"), "", rdd::OpenMode::Exclusive);
  ASSERT_TRUE(a->createOrder(path("m_one.ntx"), "code+dtos(ddate)"));
  EXPECT_EQ(order(a), maintained);
  areas.closeAll();
  EXPECT_TRUE(check(path("m.dbf"), path("m_one.ntx")));
}

// Large tables are keyed and sorted in two halves at once; an index written
// over a larger one ends where its own pages end.
TEST_F(TableTest, LargeOnePassBuildsKeepEqualKeysInRecordOrder) {
  rdd::Area* a = areas.create(path("big.dbf"), layout(), "BIG");
  std::mt19937 rng(11);
  const long n = 70000;
  for (long i = 0; i < n; ++i) {
    a->append();
    a->putField(0, Value::chr("K" + std::to_string(rng() % 40)));
    a->putField(1, Value::num(double(rng() % 5), 3));
    a->putField(2, Value::dateValue(i % 7 ? encodeDate(2008, 1 + int(rng() % 12), 1) : 0));
  }
  struct Case {
    const char* key;
  } cases[] = {{"code+dtos(ddate)"}, {"code+str(qty,12,3)"}, {"code"}};
  std::uintmax_t firstSize = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ASSERT_TRUE(a->createOrder(path("big.ntx"), c.key));
    if (!firstSize) firstSize = fs::file_size(path("big.ntx"));
    auto rows = order(a);
    ASSERT_EQ(long(rows.size()), n);
    for (std::size_t i = 1; i < rows.size(); ++i) {
      ASSERT_LE(rows[i - 1].second, rows[i].second) << "at " << i;
      if (rows[i - 1].second == rows[i].second) {
        ASSERT_LT(rows[i - 1].first, rows[i].first) << "at " << i;
      }
    }
    areas.closeAll();
    EXPECT_TRUE(check(path("big.dbf"), path("big.ntx")));
    a = areas.use(path("big.dbf"), "BIG", rdd::OpenMode::Exclusive);
  }
  EXPECT_LT(fs::file_size(path("big.ntx")), firstSize);
}

// Exclusive opens hold rewritten records back and write them in blocks:
// every one must reach the file, read back correctly before and after.
TEST_F(TableTest, ExclusiveRewritesReachTheFile) {
  rdd::Area* a = areas.create(path("rw.dbf"), layout(), "RW");
  ASSERT_TRUE(a->createOrder(path("rw.ntx"), "CODE"));
  const long n = 60000;  // more than the appended records held back
  std::mt19937 rng(5);
  for (long i = 0; i < n; ++i) {
    a->append();
    a->putField(0, Value::chr("K" + std::to_string(rng() % 5000)));
  }
  for (a->goTop(); !a->eof(); a->skip(1)) a->putField(1, Value::num(double(a->recNo()) / 4, 3));
  for (long r : {1L, n / 2, n}) {
    a->goTo(r);
    EXPECT_DOUBLE_EQ(a->getField(1).n, double(r) / 4);
  }
  areas.closeAll();
  a = areas.use(path("rw.dbf"), "RW", rdd::OpenMode::Shared);
  long wrong = 0;
  for (long r = 1; r <= n; ++r) {
    a->goTo(r);
    if (a->getField(1).n != double(r) / 4) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  areas.closeAll();
  EXPECT_TRUE(check(path("rw.dbf"), path("rw.ntx")));
}

TEST_F(TableTest, DeletePackAndReopen) {
  rdd::Area* a = areas.create(path("p.dbf"), layout(), "P");
  a->createOrder(path("p.ntx"), "code");
  for (int i = 1; i <= 50; ++i) {
    a->append();
    a->putField(0, Value::chr("C" + std::to_string(100 - i)));
  }
  for (long rn = 2; rn <= 50; rn += 3) {
    a->goTo(rn);
    a->deleteRecord();
  }
  a->goTo(2);
  EXPECT_TRUE(a->deleted());  // deleted records stay visible
  a->pack();
  EXPECT_EQ(a->recCount(), 33);  // records 2, 5, ... 50 are gone
  areas.closeAll();
  EXPECT_TRUE(check(path("p.dbf"), path("p.ntx")));
  a = areas.use(path("p.dbf"), "", rdd::OpenMode::Shared);
  a->addOrder(path("p.ntx"));
  EXPECT_TRUE(a->seek(Value::chr("C51"), false));
  EXPECT_EQ(a->getField(0).s.substr(0, 3), "C51");
  EXPECT_FALSE(a->seek(Value::chr("C53"), false));  // record 47 was deleted and packed away
  EXPECT_TRUE(a->eof());
  EXPECT_FALSE(a->seek(Value::chr("C53"), true));
  EXPECT_EQ(a->getField(0).s.substr(0, 3), "C54");
}

TEST_F(TableTest, RecordPointerFilterAndRelation) {
  rdd::Area* parent = areas.create(path("h.dbf"), {{"DOC", 'C', 4, 0}, {"AMT", 'N', 8, 2}}, "Head");
  for (int i = 1; i <= 5; ++i) {
    parent->append();
    parent->putField(0, Value::chr("D" + std::to_string(i)));
    parent->putField(1, Value::num(i * 10.0, 2));
  }
  rdd::Area* child = areas.create(path("n.dbf"), {{"DOC", 'C', 4, 0}, {"TEXT", 'C', 10, 0}}, "Names");
  child->createOrder(path("n.ntx"), "doc");
  for (int i : {4, 2}) {
    child->append();
    child->putField(0, Value::chr("D" + std::to_string(i)));
    child->putField(1, Value::chr("name" + std::to_string(i)));
  }
  areas.select(parent->number());
  parent->setRelation("doc", child->number());
  parent->goTo(2);
  EXPECT_EQ(evaluate("TRIM(Names->TEXT)").s, "name2");
  // The same parent key again after the child moved on its own, or after its key changed: sought anew.
  child->goBottom();
  parent->goTo(2);
  EXPECT_EQ(evaluate("TRIM(Names->TEXT)").s, "name2");
  child->putField(0, Value::chr("D9"));
  parent->goTo(2);
  EXPECT_TRUE(child->eof());
  child->goBottom();
  child->putField(0, Value::chr("D2"));
  parent->goTo(2);
  EXPECT_EQ(evaluate("TRIM(Names->TEXT)").s, "name2");
  parent->skip(1);
  EXPECT_TRUE(child->eof());  // no match: the child stands on its blank phantom record
  EXPECT_EQ(evaluate("Names->TEXT").s, std::string(10, ' '));
  parent->setFilter("AMT > 25");
  parent->goTop();
  EXPECT_EQ(parent->recNo(), 3);
  parent->skip(-1);
  EXPECT_TRUE(parent->bof());
  EXPECT_EQ(parent->recNo(), 3);
  parent->goBottom();
  parent->skip(1);
  EXPECT_TRUE(parent->eof());
  EXPECT_EQ(parent->recNo(), 6);
  parent->skip(-1);
  EXPECT_EQ(parent->recNo(), 5);
}

TEST_F(TableTest, LocksAndOpenModesBetweenStations) {
  areas.create(path("l.dbf"), layout(), "L")->append();
  areas.closeAll();
  auto one = rdd::DbfTable::open(path("l.dbf"), rdd::OpenMode::Shared);
  auto two = rdd::DbfTable::open(path("l.dbf"), rdd::OpenMode::Shared);
  ASSERT_TRUE(one && two);
  EXPECT_TRUE(one->lockRecord(1));
  EXPECT_FALSE(two->lockRecord(1));
  EXPECT_TRUE(two->lockRecord(2));
  EXPECT_FALSE(two->lockFile());  // record 1 is held elsewhere
  one->unlockAll();
  EXPECT_TRUE(two->lockFile());
  two->unlockAll();
  try {
    rdd::DbfTable::open(path("l.dbf"), rdd::OpenMode::Exclusive);
    ADD_FAILURE() << "exclusive open while shared opens exist";
  } catch (const ErrorException& e) {
    EXPECT_EQ(e.error().genCode, EG_OPEN);
    EXPECT_EQ(e.error().osCode, 32);
    EXPECT_EQ(e.error().fileName, path("l.dbf"));
  }
}

// A row is written once when the writer lets go of it: another station sees
// the whole row after the unlock, and the index holds its final key only.
TEST_F(TableTest, FieldWritesReachOtherStationsWhenTheLockIsReleased) {
  areas.create(path("w.dbf"), layout(), "W");
  areas.closeAll();
  rdd::Area* a = areas.use(path("w.dbf"), "W", rdd::OpenMode::Shared);
  ASSERT_TRUE(a->createOrder(path("w.ntx"), "CODE"));
  auto other = rdd::DbfTable::open(path("w.dbf"), rdd::OpenMode::Shared);
  std::vector<char> rec(std::size_t(other->recordLength()));
  auto seen = [&](long n) {
    other->recCount();
    return other->readRecord(n, rec.data()) ? other->getValue(rec.data(), 0).s : std::string("?");
  };
  for (const char* code : {"B", "A"}) {
    ASSERT_GT(a->append(), 0);
    a->putField(0, Value::chr("TEMP"));
    a->putField(0, Value::chr(code));
    a->putField(1, Value::num(5, 3));
    EXPECT_EQ(seen(a->recNo()), std::string(10, ' ')) << "half a row is visible before the unlock";
    a->table().unlockAll();
    EXPECT_EQ(seen(a->recNo()), std::string(code) + std::string(9, ' '));
  }
  // Moving writes too: change a key and seek without releasing anything.
  a->goTo(1);
  ASSERT_TRUE(a->table().lockRecord(1));
  a->putField(0, Value::chr("C"));
  EXPECT_FALSE(a->seek(Value::chr("B"), false));
  EXPECT_TRUE(a->seek(Value::chr("C"), false));
  EXPECT_EQ(a->recNo(), 1);
  a->table().unlockAll();
  areas.closeAll();
  other.reset();
  EXPECT_TRUE(check(path("w.dbf"), path("w.ntx")));
}

// A station's seeks are served from its page cache while the index is
// unchanged; another station's change of a key shows at the next seek.
TEST_F(TableTest, SeeksSeeAnotherStationsKeyChanges) {
  areas.create(path("k.dbf"), layout(), "K");
  areas.closeAll();
  rdd::Area* one = areas.use(path("k.dbf"), "ONE", rdd::OpenMode::Shared);
  ASSERT_TRUE(one->createOrder(path("k.ntx"), "CODE"));
  for (const char* code : {"A", "B", "C"}) {
    ASSERT_GT(one->append(), 0);
    one->putField(0, Value::chr(code));
    one->table().unlockAll();
  }
  rdd::Area* two = areas.use(path("k.dbf"), "TWO", rdd::OpenMode::Shared);
  ASSERT_TRUE(two->addOrder(path("k.ntx")));
  struct Step {
    const char* from;  // station two changes this key ...
    const char* to;    // ... to this one
  } steps[] = {{"A", "Z"}, {"B", "A"}, {"Z", "B"}};
  for (const Step& st : steps) {
    SCOPED_TRACE(std::string(st.from) + " -> " + st.to);
    ASSERT_TRUE(one->seek(Value::chr(st.from), false));  // station one's cache holds the pages
    long rec = one->recNo();
    ASSERT_TRUE(two->seek(Value::chr(st.from), false));
    ASSERT_TRUE(two->table().lockRecord(two->recNo()));
    two->putField(0, Value::chr(st.to));
    two->table().unlockAll();
    EXPECT_TRUE(one->seek(Value::chr(st.to), false));
    EXPECT_EQ(one->recNo(), rec);
    if (one->seek(Value::chr(st.from), false)) {
      EXPECT_NE(one->recNo(), rec);
    }
  }
  areas.closeAll();
  EXPECT_TRUE(check(path("k.dbf"), path("k.ntx")));
}

TEST_F(TableTest, TwoProcessesAppendWithoutLosingOrDoublingRecords) {
  rdd::Area* a = areas.create(path("s.dbf"), {{"WHO", 'C', 1, 0}, {"SEQ", 'N', 6, 0}}, "S");
  a->createOrder(path("s.ntx"), "who+str(seq,6)");
  areas.closeAll();
  constexpr int kEach = 10000;
  pid_t kids[2];
  for (int k = 0; k < 2; ++k) {
    kids[k] = fork();
    if (kids[k] == 0) {
      int status = 0;
      try {
        Runtime cr;
        RuntimeScope cs(cr);
        rdd::Areas ca;
        cr.areas = &ca;
        rdd::Area* t = ca.use(path("s.dbf"), "", rdd::OpenMode::Shared);
        if (!t || !t->addOrder(path("s.ntx"))) status = 3;
        for (int i = 1; status == 0 && i <= kEach; ++i) {
          if (t->append() == 0) status = 4;
          t->putField(0, Value::chr(k ? "B" : "A"));
          t->putField(1, Value::integer(i));
          t->table().unlockAll();
        }
        ca.closeAll();
        cr.areas = nullptr;
      } catch (...) {
        status = 5;
      }
      _exit(status);
    }
  }
  for (pid_t kid : kids) {
    int st = 0;
    waitpid(kid, &st, 0);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << "child status " << st;
  }
  rdd::Area* t = areas.use(path("s.dbf"), "", rdd::OpenMode::Shared);
  EXPECT_EQ(t->recCount(), 2 * kEach);
  std::vector<int> seen(2 * kEach, 0);
  for (long rn = 1; rn <= t->recCount(); ++rn) {
    t->goTo(rn);
    int who = t->getField(0).s == "B" ? 1 : 0;
    int seq = int(t->getField(1).n);
    ASSERT_TRUE(seq >= 1 && seq <= kEach) << rn;
    ++seen[std::size_t(who * kEach + seq - 1)];
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 2 * kEach);
  areas.closeAll();
  EXPECT_TRUE(check(path("s.dbf"), path("s.ntx")));
}

TEST_F(TableTest, DamagedFilesAreRefusedNamingTheFileAndLeftUntouched) {
  rdd::Area* a = areas.create(path("g.dbf"), layout(), "G");
  a->createOrder(path("g.ntx"), "code");
  for (int i = 0; i < 40; ++i) {
    a->append();
    a->putField(0, Value::chr("X" + std::to_string(i)));
  }
  areas.closeAll();
  auto bytesOf = [](const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  };
  auto writeBytes = [](const std::string& p, const std::string& b) { std::ofstream(p, std::ios::binary) << b; };
  std::string dbf = bytesOf(path("g.dbf")), ntx = bytesOf(path("g.ntx"));

  struct Damage {
    const char* what;
    std::string dbfBytes, ntxBytes;
    const char* badFile;
  };
  std::string countBeyond = dbf;
  countBeyond[5] = 0x10;  // 4096+ records claimed
  std::string foreign = ntx;
  foreign[0] = 0x42;
  std::string wildPage = ntx;
  wildPage[4] = 0;
  wildPage[5] = 0;
  wildPage[6] = 0x40;  // root at 4 MB
  Damage cases[] = {
      {"truncated header", dbf.substr(0, 40), ntx, "g.dbf"},
      {"record count beyond the file", countBeyond, ntx, "g.dbf"},
      {"foreign index signature", dbf, foreign, "g.ntx"},
      {"page pointer outside the file", dbf, wildPage, "g.ntx"},
  };
  for (auto& c : cases) {
    writeBytes(path("g.dbf"), c.dbfBytes);
    writeBytes(path("g.ntx"), c.ntxBytes);
    try {
      rdd::Area* t = areas.use(path("g.dbf"), "", rdd::OpenMode::Shared);
      if (t) t->addOrder(path("g.ntx"));
      ADD_FAILURE() << c.what << ": no error";
    } catch (const ErrorException& e) {
      EXPECT_EQ(e.error().fileName, path(c.badFile)) << c.what;
    }
    areas.closeAll();
    EXPECT_EQ(bytesOf(path("g.dbf")), c.dbfBytes) << c.what;
    EXPECT_EQ(bytesOf(path("g.ntx")), c.ntxBytes) << c.what;
  }
  writeBytes(path("g.dbf"), dbf);
  rdd::Area* t = areas.use(path("g.dbf"), "", rdd::OpenMode::Exclusive);
  EXPECT_THROW(t->createOrder(path("bad.ntx"), "code+"), ErrorException);
  EXPECT_FALSE(fs::exists(path("bad.ntx")));
}

}  // namespace
