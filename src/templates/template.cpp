#include "templates/template.h"

#include <cmath>
#include <fstream>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/file.h"
#include "rdd/paths.h"
#include "xbase/cp874.h"
#include "xbase/library.h"
#include "xbase/numfmt.h"

namespace templates {

using xbase::operator""_th;
using xbase::Value;

namespace {

PrintContext* g_context = nullptr;

std::string textVar(const char* name) {
  Value* v = xbase::rt().memvars.lookup(name);
  return v && v->isChar() ? v->s : std::string();
}

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

std::string rtrim(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

std::string part(const std::string& s, std::size_t from1, std::size_t len = std::string::npos) {
  return from1 - 1 < s.size() ? s.substr(from1 - 1, len) : std::string();
}

// Memory variables of the run, looked up by name each time (cheap) and
// created as privates of nobody when missing.
double number(const char* name) {
  Value* v = xbase::rt().memvars.lookup(name);
  return v && v->isNum() ? v->n : 0;
}
void setNumber(const char* name, double value) {
  xbase::rt().memvars.assign(name, Value::num(value, 0), 0);
}

// A value that must be text for printing; anything else is the runtime's error.
std::string textOf(const SectionLine& l) {
  Value v = l.expr ? l.expr->eval() : Value();
  if (!v.isChar()) {
    xbase::Error e = xbase::Error::make(xbase::EG_ARG, 1122, l.exprText, {v});
    e.canDefault = true;
    e.description = "Argument error";
    Value r = xbase::rt().raiseValue(std::move(e));
    return r.isChar() ? trimmed(r.s) : std::string();
  }
  return trimmed(v.s);
}

void addToSlot(const char* array, int slot, double value) {
  Value* a = xbase::rt().memvars.lookup(array);
  if (!a || !a->isArray() || slot < 1 || std::size_t(slot) > a->a->size()) return;
  Value& cell = (*a->a)[std::size_t(slot - 1)];
  double before = cell.isNum() ? cell.n : 0;
  int dec = std::max<int>(cell.isNum() ? cell.dec : 0, 0);
  cell = Value::num(before + value, dec);
}

}  // namespace

void setPrintContext(PrintContext* c) { g_context = c; }
PrintContext* printContext() { return g_context; }

void Template::read() {
  lines_.clear();
  directives_ = Directives{};
  rdd::Area* t = data::areas().area("RepPrn");
  if (!t) return;
  int field = t->fieldIndex("CODE");
  // Directives first (the last of each counts), then the section lines.
  for (long rn = 1; rn <= t->recCount(); ++rn) {
    t->goTo(rn);
    std::string line = t->getField(field).s;
    std::string head = xbase::upper(line.substr(0, 7));
    if (head == "I,GROUP") directives_.group = trimmed(part(line, 9));
    else if (head == "I,BLOCK") directives_.block = trimmed(part(line, 9));
    else if (head == "I,INDEX") directives_.index = trimmed(part(line, 9));
    else if (head.substr(0, 6) == "I,SEEK") directives_.seek = trimmed(part(line, 9));
    else if (head == "I,ORDER") directives_.order = trimmed(part(line, 9));
    else if (head.substr(0, 6) == "INDEX,") directives_.extraIndex = trimmed(part(line, 7));
    else if (head.substr(0, 6) == "GROUP,") directives_.templateGroup = trimmed(part(line, 7));
    if (line.empty() || line[0] == ' ') continue;
    SectionLine s;
    s.recno = rn;
    s.section = xbase::upperAscii(line[0]);
    s.command = xbase::upper(part(line, 3, 2));
    s.operation = xbase::upper(trimmed(part(line, 6, 5)));
    for (int k = 0; k < 4; ++k) s.n[k] = xbase::parseNumber(part(line, std::size_t(12 + 6 * k), 5)).n / 100;
    s.bitmap = trimmed(part(line, 36));
    if (s.command == "LF" || s.command == "NF" || s.command == "SM" || s.command == "NA")
      s.exprText = rtrim(part(line, 18));
    else if (s.command == "LO")
      s.exprText = rtrim(part(line, 24));
    bool usesExpr = !s.exprText.empty() && s.operation != "IMAGE";
    static const char* known[] = {"LF", "NF", "LO", "NH", "LH", "LI", "LV", "LN", "LX", "SM", "NA", "EJ"};
    bool isCommand = false;
    for (const char* k : known) isCommand = isCommand || s.command == k;
    if (!isCommand) continue;  // directives and comments that start with a section letter
    if (usesExpr) s.expr = xbase::compile(s.exprText);  // once per run; errors go to the handler
    lines_.push_back(std::move(s));
  }
  t->goTop();
}

bool loadTemplate(Template& t) {
  std::string caption = textVar("CREPNAME");
  std::string file = textVar("CDRV1") + trimmed(textVar("CREPCODE")) + ".txt";
  if (!rdd::fileExists(file)) {
    platform::ui().message("ไม่พบแฟ้มรูปแบบรายงาน"_th, caption);
    return false;
  }
  std::string user = trimmed(textVar("CUSER")).substr(0, 6);
  std::string table = textVar("CDRV4") + "R_" + user;
  rdd::Areas& areas = data::areas();
  if (rdd::Area* open = areas.area("RepPrn")) areas.close(open->number());
  rdd::Area* created = nullptr;
  try {
    created = areas.create(table + ".dbf", {{"CODE", 'C', 200, 0}}, "RepPrn");
  } catch (const xbase::ErrorException&) {
    created = nullptr;
  }
  if (created) areas.close(created->number());
  areas.select(areas.freeArea());
  if (!created || !data::NET_USE(table, true, 5, "RepPrn")) {
    platform::ui().message("แฟ้มรายงานกำลังถูกใช้งาน"_th, caption);
    return false;
  }
  rdd::Area* prn = areas.area("RepPrn");
  std::ifstream in(rdd::localPath(file), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 200) line.resize(200);
    prn->append();
    prn->putField(0, Value::chr(line));
  }
  prn->table().unlockAll();
  t.read();
  return true;
}

void REPMAKE(char sectionIn, const std::string& aliasIn) {
  char section = xbase::upperAscii(sectionIn);
  rdd::Areas& areas = data::areas();
  rdd::Area* prn = areas.area("RepPrn");
  PrintContext* ctx = g_context;
  std::string alias = aliasIn.empty() ? std::string("detail") : aliasIn;
  if (!prn || !ctx || !ctx->tmpl) return;
  areas.select(prn->number());
  double lspace = number("NLSPACE"), hgraph = number("NHGRAPH"), vgraph = number("NVGRAPH");
  double ratio = std::max(1.0, number("NFONTRATIO"));
  // Device positions are rounded: (2 + 1 - 0.7) x 100 is 230, whatever the binary digits say.
  auto y = [&](double line) { return int(std::lround((line + ratio - 0.7) * lspace)); };
  auto inchX = [&](double inches) { return int(std::lround(inches * hgraph)); };
  auto inchY = [&](double inches) { return int(std::lround(inches * vgraph)); };
  auto pen = [&](const SectionLine& l) {
    int k = l.operation.size() == 5 && l.operation.rfind("LINE", 0) == 0 ? l.operation[4] - '1' : 0;
    return ctx->pens[k >= 0 && k < 3 ? k : 0];
  };
  for (const SectionLine& l : ctx->tmpl->lines()) {
    if (l.section != section) continue;
    prn->goTo(l.recno);
    const std::string& cmd = l.command;
    bool image = l.operation == "IMAGE";
    bool say = l.operation.size() == 5 && l.operation.rfind("SAY", 0) == 0;
    // Text lines evaluate their expression before the line moves.
    std::string s = say && (cmd == "LF" || cmd == "NF" || cmd == "LO") ? textOf(l) : std::string();
    auto print = [&](int row, int col) {
      if (image) {
        ctx->printer->bitmap(inchX(l.n[1]), row, int(l.n[2] * 100), int(l.n[3] * 100), l.bitmap);
        return;
      }
      if (!say) return;
      int f = l.operation[4] - '1';
      platform::Align a = l.operation[3] == 'R'   ? platform::Align::Left
                          : l.operation[3] == 'L' ? platform::Align::Right
                                                  : platform::Align::Center;
      ctx->printer->text(col, row, s, ctx->fonts[f >= 0 && f < 3 ? f : 0], a);
    };
    if (cmd == "LF" || cmd == "NF") {
      if (cmd == "LF") setNumber("NLINE", number("NLINE") + 1);
      if (image)
        print(inchY(l.n[0]), 0);
      else
        print(int(std::lround(number("NLINE") * lspace)), inchX(l.n[0]));
    } else if (cmd == "LO") {
      if (image)
        print(inchY(l.n[0]), 0);
      else
        print(inchY(l.n[0]), inchX(l.n[1]));
    } else if (cmd == "NH") {
      setNumber("NMINLH", y(number("NLINE")));
    } else if (cmd == "LH") {
      setNumber("NLINE", number("NLINE") + 1);
      int at = y(number("NLINE"));
      ctx->printer->line(inchX(l.n[0]), at, inchX(l.n[1]), at, pen(l));
      setNumber("NMINLH", std::min<double>(number("NMINLH"), at));
      setNumber("NMAXLH", std::max<double>(number("NMAXLH"), at));
    } else if (cmd == "LI") {
      int at = y(number("NLINE"));
      ctx->printer->line(inchX(l.n[0]), at, inchX(l.n[1]), at, pen(l));
    } else if (cmd == "LV") {
      ctx->printer->line(inchX(l.n[0]), int(number("NMINLH")), inchX(l.n[0]), int(number("NMAXLH")), pen(l));
    } else if (cmd == "LN") {
      ctx->printer->line(inchX(l.n[1]), inchY(l.n[0]), inchX(l.n[3]), inchY(l.n[2]), pen(l));
    } else if (cmd == "LX") {
      ctx->printer->line(inchX(l.n[0]), y(l.n[1]), inchX(l.n[0]), y(l.n[2]), pen(l));
    } else if (cmd == "SM") {
      int slot = int(l.n[0]);
      if (slot >= 1 && slot <= 40 && l.expr) {
        Value v = l.expr->eval();
        double amount = v.isNum() ? v.n : 0;
        for (const char* a : {"CSUB", "CSUM", "CTOT"}) addToSlot(a, slot, amount);
      }
    } else if (cmd == "NA") {
      if (l.n[0] > 0 && l.n[0] < 11 && l.expr) {
        Value v = l.expr->eval();
        Value* names = xbase::rt().memvars.lookup("CDNAME");
        if (names && names->isArray() && names->a->size() >= std::size_t(l.n[0])) (*names->a)[std::size_t(l.n[0]) - 1] = v;
      }
    } else if (cmd == "EJ") {
      setNumber("NLINE", number("NMAXL"));
    }
  }
  rdd::Area* back = areas.area(alias);
  areas.select(back ? back->number() : areas.freeArea());
}

std::string REPLINE(double n) {
  setNumber("NLINE", number("NLINE") + n);
  return std::string();
}

void registerTemplateFunctions(xbase::Runtime& r) {
  r.registerFunction("REPLINE", [](xbase::Args a) {
    return Value::chr(REPLINE(xbase::arg(a, 0).isNum() ? xbase::arg(a, 0).n : 0));
  });
  r.registerFunction("REPMAKE", [](xbase::Args a) {
    std::string s = xbase::arg(a, 0).isChar() ? xbase::arg(a, 0).s : std::string(" ");
    REPMAKE(s.empty() ? ' ' : s[0], xbase::arg(a, 1).isChar() ? trimmed(xbase::arg(a, 1).s) : std::string());
    return Value();
  });
}

}  // namespace templates
