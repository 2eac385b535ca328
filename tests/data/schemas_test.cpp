// Monthly tables: names, folders, structures, and creating a month twice.
#include "data_fixture.h"
#include "data/schemas.h"
#include "platform/headless.h"
#include <algorithm>
#include "xbase/cp874.h"

using namespace xbase;

namespace {

TEST_F(DataTest, EveryPeriodFileHasAKnownStructure) {
  for (auto& f : data::periodFiles()) EXPECT_TRUE(data::structure(f.structure)) << f.prefix;
  EXPECT_EQ(data::structure("R01_")->size(), 35u);
  EXPECT_EQ(data::structure("REC_")->size(), 18u);
  const rdd::FieldDef& ex = data::structure("r01_")->back();
  EXPECT_EQ(ex.name, "EXCHANGE");
  EXPECT_EQ(ex.len, 12);
  EXPECT_EQ(ex.dec, 6);
  struct {
    const char* prefix;
    const char* want;
  } names[] = {{"R01_", "R01_0712"}, {"IV_", "IV_0712"}, {"ARO", "ARO07121"}, {"L_", "L_200712"}};
  for (auto& n : names) EXPECT_EQ(data::periodTableName({n.prefix, ""}, "200712"), n.want);
}

TEST_F(DataTest, DbfCreaMakesTheFolderKeepsExistingTablesAndDropsStaleIndexes) {
  r.memvars.declarePublic("CDRV2", Value::chr(folder()));
  data::DBFCREA("IV__", "200712", "IV_0712");
  std::string table = folder() + "D_200712/IV_0712.dbf";
  ASSERT_TRUE(std::filesystem::exists(table));
  auto t = rdd::DbfTable::open(table, rdd::OpenMode::ReadOnly);
  EXPECT_EQ(t->fields().size(), 9u);
  t.reset();

  // A second time: the table with data is left alone.
  rdd::Area* a = areas.use(table, "", rdd::OpenMode::Exclusive);
  a->append();
  areas.closeAll();
  std::ofstream(folder() + "D_200712/IV_0712.NTX") << "stale";
  data::DBFCREA("IV__", "200712", "IV_0712");
  EXPECT_EQ(rdd::DbfTable::open(table, rdd::OpenMode::ReadOnly)->recCount(), 1);
  EXPECT_TRUE(std::filesystem::exists(folder() + "D_200712/IV_0712.NTX"));

  // A new table whose folder held an index of its name loses that index.
  std::ofstream(folder() + "D_200712/CHG_0712.NTX") << "stale";
  data::DBFCREA("CHG_", "200712", "CHG_0712");
  EXPECT_FALSE(std::filesystem::exists(folder() + "D_200712/CHG_0712.NTX"));

  data::DBFCREA("NOPE", "200712", "X");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(toUtf8(ui.messages[0].first), "ไม่พบโครงสร้างแฟ้ม NOPE");
  EXPECT_EQ(toUtf8(ui.messages[0].second), " ส่วนการสร้างแฟ้มข้อมูล");
}

TEST_F(DataTest, DataCreaCreatesTheMonthAndTheBooksNotDeleted) {
  r.memvars.declarePublic("CDRV1", Value::chr(folder()));
  r.memvars.declarePublic("CDRV2", Value::chr(folder()));
  rdd::Area* books = areas.create(folder() + "AccBook.dbf", {{"CODE", 'C', 3, 0}, {"NAME", 'C', 20, 0}}, "B");
  for (const char* c : {"GL", "APO", "XX"}) {
    books->append();
    books->putField(0, Value::chr(c));
  }
  books->deleteRecord();  // XX
  areas.closeAll();
  bool asked = false;
  data::DATACREA("200801", [&](const std::string&) { return !(asked = !asked); });  // first time: refused
  EXPECT_FALSE(std::filesystem::exists(folder() + "D_200801"));
  data::DATACREA("200801", [](const std::string&) { return true; });
  for (const char* f : {"PO1_0801", "R01_0801", "IV_0801", "ARO08011", "L_200801", "GL08011", "GL08012", "GL08013",
                        "APO08012"})
    EXPECT_TRUE(std::filesystem::exists(folder() + "D_200801/" + f + ".dbf")) << f;
  EXPECT_FALSE(std::filesystem::exists(folder() + "D_200801/XX08011.dbf"));
  // APO's voucher heads keep the ARO_ structure they were created with first.
  auto apo = rdd::DbfTable::open(folder() + "D_200801/APO08011.dbf", rdd::OpenMode::ReadOnly);
  EXPECT_EQ(apo->fields().size(), data::structure("ARO_")->size());
  EXPECT_EQ(areas.currentNumber(), 1);
}

}  // namespace

namespace {

TEST_F(DataTest, CreaConfAsksForTheMonthBeforeAnythingIsCreated) {
  r.memvars.declarePublic("CDRV1", Value::chr(folder()));
  r.memvars.declarePublic("CDRV2", Value::chr(folder()));
  platform::HeadlessUi dialogs;
  platform::setUi(&dialogs);
  struct Case {
    std::vector<std::string> script;
    bool created;
  } cases[] = {
      {{"escape"}, false},
      {{"type CCONFIRM 02/2008", "press ยืนยัน"}, false},  // refused by the box, confirmed without it
      {{"type CCONFIRM 01/2008", "press &ยืนยัน"}, true},
  };
  for (auto& c : cases) {
    dialogs.setScript(c.script);
    data::DATACREA("200801");
    EXPECT_EQ(std::filesystem::exists(folder() + "D_200801/IV_0801.dbf"), c.created) << c.script[0];
  }
  const auto& t = dialogs.transcript();
  EXPECT_EQ(t[0], "dialog \"  สร้างแฟ้มข้อมูลใหม่ 01/2008\" {");
  EXPECT_NE(std::find(t.begin(), t.end(), "message \"  ส่วนการสั่งสร้างแฟ้มข้อมูลใหม่\": ไม่ทำการสร้างแฟ้มข้อมูลใหม่"), t.end());
  EXPECT_NE(std::find(t.begin(), t.end(), "  type CCONFIRM \"02/2008             \" -> refused, the field keeps the focus"),
            t.end());
  platform::setUi(&ui);
}

}  // namespace
