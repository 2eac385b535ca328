#include "app/fixture_env.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>

#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"

namespace app {

using namespace xbase;

ReferenceEnvironment::ReferenceEnvironment(Runtime& r) {
  r.set = Settings{};
  r.set.dates.format = "dd/mm/yyyy";
  r.set.dates.epoch = 1970;
  Memvars& m = r.memvars;
  m.declarePublic("CDAYBEG", Value::dateValue(encodeDate(2008, 1, 1)));
  m.declarePublic("CDAYEND", Value::dateValue(encodeDate(2008, 3, 31)));
  m.declarePublic("CHLINE", Value::chr("บริษัท ทดสอบ จำกัด"_th));
  m.declarePublic("NLINE", Value::integer(5));
  m.declarePublic("NPAGE", Value::integer(3));
  Value csum = Value::array(40);
  for (auto& v : *csum.a) v = Value::integer(0);
  (*csum.a)[0] = Value::num(1500.25, 10, 2);
  (*csum.a)[1] = Value::integer(-20);
  m.declarePublic("CSUM", csum);
  Value ctot = Value::array(40);
  for (auto& v : *ctot.a) v = Value::integer(0);
  (*ctot.a)[39] = Value::integer(99);
  m.declarePublic("CTOT", ctot);
  Value cdname = Value::array(10);
  (*cdname.a)[0] = Value::chr("ABC");
  (*cdname.a)[1] = Value::num(12.5, 10, 1);
  m.declarePublic("CDNAME", cdname);
  m.declarePublic("CREPNAME", Value::chr("STOCK MOVEMENT"));
  m.declarePublic("CCODBEG", Value::chr(std::string("A001") + std::string(16, ' ')));
  m.declarePublic("CCODEND", Value::chr(std::string("Z999") + std::string(16, ' ')));
  m.declarePublic("CEMPTY", Value::chr(""));
  m.declarePublic("NZERO", Value::integer(0));
  m.declarePublic("DNULL", Value::dateValue(0));
  m.declarePublic("LYES", Value::logical(true));
  m.declarePublic("AEMPTY", Value::array(0));

  // RepData is a real table in a scratch folder, written through the table layer.
  folder_ = std::filesystem::temp_directory_path() / ("vek_refenv_" + std::to_string(::getpid()) + "_" +
                                                      std::to_string(reinterpret_cast<std::uintptr_t>(this)));
  std::filesystem::create_directories(folder_);
  auto areas = std::make_unique<rdd::Areas>();
  r.areas = areas.get();
  rdd::Area* t = areas->create((folder_ / "repdata.dbf").string(),
                               {{"CODE", 'C', 20, 0},
                                {"UNIT", 'C', 4, 0},
                                {"QTY", 'N', 15, 5},
                                {"AMT", 'N', 15, 2},
                                {"CNT", 'N', 5, 0},
                                {"DDATE", 'D', 8, 0},
                                {"FLAG", 'L', 1, 0},
                                {"NAME", 'C', 30, 0}},
                               "RepData");
  const Value rows[2][8] = {
      {Value::chr("P-001"), Value::chr("PCS"), Value::num(12.5, 1), Value::num(1234567.891, 3), Value::integer(42),
       Value::dateValue(encodeDate(2008, 2, 15)), Value::logical(true), Value::chr("สินค้า ทดสอบ"_th)},
      {Value::chr("P-002"), Value::chr("BOX"), Value::integer(-3), Value::num(-0.5, 1), Value::integer(0),
       Value::dateValue(0), Value::logical(false), Value::chr("")}};
  for (const auto& row : rows) {
    t->append();
    for (int i = 0; i < 8; ++i) t->putField(i, row[i]);
  }
  t->deleteRecord();
  t->goTo(1);
  areas->select(t->number());
  areas_ = std::move(areas);
}

ReferenceEnvironment::~ReferenceEnvironment() {
  if (rt().areas == areas_.get()) rt().areas = nullptr;
  areas_.reset();
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

}  // namespace app
