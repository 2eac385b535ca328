#include "engine/condition.h"

#include "data/table_access.h"
#include "engine/build_dialog.h"
#include "engine/page_frame.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "startup/selection.h"
#include "text/thai.h"
#include "ui/popcode.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"

namespace engine {

using xbase::operator""_th;
using xbase::Value;

namespace {

std::function<bool()>& builder() {
  static std::function<bool()> b;
  return b;
}

xbase::Runtime& R() { return xbase::rt(); }
std::string text(const char* n) { return R().memvars.text(n); }
void setVar(const std::string& n, Value v) { R().memvars.assign(n, std::move(v), R().depth()); }
std::string repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}
bool chars(const std::string& code, std::size_t i, std::size_t j, const char* want) {
  return code.size() >= j && code.substr(i - 1, j - i + 1) == want;
}

const char* kStems[] = {"DAY", "COD", "WHO", "UNI", "GRO", "SEC", "DOC", "JOB", "JNO", "STF"};

struct CodeListTable {
  const char* chars;
  const char* table;
  int lookup;
};
const CodeListTable kCodeLists[] = {
    {"VEN", "Vendor", 1},    {"CUS", "Custom", 2},  {"PRO", "Product", 3},  {"EMP", "Employee", 4},
    {"SEC", "Section", 5},   {"UNI", "Unit", 6},    {"WHO", "Whouse", 7},   {"ABK", "Accbook", 8},
    {"ACC", "Acccode", 9},   {"CSN", "Consec", 10}, {"GVD", "GVendor", 11}, {"GCT", "GCustom", 12},
    {"GPR", "GProduct", 13}, {"DTS", "Dataset", 14}, {"MON", "Money", 15}, {"PRL", "Payroll", 16},
    {"PRS", "Person", 17},   {"RPT", "", 18},
};

// The first and last code of a table in index order (empty for an empty table).
void rangeOf(const char* alias, const std::string& stem) {
  std::string from, to;
  if (rdd::Area* a = data::areas().area(alias)) {
    int f = a->fieldIndex("CODE");
    a->goTop();
    if (!a->eof() && f >= 0) from = a->getField(f).s;
    a->goBottom();
    if (!a->eof() && f >= 0) to = a->getField(f).s;
    a->goTop();
  }
  setVar("C" + stem + "BEG", Value::chr(from));
  setVar("C" + stem + "END", Value::chr(to));
}

struct Field {
  std::string label;
  std::string stem;  // COD, WHO ... ; "DAYEND" alone for the as-at date
  int lookup;        // 0: none
  std::string alias;
  bool upper;
};

}  // namespace

ReportKind reportKind(const std::string& code) {
  auto starts = [&](const char* p) { return code.rfind(p, 0) == 0; };
  if (starts("IVACC")) return ReportKind::StockMovement;
  if (starts("APACC") || starts("ARACC")) return ReportKind::Ledger;
  if (starts("APACG") || starts("ARACG")) return ReportKind::LedgerByGroup;
  if (starts("APSTA") || starts("ARSTA")) return ReportKind::Statement;
  if (chars(code, 3, 5, "TRN") || chars(code, 3, 5, "DOC")) return ReportKind::StockDocuments;
  if (starts("IVADJ")) return ReportKind::Adjustments;
  if (starts("GLACC")) return ReportKind::GeneralLedger;
  if (starts("CO")) return ReportKind::CodeList;
  return ReportKind::None;
}

void setWorkTableBuilder(std::function<bool()> build) { builder() = std::move(build); }

void GETCOND() {
  xbase::Runtime& r = R();
  for (const char* stem : kStems)
    for (const char* end : {"BEG", "END"}) {
      r.memvars.declarePublic(std::string("C") + stem + end);
      r.memvars.declarePublic(std::string("O") + stem + end);
    }
  for (const char* v : {"CREPSAY", "OREPSAY", "NACTUAL", "OMETER"}) r.memvars.declarePublic(v);
  rdd::Areas& areas = data::areas();
  areas.closeAll();
  areas.select(1);
  std::string code = text("CREPCODE");
  std::string name = text("CREPNAME");
  ReportKind kind = reportKind(code);
  if (kind == ReportKind::None) {
    std::string t = code;
    platform::ui().message(std::string("ไม่มีรายงาน "_th) + t, "  Report program");
    return;
  }
  std::string drv1 = text("CDRV1");
  auto open = [&](const std::string& table, const std::string& alias) {
    return data::OPEN(drv1, table, "code", false, table, table, alias);
  };
  bool vendors = code.rfind("AP", 0) == 0;
  char c6 = code.size() >= 6 ? code[5] : ' ';
  std::int32_t today = r.today();
  setVar("CDAYBEG", Value::dateValue(text::FIRSTDAY(today)));
  setVar("CDAYEND", Value::dateValue(today));
  std::vector<Field> fields;
  int height = 0, status = 0;
  std::string nines = repeat("๙"_th, 15);
  const Field date{std::string("&วันที่"_th), "DAY", 0, "", false};
  const Field section{std::string("แ&ผนก"_th), "SEC", 5, "Section", true};
  int codeListLookup = 0;
  switch (kind) {
    case ReportKind::StockMovement:
      if (!data::OPENPROD() || !open("GProduct", "GProduct") || !open("Unit", "Unit") || !open("Whouse", "Whouse")) return;
      rangeOf("PRODUCT", "COD");
      rangeOf("Whouse", "WHO");
      rangeOf("Unit", "UNI");
      rangeOf("GProduct", "GRO");
      fields = {date, {std::string("&สินค้า"_th), "COD", 3, "Product", true}, {std::string("&คลัง"_th), "WHO", 7, "Whouse", true},
                {std::string("&หน่วยนับ"_th), "UNI", 6, "Unit", true}, {std::string("&กลุ่มสินค้า"_th), "GRO", 13, "GProduct", true}};
      height = 310;
      status = 90;
      break;
    case ReportKind::Ledger:
    case ReportKind::LedgerByGroup:
    case ReportKind::Statement: {
      if (kind == ReportKind::LedgerByGroup && !open(vendors ? "GVendor" : "GCustom", "Group")) return;
      if (!open(vendors ? "Vendor" : "Custom", "Company")) return;
      if (kind != ReportKind::Statement && !open("Section", "Section")) return;
      rangeOf("Company", "COD");
      Field company{std::string("&บริษัท"_th), "COD", vendors ? 1 : 2, "Company", true};
      if (kind == ReportKind::Statement) {
        setVar("CDOCBEG", Value::chr(std::string(15, ' ')));
        setVar("CDOCEND", Value::chr("ZZZ999999999999"));
        fields = {{std::string("เ&ลขเอกสาร"_th), "DOC", 0, "", true}, company, {std::string("ณ วันที่"_th), "DAYEND", 0, "", false}};
        height = 250;
        status = 60;
      } else {
        rangeOf("Section", "SEC");
        if (kind == ReportKind::LedgerByGroup) {
          rangeOf("Group", "GRO");
          fields = {date, company, {std::string("&กลุ่ม"_th), "GRO", vendors ? 11 : 12, "Group", true}, section};
          height = 270;
          status = 70;
        } else {
          fields = {date, company, section};
          height = 250;
          status = 60;
        }
      }
      break;
    }
    case ReportKind::StockDocuments: {
      bool v = vendors || c6 == '1' || c6 == '2' || c6 == '3';
      bool c = !v && (code.rfind("AR", 0) == 0 || c6 == '4' || c6 == '5' || c6 == '6');
      if (!data::OPENPROD()) return;
      if ((v || c) && !open(v ? "Vendor" : "Custom", "Company")) return;
      if (!open("Section", "Section") || !open("Employee", "Employee")) return;
      rangeOf("Company", "COD");
      rangeOf("Section", "SEC");
      rangeOf("Employee", "STF");
      setVar("CDOCBEG", Value::chr(std::string(15, '0')));
      setVar("CDOCEND", Value::chr(nines));
      setVar("CJOBBEG", Value::chr(std::string(15, ' ')));
      setVar("CJOBEND", Value::chr(nines));
      fields = {date, {std::string("&บริษัท"_th), "COD", v ? 1 : 2, "Company", true}, {std::string("เ&ลขเอกสาร"_th), "DOC", 0, "", true},
                section, {"&Job No.", "JOB", 0, "", true}, {std::string("&พนักงาน"_th), "STF", 4, "Employee", true}};
      height = 340;
      status = 105;
      break;
    }
    case ReportKind::Adjustments:
      if (!data::OPENPROD() || !open("Section", "Section")) return;
      rangeOf("Section", "SEC");
      setVar("CDOCBEG", Value::chr(std::string(15, '0')));
      setVar("CDOCEND", Value::chr(nines));
      setVar("CJOBBEG", Value::chr(std::string(15, ' ')));
      setVar("CJOBEND", Value::chr(nines));
      fields = {date, {std::string("เ&ลขเอกสาร"_th), "DOC", 0, "", true}, section, {"&Job No.", "JOB", 0, "", true}};
      height = 280;
      status = 75;
      break;
    case ReportKind::GeneralLedger:
      if (!open("AccCode", "AccCode") || !open("AccBook", "AccBook") || !open("Section", "Section")) return;
      rangeOf("AccCode", "COD");
      rangeOf("AccBook", "JOB");
      rangeOf("Section", "SEC");
      setVar("CDOCBEG", Value::chr(std::string(15, ' ')));
      setVar("CDOCEND", Value::chr(std::string(15, 'Z')));
      setVar("CJNOBEG", Value::chr(std::string(15, ' ')));
      setVar("CJNOEND", Value::chr(nines));
      fields = {date, {std::string("&บัญชี"_th), "COD", 9, "AccCode", true}, {std::string("&สมุดรายวัน"_th), "JOB", 8, "AccBook", true},
                {std::string("เ&ลขเอกสาร"_th), "DOC", 0, "", true}, {"&Job Number", "JNO", 0, "", true}, section};
      height = 340;
      status = 105;
      break;
    case ReportKind::CodeList: {
      const CodeListTable* t = nullptr;
      for (const CodeListTable& c : kCodeLists)
        if (chars(code, 3, 5, c.chars)) t = &c;
      if (!t) {
        platform::ui().message(std::string("ไม่มีรายงาน "_th) + code, "  Report program");
        return;
      }
      std::string table = t->lookup == 18 ? text("CREPLIST") : std::string(t->table);
      while (!table.empty() && table.back() == ' ') table.pop_back();
      if (!data::OPEN(t->lookup == 14 ? std::string() : drv1, table, "code", false, table, table, "RepData")) return;
      if (t->lookup == 3 && c6 == '1') {
        xbase::DateParts p = xbase::decodeDate(today);
        char ym[8];
        std::snprintf(ym, sizeof ym, "%04d%02d", p.year, p.month);
        std::string folder = text("CDRV2") + "D_" + ym + "\\";
        if (!data::OPEN(folder, std::string("IVs_") + (ym + 2), "code+unit+whouse", false, std::string("IVs_") + (ym + 2),
                        std::string("IVs_") + (ym + 2), "ivstatus"))
          return;
      }
      rangeOf("RepData", "COD");
      codeListLookup = t->lookup;
      fields = {{std::string("&รหัส"_th), "COD", t->lookup, "RepData", true}};
      height = 190;
      status = 30;
      break;
    }
    case ReportKind::None: return;
  }
  bool bar = text("CBMETER") == "1";
  setVar("NACTUAL", bar ? Value::integer(0) : Value::chr(std::string(30, ' ')));
  setVar("CREPSAY", Value::chr(name));

  platform::Dialog d;
  d.title = name;
  d.width = 400;
  d.height = height;
  d.font = "font 0";
  int row = 10;
  for (const Field& f : fields) {
    d.label(f.label, row, 10);
    auto lookupValid = [f](const std::string& variable) -> std::function<bool()> {
      if (!f.lookup) return nullptr;
      return [f, variable] {
        Value* v = xbase::rt().memvars.lookup(variable);
        std::string value = v && v->isChar() ? v->s : std::string();
        auto ok = ui::POPCODE(2, f.lookup, value, nullptr, variable, f.alias);
        return ok.value_or(false);
      };
    };
    if (f.stem == "DAYEND") {
      d.edit("CDAYEND", row, 50, 60, 12);
    } else {
      std::string from = "C" + f.stem + "BEG", to = "C" + f.stem + "END";
      d.edit(from, row, 50, 60, 12, f.upper ? "@!" : "", lookupValid(from));
      d.edit(to, row, 120, 60, 12, f.upper ? "@!" : "", lookupValid(to));
    }
    row += 15;
  }
  bool accepted = false;
  addBuildRows(d, name, status,
               [&] {
                 if (kind == ReportKind::CodeList) return true;
                 if (builder()) return builder()();
                 platform::ui().message(std::string("ไม่มีรายงาน "_th) + code, "  Report program");
                 return false;
               },
               accepted);
  platform::ui().run(d);
  (void)codeListLookup;
  if (!accepted || !startup::REPBROW("RepData", name)) return;
  rdd::Area* work = areas.area("RepData");
  if (!work) return;
  if (kind == ReportKind::StockMovement && (c6 == '1' || c6 == '2')) {
    REPIVSTART();
    return;
  }
  if (kind == ReportKind::CodeList) {
    areas.select(work->number());
    work->seek(Value::chr(text("CCODBEG")), true);
    work->setFilter("RepData->code>=cCodBeg .AND. RepData->code<=cCodEnd");
  }
  REPSTART();
}

}  // namespace engine
