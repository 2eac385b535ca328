#include "ui/popcode.h"

#include <map>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "text/thai.h"
#include "ui/browse_actions.h"
#include "xbase/cp874.h"
#include "xbase/expr.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace ui {

using xbase::operator""_th;
using xbase::Value;

namespace {

struct Column {
  std::string header;
  std::function<std::string(rdd::Area*)> cell;
  int width;
  char align;
};

struct Kind {
  std::string table;  // file and alias; "" for the report list (CREPLIST)
  std::string title;
  int rights;
};

const std::map<int, Kind>& kinds() {
  static const std::map<int, Kind> k = {
      {1, {"Vendor", std::string("  ส่วนจัดการตารางรหัสเจ้าหนี้"_th), 35}},
      {2, {"Custom", std::string("  ส่วนจัดการตารางรหัสลูกหนี้"_th), 36}},
      {3, {"Product", std::string("  ส่วนจัดการตารางรหัสสินค้า"_th), 37}},
      {4, {"Employee", std::string("  ส่วนจัดการตารางรหัสพนักงาน"_th), 38}},
      {5, {"Section", std::string("  ส่วนจัดการตารางรหัสแผนก"_th), 39}},
      {6, {"Unit", std::string("  ส่วนจัดการตารางรหัสหน่วยนับ"_th), 40}},
      {7, {"Whouse", std::string("  ส่วนจัดการตารางรหัสคลังสินค้า"_th), 42}},
      {8, {"Accbook", std::string("  ส่วนจัดการตารางรหัสสมุดรายวัน"_th), 43}},
      {9, {"Acccode", std::string("  ส่วนจัดการตารางรหัสผังบัญชี"_th), 44}},
      {10, {"Consec", std::string("  ส่วนจัดการตารางรหัสเลขลำดับ"_th), 45}},
      {11, {"GVendor", std::string("  ส่วนจัดการตารางรหัสกลุ่มเจ้าหนี้"_th), 46}},
      {12, {"GCustom", std::string("  ส่วนจัดการตารางรหัสกลุ่มลูกหนี้"_th), 47}},
      {13, {"GProduct", std::string("  ส่วนจัดการตารางรหัสกลุ่มสินค้า"_th), 48}},
      {14, {"Dataset", std::string("  ส่วนจัดการตารางรหัสชุดข้อมูล "_th), 52}},
      {15, {"Money", std::string("  ส่วนจัดการตารางรหัสสกุลเงิน"_th), 41}},
      {16, {"Payroll", std::string("  ส่วนจัดการตารางรหัสค่าแรง"_th), 49}},
      {17, {"Person", std::string("  ส่วนจัดการตารางรหัสประวัติ"_th), 50}},
      {18, {"", std::string("  ส่วนจัดการตารางรหัสรายงาน"_th), 51}},
      {19, {"TaxType", std::string("  ส่วนจัดการตารางประเภทภาษี"_th), 45}},
      {20, {"TaxPay", std::string("  ส่วนจัดการตารางประเภทเงินจ่าย"_th), 45}},
  };
  return k;
}

std::map<int, std::function<void(platform::Browse&, bool)>>& editDialogs() {
  static std::map<int, std::function<void(platform::Browse&, bool)>> d;
  return d;
}

xbase::Runtime& R() { return xbase::rt(); }
std::string var(const char* n) {
  Value* v = R().memvars.lookup(n);
  return v && v->isChar() ? v->s : std::string();
}
std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}
std::string field(rdd::Area* a, const char* name) {
  int i = a->fieldIndex(name);
  if (i < 0) return std::string();
  Value v = a->getField(i);
  return v.isChar() ? v.s : v.isNum() ? xbase::formatNumber(v) : std::string();
}
double number(rdd::Area* a, const char* name) {
  int i = a->fieldIndex(name);
  return i < 0 ? 0 : a->getField(i).n;
}
int level() {
  std::string l = var("CPTRUSL");
  return l.empty() ? 0 : l[0] - '0';
}
rdd::Area* current() { return data::areas().selected(); }
std::string pad(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

std::vector<Column> columnsOf(int kind) {
  auto f = [](const char* name) { return [name](rdd::Area* a) { return field(a, name); }; };
  auto csno = [](rdd::Area* a) { return text::ZERO(number(a, "CSNO"), 12); };
  switch (kind) {
    case 1: return {{"  รหัสเจ้าหนี้"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อเจ้าหนี้"_th.data(), f("NAME"), 0, 'L'}};
    case 2: return {{"  รหัสลูกหนี้"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อลูกหนี้"_th.data(), f("NAME"), 0, 'L'}};
    case 3:
      return {{"  รหัสสินค้า"_th.data(), f("CODE"), 140, 'L'},
              {"  ชื่อสินค้า"_th.data(), f("NAME1"), 300, 'L'},
              {"รหัส Barcode"_th.data(), f("BARCODE"), 150, 'L'},
              {"รหัสมาตราฐาน"_th.data(), f("CODE2"), 150, 'L'}};
    case 4:
      return {{"  รหัสพนักงาน"_th.data(), f("CODE"), 0, 'L'},
              {"  ชื่อพนักงาน"_th.data(),
               [](rdd::Area* a) {
                 return trimmed(field(a, "FIRSTNAME")) + " " + trimmed(field(a, "NAME")) + " " +
                        trimmed(field(a, "LASTNAME"));
               },
               0, 'L'}};
    case 5: return {{"  รหัสแผนก"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อแผนก"_th.data(), f("NAME"), 0, 'L'}};
    case 6: return {{"  รหัสหน่วย"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อหน่วยนับ"_th.data(), f("NAME"), 0, 'L'}};
    case 7: return {{"  รหัสคลัง"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อคลังสินค้า"_th.data(), f("NAME"), 0, 'L'}};
    case 8:
      return {{"รหัสสมุด"_th.data(), f("CODE"), 80, 'L'},
              {"ชื่อสมุดรายวัน"_th.data(), f("NAME"), 240, 'L'},
              {"VAT", f("VAT"), 50, 'L'},
              {"  เลขลำดับ"_th.data(), csno, 100, 'R'},
              {"Active", f("POST"), 50, 'L'}};
    case 9: return {{"  รหัสบัญชี"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อบัญชี"_th.data(), f("NAME"), 0, 'L'}};
    case 10:
      return {{"ระบบ"_th.data(), f("CODE"), 100, 'L'},
              {"กลุ่มเลข"_th.data(), f("GROUP"), 100, 'L'},
              {"  ประเภท"_th.data(), f("NAME"), 220, 'L'},
              {"  เลขลำดับ"_th.data(), csno, 100, 'R'}};
    case 11: return {{" รหัสกลุ่ม"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อกลุ่มเจ้าหนี้"_th.data(), f("NAME"), 0, 'L'}};
    case 12: return {{" รหัสกลุ่ม"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อกลุ่มลูกหนี้"_th.data(), f("NAME"), 0, 'L'}};
    case 13: return {{" รหัสกลุ่ม"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อกลุ่มสินค้า"_th.data(), f("NAME"), 0, 'L'}};
    case 14: return {{" รหัสชุดข้อมูล"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อชุดข้อมูล"_th.data(), f("NAME"), 0, 'L'}};
    case 15:
      return {{" รหัส"_th.data(), f("CODE"), 140, 'L'},
              {" ชื่อสกุลเงิน"_th.data(), f("NAME"), 220, 'L'},
              {"อัตราแลกเปลี่ยน"_th.data(),
               [](rdd::Area* a) {
                 return xbase::transform(Value::num(number(a, "RATE"), 6), "999,999.999999", xbase::rt().set.dates);
               },
               80, 'R'}};
    case 16:
    case 17: return {{" รหัส"_th.data(), f("CODE"), 120, 'L'}, {" รายการ"_th.data(), f("NAME"), 220, 'L'}};
    case 18: return {{"  รหัสรายงาน"_th.data(), f("CODE"), 0, 'L'}, {"  ชื่อรายงาน"_th.data(), f("NAME"), 0, 'L'}};
    case 19: return {{"  ประเภทภาษี"_th.data(), f("CODE"), 0, 'L'}, {"   รายละเอียด"_th.data(), f("NAME"), 0, 'L'}};
    default: return {{"  ประเภทเงินได้"_th.data(), f("CODE"), 0, 'L'}, {"   รายละเอียด"_th.data(), f("NAME"), 0, 'L'}};
  }
}

// Opens (or selects) the table of a kind; null after OPEN's message.
rdd::Area* openKind(int kind) {
  rdd::Areas& areas = data::areas();
  std::string table = kindTable(kind);
  if (rdd::Area* open = areas.area(table)) {
    areas.select(open->number());
    return open;
  }
  bool ok = kind == 3 ? data::OPENPROD()
                      : data::OPEN(kind == 14 ? std::string() : var("CDRV1"), table, kind == 10 ? "code+group" : "code",
                                   false, table, table, table);
  return ok ? areas.selected() : nullptr;
}

// The product's code for a barcode (order 3) or a standard code (order 2).
bool productAlias(rdd::Area* p, const std::string& text, std::string& code) {
  bool hit = false;
  for (int order : {3, 2}) {
    if (int(p->orders().size()) < order) continue;
    p->setOrder(order);
    if (p->seek(Value::chr(text), false)) {
      code = field(p, "CODE");
      hit = true;
      break;
    }
  }
  p->setOrder(1);
  return hit;
}

}  // namespace

std::string kindTable(int kind) {
  auto it = kinds().find(kind);
  if (it == kinds().end()) return std::string();
  return kind == 18 ? trimmed(var("CREPLIST")) : it->second.table;
}

std::string kindTitle(int kind) {
  auto it = kinds().find(kind);
  return it == kinds().end() ? std::string() : it->second.title;
}

void registerEditDialog(int kind, std::function<void(platform::Browse&, bool)> dialog) {
  editDialogs()[kind] = std::move(dialog);
}

void CFILTER(platform::Browse& list, const std::string& codeIn, const std::string& table) {
  rdd::Area* a = data::areas().area(table);
  if (!a) return;
  long start = a->recNo();
  std::string text = xbase::upper(codeIn);
  if (xbase::upper(table) == "PRODUCT") {
    std::string code;
    if (productAlias(a, text, code)) text = code;
  }
  R().memvars.assign("CGET1", Value::chr(pad(text, 20)), R().depth());
  if (!a->seek(Value::chr(trimmed(text)), false)) {
    a->goTo(start);
    platform::ui().message("ไม่พบรหัสที่ระบุ"_th, "ตารางรหัส"_th);
  }
  if (list.refresh) list.refresh();
}

void CSEARCH(platform::Browse& list, const std::string& codeIn, const std::string& wordIn, const std::string& table) {
  std::string word = xbase::upper(trimmed(wordIn));
  if (word.empty()) return;
  rdd::Area* a = data::areas().area(table);
  if (!a) return;
  std::string code = xbase::upper(trimmed(codeIn));
  const char* nameField = xbase::upper(table) == "PRODUCT" ? "NAME1" : "NAME";
  long start = a->recNo();
  auto begins = [&] { return xbase::compareText(xbase::upper(field(a, "CODE")), code, false) == 0; };
  a->skip(1);
  while (!a->eof() && begins() && xbase::upper(field(a, "CODE") + field(a, nameField)).find(word) == std::string::npos)
    a->skip(1);
  if (a->eof() || !begins()) {
    platform::ui().alert("ไม่พบข้อมูลที่ระบุ !"_th, "  ส่วนทำการค้นหา"_th);
    a->goTo(start);
  }
  if (list.refresh) list.refresh();
}

void CSELECT(platform::Dialog& d, platform::Browse& list, int kind, int mode) {
  rdd::Area* a = current();
  if (!a) return;
  if (a->deleted()) {
    platform::ui().message("ข้อมูลถูกทำเครื่องหมายลบ !"_th, "  ส่วนตารางรหัส"_th);
    return;
  }
  if (mode == 1) {
    CEDIT(list, false, kind);
    return;
  }
  if (!a->eof()) {
    R().memvars.assign("LPACCEPT", Value::logical(true), R().depth());
    d.close(1);
  }
}

void CDELETE(platform::Browse& list, int kind) {
  rdd::Area* a = current();
  if (!a || a->eof()) return;
  if (kind == 8) {
    std::string code = field(a, "CODE");
    if (!code.empty() && std::string("APO,APP,APC,ARO,ARR,ARC,BGT,CAN,CST,GL0,INV,CHG,PRL,REC,RET,GDP,GL9").find(code) !=
                             std::string::npos) {
      platform::ui().message("ไม่อนุมัติให้สั่งลบรายการนี้"_th, "  ส่วนตารางรหัส"_th);
      return;
    }
  }
  bool marked = a->deleted();
  if (!platform::ui().yesNo(marked ? "ยกเลิกเครื่องหมายลบ"_th : "สั่งทำเครื่องหมายลบ"_th, "กรุณายืนยันการทำงาน"_th)) return;
  if (data::REC_LOCK(0)) {
    if (marked)
      a->recall();
    else
      a->deleteRecord();
    a->table().unlockAll();
  }
  if (list.refresh) list.refresh();
}

void CEDIT(platform::Browse& list, bool append, int kind) {
  if (!append && level() < 4) {
    platform::ui().message("คุณไม่มีอำนาจในคำสั่งนี้"_th, "  ส่วนตรวจสอบอำนาจผู้ใช้โปรแกรม"_th);
    return;
  }
  rdd::Area* a = current();
  if (append || (a && !a->deleted() && !a->eof())) {
    auto it = editDialogs().find(kind);
    if (it != editDialogs().end()) it->second(list, append);
  } else {
    platform::ui().message("ไม่สามารถแก้ไขข้อมูลนี้ได้"_th, "ส่วนทำการแก้ไขรหัสข้อมูล"_th);
  }
  if (list.refresh) list.refresh();
}

void COMSHOW(int kind) {
  if (var("CBRAND").rfind("  VEK", 0) != 0) return;
  rdd::Area* a = current();
  if (!a) return;
  platform::Dialog d;
  d.title = kind == 1 ? std::string("  ข้อมูลเจ้าหนี้"_th) : std::string("  ข้อมูลลูกหนี้"_th);
  d.width = 600;
  d.height = 340;
  struct Row {
    int row;
    std::string label;
    const char* fieldName;
    int col, width;
  };
  const Row rows[] = {{10, "&รหัส"_th.data(), "CODE", 60, 220},          {25, "&ชื่อ"_th.data(), "NAME", 60, 220},
                      {40, "&ที่อยู่"_th.data(), "ADDR1", 60, 220},         {55, "", "ADDR2", 60, 220},
                      {70, "โ&ทร./Fax"_th.data(), "TELEPHONE", 60, 220},   {85, "&ผู้ติดต่อ"_th.data(), "ATTENTION", 60, 220},
                      {100, "การ&ชำระเงิน"_th.data(), "PAYMENT", 60, 220}, {115, "เ&ลขที่ภาษี"_th.data(), "TAX_ID", 60, 80},
                      {115, "ส่วน&ลดการค้า"_th.data(), "TRD_DISC", 200, 80}, {130, "ราคาแ&ยก VAT"_th.data(), "VATCASE", 60, 80},
                      {130, "ส่วนลดเงิน&สด"_th.data(), "CSH_DISC", 200, 80}};
  for (const Row& r : rows) {
    if (!r.label.empty()) d.label(r.label, r.row, r.col == 60 ? 10 : 150);
    d.label(field(a, r.fieldName), r.row, r.col, r.width, 12);  // read-only box
  }
  d.label(field(a, "ADDR3"), 70 - 8, 60, 220, 12);
  d.button("&Ok", 150, 130, 30, 14, [&d] { d.close(1); }).isDefault = true;
  platform::ui().run(d);
}

bool CODCHK(const std::string& oldCode, const std::string& newCode, int order) {
  if (oldCode == newCode) return true;
  rdd::Area* a = current();
  if (!a) return true;
  long start = a->recNo();
  a->setOrder(order);
  bool found = a->seek(Value::chr(newCode), false);
  a->setOrder(1);
  a->goTo(start);
  if (found) {
    platform::ui().alert("รหัสนี้มีในตารางข้อมูลแล้ว !"_th, "คำเตือน"_th);
    return false;
  }
  return true;
}

void BROWADJ(platform::Browse& list, const std::string& keyExpr, const std::string& value, int visibleRows) {
  rdd::Area* a = current();
  if (!a) return;
  auto key = xbase::compile(keyExpr);
  long start = a->recNo();
  int count = 0;
  while (count < visibleRows && !a->bof()) {
    Value v = key ? key->eval() : Value();
    if (!(value.empty() || (v.isChar() && xbase::compareText(v.s, value, false) == 0))) break;
    ++count;
    long before = a->recNo();
    a->skip(-1);
    if (a->recNo() == before) break;
  }
  a->goTo(start);
  list.row = std::max(1, count);
  if (list.refresh) list.refresh();
}

std::optional<bool> POPCODE(int mode, int kind, const std::string& value, std::function<void()> refreshEntry,
                            const std::string& variable, const std::string& returnAlias, bool releaseAndMaintain,
                            bool emptyAccepted) {
  XB_ROUTINE("POPCODE");
  xbase::Runtime& r = R();
  for (const char* v : {"LPACCEPT", "CGET1", "CGET2", "OGET1", "OGET2", "CPTRUSL"}) r.memvars.declarePublic(v);
  r.memvars.assign("LPACCEPT", Value::logical(false), r.depth());
  std::string entry = value;
  rdd::Areas& areas = data::areas();
  auto back = [&] {
    if (rdd::Area* ret = areas.area(returnAlias)) areas.select(ret->number());
  };
  if (trimmed(value).empty() && emptyAccepted) return true;
  std::string savedLevel = var("CPTRUSL");
  std::string trustee = var("CTRUSTEE");
  int pos = kinds().count(kind) ? kinds().at(kind).rights : 0;
  r.memvars.assign("CPTRUSL", Value::chr(pos >= 1 && std::size_t(pos) <= trustee.size() ? trustee.substr(std::size_t(pos - 1), 1) : "0"),
                   r.depth());
  auto restoreLevel = [&] { r.memvars.assign("CPTRUSL", Value::chr(savedLevel), r.depth()); };
  rdd::Area* a = openKind(kind);
  if (!a) {
    areas.closeAll();
    restoreLevel();
    return std::nullopt;
  }
  auto setVariable = [&](const std::string& v) {
    if (!variable.empty()) r.memvars.assign(variable, Value::chr(v), r.depth());
    if (refreshEntry) refreshEntry();
  };
  std::string upperValue = xbase::upper(value);
  bool found = a->seek(Value::chr(upperValue), false);
  if (found && mode == 2) {
    setVariable(field(a, "CODE"));
    back();
    restoreLevel();
    return true;
  }
  if (!found && kind == 3 && mode == 2) {
    std::string code;
    if (productAlias(a, upperValue, code)) {
      setVariable(code);
      back();
      restoreLevel();
      return true;
    }
  }
  std::string box;
  if (found) {
    box = value;
  } else if (a->seek(Value::chr(trimmed(upperValue)), false)) {
    box = trimmed(upperValue);
  } else {
    a->goTop();
  }
  r.memvars.assign("CGET1", Value::chr(pad(box, 20)), r.depth());
  r.memvars.assign("CGET2", Value::chr(std::string(20, ' ')), r.depth());
  std::string table = a->alias();

  platform::Dialog d;
  d.title = kindTitle(kind);
  d.width = 606;
  d.height = 490;
  d.font = "font 0";
  auto list = browseOf(a);
  list->background = "silver";
  for (const Column& c : columnsOf(kind)) list->columns.push_back({c.header, [a, c] { return c.cell(a); }, c.width, c.align});
  list->keys["Enter"] = [&] { CSELECT(d, *list, kind, mode); };
  list->keys["DblClick"] = list->keys["Enter"];
  list->keys["RightClick"] = [&] {
    if (kind == 1 || kind == 2) COMSHOW(kind);
    if (kind == 3 && level() > 2) {
      auto it = editDialogs().find(103);  // the product copy dialog
      if (it != editDialogs().end()) it->second(*list, true);
    }
  };
  d.label(std::string(" รหัส"_th), 5, 15, 30, 12);
  d.edit("CGET1", 5, 40, 80, 12, "@!", [&] {
    CFILTER(*list, var("CGET1"), table);
    return true;
  });
  d.label(std::string("ระบุ"_th), 5, 125, 30, 12);
  d.edit("CGET2", 5, 150, 90, 12, "@!", [&] {
    CSEARCH(*list, var("CGET1"), var("CGET2"), table);
    return true;
  });
  d.button(std::string("&ค้นหา"_th), 5, 250, 35, 12, [&] { CSEARCH(*list, var("CGET1"), var("CGET2"), table); });
  platform::Control listControl;
  listControl.kind = platform::Control::Kind::List;
  listControl.row = 20;
  listControl.col = 2;
  listControl.width = 300;
  listControl.height = 200;
  listControl.browse = list;
  d.add(listControl);
  d.button(std::string("&ตกลง"_th), 225, 10, 30, 12, [&] {
    r.memvars.assign("LPACCEPT", Value::logical(true), r.depth());
    d.close(1);
  });
  platform::Control& add = d.button(std::string("เ&พิ่ม"_th), 225, 45, 30, 12, [&] { CEDIT(*list, true, kind); });
  platform::Control& edit = d.button(std::string("แ&ก้ไข"_th), 225, 80, 30, 12, [&] { CEDIT(*list, false, kind); });
  platform::Control& del = d.button(std::string("&ลบ"_th), 225, 115, 30, 12, [&] { CDELETE(*list, kind); });
  (void)add, (void)edit, (void)del;
  d.button(std::string("&บนสุด"_th), 225, 150, 30, 12, [&] { CGOTOP(*list, 0); });
  d.button(std::string("ล่าง&สุด"_th), 225, 185, 30, 12, [&] { CGOTOP(*list, 1); });
  std::string count = xbase::transform(Value::integer(a->recCount()), "999,999,999,999", r.set.dates);
  d.label("Record = " + trimmed(count), 225, 230);
  // Buttons by rights: below 3 no add, edit, delete; 3 no edit, delete; 4 no delete.
  int lv = level();
  for (platform::Control& c : d.controls) {
    std::string cap = platform::plainCaption(c.text);
    bool isAdd = cap == platform::plainCaption("เ&พิ่ม"_th.data()), isEdit = cap == platform::plainCaption("แ&ก้ไข"_th.data()),
         isDel = cap == platform::plainCaption("&ลบ"_th.data());
    if (!releaseAndMaintain && (isAdd || isEdit || isDel)) c.enabled = false;
    if (lv < 3 && (isAdd || isEdit || isDel)) c.enabled = false;
    if (lv == 3 && (isEdit || isDel)) c.enabled = false;
    if (lv == 4 && isDel) c.enabled = false;
  }
  d.onInit = [&] { CFILTER(*list, var("CGET1"), table); };
  platform::ui().run(d);
  long highlighted = a->recNo();
  a->goTo(highlighted);
  restoreLevel();
  if (mode == 1) {
    if (kind == 14 && !a->eof()) {
      auto setText = [&](const char* n, std::string v) { r.memvars.assign(n, Value::chr(std::move(v)), r.depth()); };
      setText("CDATASET", field(a, "CODE"));
      setText("CHLINE", trimmed(field(a, "NAME")));
      setText("CHADDR1", trimmed(field(a, "ADDR1")));
      setText("CHADDR2", trimmed(field(a, "ADDR2")));
      setText("CHADDR3", trimmed(field(a, "ADDR3")));
      setText("CHTAXID", trimmed(field(a, "TAX_ID")));
      setText("CDRV1", trimmed(field(a, "DRIVE1")));
      setText("CDRV2", trimmed(field(a, "DRIVE2")));
      setText("CDRV3", trimmed(field(a, "DRIVE3")));
      setText("CDRV4", trimmed(field(a, "DRIVE4")));
    }
    areas.close(a->number());
    return std::nullopt;
  }
  Value* accepted = r.memvars.lookup("LPACCEPT");
  bool ok = accepted && accepted->isLogical() && accepted->b;
  setVariable(ok ? field(a, "CODE") : entry);
  back();
  if (releaseAndMaintain)
    for (const char* v : {"LPACCEPT", "CGET1", "CGET2", "OGET1", "OGET2"}) r.memvars.release(v);
  return ok;
}

void registerPopcodeFunctions() {
  xbase::rt().registerFunction("POPCODE", [](xbase::Args a) -> Value {
    auto num = [&](std::size_t i, double d) { return i < a.size() && a[i].isNum() ? a[i].n : d; };
    auto txt = [&](std::size_t i) { return i < a.size() && a[i].isChar() ? a[i].s : std::string(); };
    auto flag = [&](std::size_t i, bool d) { return i < a.size() && a[i].isLogical() ? a[i].b : d; };
    auto r = POPCODE(int(num(0, 3)), int(num(1, 1)), txt(2), nullptr, txt(4), txt(5), flag(6, true), flag(7, false));
    return r ? Value::logical(*r) : Value();
  });
  xbase::rt().registerFunction("SELCOLOR", [](xbase::Args a) {
    return Value::integer(SELCOLOR(!a.empty() && a[0].isLogical() && a[0].b));
  });
}

}  // namespace ui
