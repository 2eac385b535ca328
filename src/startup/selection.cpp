#include "startup/selection.h"

#include <map>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "startup/main_program.h"
#include "text/thai.h"
#include "ui/browse_actions.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace startup {

using xbase::operator""_th;
using xbase::Value;

namespace {

std::map<std::string, std::function<void()>>& families() {
  static std::map<std::string, std::function<void()>> f;
  return f;
}

std::string text(const char* name) {
  Value* v = xbase::rt().memvars.lookup(name);
  return v && v->isChar() ? v->s : std::string();
}

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

// Characters i to j (1-based); a code too short for them fails the test.
bool chars(const std::string& code, std::size_t i, std::size_t j, const char* want) {
  return code.size() >= j && code.substr(i - 1, j - i + 1) == want;
}

// A cell of the review browse: the field as the table shows it.
std::string cellText(const Value& v) {
  switch (v.type) {
    case xbase::Type::Char: return v.s;
    case xbase::Type::Num: return xbase::formatNumber(v);
    case xbase::Type::Date: return xbase::dateToText(v.date, xbase::rt().set.dates);
    case xbase::Type::Logical: return v.b ? "T" : "F";
    default: return std::string();
  }
}

}  // namespace

void registerFamily(const std::string& routine, std::function<void()> entry) {
  families()[routine] = std::move(entry);
}

std::string dispatchRoutine(const std::string& code) {
  auto starts = [&](const char* p) { return code.rfind(p, 0) == 0; };
  if (starts("IVTAX")) return "IVTAX";
  if (starts("IVVAT")) return "IVTAX2";
  if (starts("GLDSN")) return "GLDSN";
  if (chars(code, 3, 5, "REP")) return "REPTEXT";
  if (chars(code, 3, 7, "ADD01")) return "REPADD01";
  if (chars(code, 3, 5, "SAL")) return "REPSALE01";
  if (chars(code, 3, 5, "SA2")) return "REPSALE04";
  if (chars(code, 3, 4, "AN")) {
    char c = code.size() >= 5 ? code[4] : ' ';
    return c == 'A' ? "REPSALE02" : c == 'B' ? "REPSALE03" : c == 'C' ? "REPSALE05" : "";
  }
  if (chars(code, 3, 5, "BIL")) return "REPBILL";
  if (chars(code, 3, 5, "BST")) return "REPBST";
  if (chars(code, 3, 5, "AGE")) return "REPAGE01";
  if (chars(code, 3, 5, "AGS")) return "REPAGE02";
  if (chars(code, 3, 5, "ORD")) return "REPORDER";
  if (chars(code, 3, 5, "ORT")) return "REPORDER2";
  if (starts("PRPRL")) {
    if (chars(code, 6, 7, "01")) return "REPPRL01";
    if (chars(code, 6, 7, "02")) return "REPPRL02";
    if (chars(code, 6, 7, "03")) return "REPPRL03";
    if (chars(code, 6, 6, "1")) return "REPPRL10";
    if (chars(code, 6, 6, "2")) return "REPPRL11";
    return "";
  }
  if (starts("PRBNK")) return "REPPRLBNK";
  if (starts("PRSOC")) return "REPPRLSOC";
  if (chars(code, 1, 3, "ADT")) return "REPAUDIT";
  if (chars(code, 3, 5, "DSK")) return "REPDSKGEN";
  if (chars(code, 1, 3, "LOG")) return "REPLOGGER";
  return "GETCOND";
}

void dispatch(const std::string& code) {
  std::string routine = dispatchRoutine(code);
  if (routine.empty()) return;  // a family without this sub-case: nothing runs
  auto it = families().find(routine);
  if (it == families().end()) {
    platform::ui().message(std::string("ไม่มีรายงาน "_th) + trimmed(code), "  Report program");
    return;
  }
  it->second();
}

bool REPSELECT() {
  XB_ROUTINE("REPSELECT");
  rdd::Areas& areas = data::areas();
  rdd::Area* list = areas.area("RepList");
  if (!list) return false;
  areas.select(list->number());
  list->goTop();
  bool chosen = false;
  xbase::declarePrivate("CSEARCH", Value::chr(std::string(40, ' ')));
  platform::Dialog d;
  d.title = "  Report program";
  d.width = 608;
  d.height = 460;
  d.font = "font 0";
  auto browse = ui::browseOf(list);
  int codeField = list->fieldIndex("CODE"), nameField = list->fieldIndex("NAME");
  browse->columns.push_back({std::string("รหัสรายงาน"_th), [list, codeField] { return list->getField(codeField).s; }, 80, 'L'});
  browse->columns.push_back({std::string("ชื่อรายงาน"_th), [list, nameField] { return list->getField(nameField).s; }, 250, 'L'});
  auto choose = [&] {
    chosen = true;
    d.close(1);
  };
  browse->keys["Enter"] = choose;
  browse->keys["DblClick"] = choose;
  platform::Control listControl;
  listControl.kind = platform::Control::Kind::List;
  listControl.row = 2;
  listControl.col = 2;
  listControl.width = 300;
  listControl.height = 200;
  listControl.browse = browse;
  d.add(listControl);
  auto search = [browse] {
    ui::SACTION(*browse, 3, xbase::rt().memvars.lookup("CSEARCH")->s, "RepList->code+RepList->name");
    return true;
  };
  d.button(std::string("&ตกลง"_th), 210, 20, 30, 12, choose).isDefault = true;
  d.button(std::string("&บนสุด"_th), 210, 60, 30, 12, [browse] { ui::SACTION(*browse, 1, "", ""); });
  d.button(std::string("&ล่างสุด"_th), 210, 100, 30, 12, [browse] { ui::SACTION(*browse, 2, "", ""); });
  d.button(std::string("&ค้นหา"_th), 210, 140, 30, 12, [search] { search(); });
  d.edit("CSEARCH", 210, 180, 100, 12, "", search);
  d.onInit = [] { text::TSOUND(601); };
  platform::ui().run(d);
  return chosen;
}

void REPSEEK(platform::Browse* list, const std::string& alias, const std::string& textIn) {
  rdd::Areas& areas = data::areas();
  rdd::Area* a = areas.area(alias);
  if (!a) return;
  areas.select(a->number());
  std::string want = xbase::upper(trimmed(textIn));
  if (want.empty()) return;
  long start = a->recNo();
  // Character fields upper-cased, numbers in their own width and decimals.
  auto matches = [&] {
    for (int i = 0; i < a->fieldCount(); ++i) {
      Value v = a->getField(i);
      if (v.isChar() && xbase::upper(v.s).find(want) != std::string::npos) return true;
      if (v.isNum() && xbase::formatNumber(v).find(want) != std::string::npos) return true;
    }
    return false;
  };
  bool found = false;
  for (a->skip(1); !a->eof(); a->skip(1))
    if ((found = matches())) break;
  if (!found) {
    platform::ui().message("ไม่พบข้อมูลที่ระบุ !"_th, "  ส่วนทำการค้นหา"_th);
    a->goTo(start);
  }
  if (list && list->refresh) list->refresh();
}

bool REPBROW(const std::string& alias, const std::string& reportName) {
  if (text("CBRAND").rfind("  VEK", 0) != 0 || text("CREPBROW") != "Y") return true;
  XB_ROUTINE("REPBROW");
  rdd::Areas& areas = data::areas();
  rdd::Area* a = areas.area(alias);
  if (!a) return true;
  xbase::Runtime& r = xbase::rt();
  r.memvars.declarePublic("CRSAY") = Value::chr("Total record = " + std::to_string(a->recCount()) + std::string(40, ' '));
  r.memvars.declarePublic("ORSAY");
  xbase::declarePrivate("CRSEEK", Value::chr(std::string(20, ' ')));
  a->goTop();
  bool result = false;
  platform::Dialog d;
  d.title = std::string("  ส่วนการแสดงข้อมูล"_th) + reportName;
  d.width = 908;
  d.height = 670;
  d.font = "font 0";
  auto browse = ui::browseOf(a);
  browse->background = "silver";
  for (int i = 0; i < a->fieldCount(); ++i) {
    int len = 10;
    Value sample = a->getField(i);
    if (sample.isChar()) len = int(sample.s.size());
    else if (sample.isNum()) len = sample.width + (sample.dec ? sample.dec + 1 : 0);
    else if (sample.isDate()) len = 8;
    else if (sample.isLogical()) len = 1;
    browse->columns.push_back({a->fieldName(i), [a, i] { return cellText(a->getField(i)); },
                               std::max(80, std::min(200, len * 5)),
                               sample.isNum() ? 'R' : 'L'});
  }
  platform::Control list;
  list.kind = platform::Control::Kind::List;
  list.row = 2;
  list.col = 2;
  list.width = 450;
  list.height = 300;
  list.browse = browse;
  d.add(list);
  d.label(r.memvars.lookup("CRSAY")->s, 310, 10, 90, 12).kind = platform::Control::Kind::Status;
  auto seek = [browse, alias] {
    REPSEEK(browse.get(), alias, xbase::rt().memvars.lookup("CRSEEK")->s);
    return true;
  };
  d.edit("CRSEEK", 310, 170, 60, 12, "", seek);
  d.button(std::string("&ค้นหา"_th), 310, 240, 30, 12, [seek] { seek(); });
  d.button(std::string("&บนสุด"_th), 310, 280, 30, 12, [browse] { ui::CGOTOP(*browse, 0); });
  d.button(std::string("&ล่างสุด"_th), 310, 320, 30, 12, [browse] { ui::CGOTOP(*browse, 1); });
  d.button(std::string("&รายงาน"_th), 310, 360, 30, 12, [&] {
    result = true;
    d.close(1);
  });
  d.button(std::string("&ออก"_th), 310, 400, 30, 12, [&] { d.close(0); }).isCancel = true;
  platform::ui().run(d);
  a->goTop();
  r.memvars.release("CRSAY");
  r.memvars.release("ORSAY");
  return result;
}

void installReportSelection() {
  setReportSelection([] {
    if (!REPSELECT()) return;
    rdd::Area* list = data::areas().area("RepList");
    xbase::Runtime& r = xbase::rt();
    *r.memvars.lookup("CREPCODE") = Value::chr(list->getField(list->fieldIndex("CODE")).s);
    *r.memvars.lookup("CREPNAME") = Value::chr(trimmed(list->getField(list->fieldIndex("NAME")).s));
    data::areas().close(list->number());
    dispatch(r.memvars.lookup("CREPCODE")->s);
  });
}

}  // namespace startup
