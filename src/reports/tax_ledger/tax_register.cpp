#include "reports/tax_ledger/tax_register.h"

#include <algorithm>
#include <cmath>

#include "data/table_access.h"
#include "engine/build_dialog.h"
#include "engine/page_frame.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/paths.h"
#include "startup/selection.h"
#include "text/thai.h"
#include "ui/popcode.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace reports {

using xbase::operator""_th;
using xbase::Value;

namespace {

xbase::Runtime& R() { return xbase::rt(); }
std::string text(const char* n) { return R().memvars.text(n); }
double num(const char* n) { return R().memvars.number(n); }
std::int32_t date(const char* n) { return R().memvars.date(n); }
void set(const char* n, Value v) { R().memvars.assign(n, std::move(v), R().depth()); }
std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}
std::string field(rdd::Area* a, const char* name) {
  int i = a->fieldIndex(name);
  return i < 0 ? std::string() : a->getField(i).s;
}
double number(rdd::Area* a, const char* name) {
  int i = a->fieldIndex(name);
  return i < 0 ? 0 : a->getField(i).n;
}
std::int32_t dateOf(rdd::Area* a, const char* name) {
  int i = a->fieldIndex(name);
  return i < 0 ? 0 : a->getField(i).date;
}
double valOf(const std::string& s) { return xbase::parseNumber(s).n; }
bool within(const std::string& v, const char* from, const char* to) {
  return xbase::compareText(v, text(from), false) >= 0 && xbase::compareText(v, text(to), false) <= 0;
}

// Character 6 of the report code: "0" and "1" are the input-tax registers
// (purchase books) with an item-number column, the others output tax.
char variant() {
  std::string code = text("CREPCODE");
  return code.size() >= 6 ? code[5] : ' ';
}
bool purchaseSide() { return variant() == '0' || variant() == '1'; }
bool itemColumn() { return purchaseSide(); }

// The variables of a run: public while it lasts, released at its end.
class RunVariables {
 public:
  explicit RunVariables(std::vector<std::string> names) : names_(std::move(names)) {
    for (const std::string& n : names_) xbase::declarePublic(n);
  }
  ~RunVariables() {
    for (const std::string& n : names_) R().memvars.release(n);
  }

 private:
  std::vector<std::string> names_;
};

const std::vector<std::string> kVariables = {
    "CPERIOD", "CDAYBEG", "CDAYEND", "CSECBEG", "CSECEND", "CRECALC", "CSBOOK",  "OPERIOD", "ODAYBEG",
    "ODAYEND", "OSECBEG", "OSECEND", "ORECALC", "OSBOOK",  "OREPSAY", "CREPSAY", "OMETER",  "NACTUAL",
    "NVERT",   "NHORZ",   "NVGRAPH", "NHGRAPH", "NMAXL",   "NLSPACE", "NITEM",   "NSUB1",   "NSUB2",
    "NSUB3",   "NSUB4",   "NSUB5",   "NSUB6",   "CRATE1",  "CRATE2",  "ORATE1",  "ORATE2"};

// Progress over n of total: shown only when the whole percentage changes.
class Progress {
 public:
  void step(long done, long total) {
    int pct = total > 0 ? int(double(done) * 100 / double(total)) : 100;
    if (pct == last_) return;
    last_ = pct;
    if (text("CBMETER") == "1")
      set("NACTUAL", Value::integer(pct));
    else
      set("NACTUAL", Value::chr("Process = " + xbase::formatNumber(pct, 3, 0) + " %"));
  }

 private:
  int last_ = -1;
};

// The tax month of CPERIOD ("MM/YYYY"): its month folder and "yymm".
struct TaxMonth {
  int month = 0, year = 0;
  std::string folder, yymm;
};
TaxMonth taxMonth() {
  std::string p = trimmed(text("CPERIOD"));
  TaxMonth t;
  if (p.size() >= 7) {
    t.month = std::atoi(p.substr(0, 2).c_str());
    t.year = std::atoi(p.substr(3, 4).c_str());
  }
  char ym[16];
  std::snprintf(ym, sizeof ym, "%04d%02d", t.year, t.month);
  t.folder = text("CDRV2") + "D_" + ym + "\\";
  t.yymm = std::string(ym + 2);
  return t;
}

// One register line as a book holds it.
struct TaxLine {
  std::int32_t date;
  std::string book, number, descrip;
  double value, vat;
};

// The build both registers share: the work table "T_" + user, then every
// book of the ledger side with its voucher heads and tax lines of the tax
// month. A line that passes the conditions and that `listed` accepts gets
// a row: its date, book, number and text, and the amounts `fill` puts.
using PutAmount = std::function<void(const char*, double)>;
bool build(const std::vector<rdd::FieldDef>& amounts, const std::function<bool(const TaxLine&)>& listed,
           const std::function<void(const TaxLine&, const PutAmount&)>& fill) {
  rdd::Areas& areas = data::areas();
  const std::string side = purchaseSide() ? "B" : "S";
  std::string user = trimmed(text("CUSER")).substr(0, 6);
  std::string name = "T_" + user, base = text("CDRV4") + name;
  if (rdd::Area* old = areas.area("RepData")) areas.close(old->number());
  rdd::removeFile(base + ".NTX");
  rdd::removeFile(base + ".ntx");
  std::vector<rdd::FieldDef> fields = {
      {"TAX_DATE", 'D', 8, 0}, {"BOOK", 'C', 3, 0}, {"TAX_NO", 'C', 15, 0}, {"DESCRIP", 'C', 60, 0}};
  fields.insert(fields.end(), amounts.begin(), amounts.end());
  bool opened = false;
  try {
    if (rdd::Area* created = areas.create(base + ".dbf", fields, "TAXNEW")) areas.close(created->number());
    opened = data::OPEN(text("CDRV4"), name, "dtos(TAX_DATE)+TAX_NO", false, name, name, "RepData");
  } catch (const xbase::ErrorException&) {
    opened = false;
  }
  if (!opened) {
    platform::ui().message(std::string("ไม่สามารถเปิดแฟ้มรายงานได้"_th), text("CREPNAME"));
    return false;
  }
  rdd::Area* work = areas.area("RepData");
  if (data::OPEN(text("CDRV1"), "AccBook", "code", false, "AccBook", "AccBook", "AccBook")) {
    rdd::Area* books = areas.area("AccBook");
    TaxMonth month = taxMonth();
    Progress progress;
    long done = 0, total = books->recCount();
    for (books->goTop(); !books->eof(); books->skip(1)) {
      progress.step(++done, total);
      if (books->deleted() || trimmed(field(books, "VAT")) != side) continue;
      std::string book = trimmed(field(books, "CODE"));
      std::string headName = book + month.yymm + "1", lineName = book + month.yymm + "3";
      if (!data::OPEN(month.folder, headName, "doc_no", false, headName, headName, "head")) {
        platform::ui().message(std::string("ไม่พบแฟ้ม "_th) + headName, text("CREPNAME"));
        continue;
      }
      if (!data::OPEN(month.folder, lineName, "doc_no", false, lineName, lineName, "Taxdata")) {
        platform::ui().message(std::string("ไม่พบแฟ้ม "_th) + lineName, text("CREPNAME"));
        if (rdd::Area* h = areas.area("head")) areas.close(h->number());
        continue;
      }
      rdd::Area* head = areas.area("head");
      rdd::Area* tax = areas.area("Taxdata");
      for (tax->goTop(); !tax->eof(); tax->skip(1)) {
        bool found = head->seek(Value::chr(field(tax, "DOC_NO")), false);
        std::int32_t d = dateOf(tax, "TAX_DATE");
        std::string taxNo = field(tax, "TAX_NO");
        if (!found || head->deleted() || tax->deleted()) continue;
        if (d < date("CDAYBEG") || d > date("CDAYEND") || trimmed(taxNo).empty()) continue;
        if (!within(field(tax, "SECTION"), "CSECBEG", "CSECEND")) continue;
        TaxLine line{d, field(head, "DOC_NO").substr(0, 3), taxNo, field(tax, "DESCRIP"), number(tax, "AMTOT"),
                     number(tax, "AMVAT")};
        if (!listed(line)) continue;
        areas.select(work->number());
        // The work table is the user's own: appending and locking wait.
        while (!data::ADD_REC(0)) {
        }
        while (!data::REC_LOCK(0)) {
        }
        auto put = [&](const char* f, const Value& v) { work->putField(work->fieldIndex(f), v); };
        put("TAX_DATE", Value::dateValue(line.date));
        put("BOOK", Value::chr(line.book));
        put("TAX_NO", Value::chr(line.number));
        put("DESCRIP", Value::chr(line.descrip));
        fill(line, [&](const char* f, double v) { put(f, Value::num(v, 2)); });
        work->table().unlockAll();
        areas.select(tax->number());
      }
      areas.close(head->number());
      areas.close(tax->number());
    }
    areas.close(books->number());
  }
  areas.select(work->number());
  work->goTop();
  if (work->recCount() > 0) return true;
  platform::ui().message(std::string("ไม่มีข้อมูลตามเงื่อนไขที่ระบุ"_th), text("CREPNAME"));
  return false;
}

// The first and last code of a table in code order (empty when it has none).
std::pair<std::string, std::string> codeRange(rdd::Area* a) {
  std::pair<std::string, std::string> r;
  a->goTop();
  if (!a->eof()) r.first = field(a, "CODE");
  a->goBottom();
  if (!a->eof()) r.second = field(a, "CODE");
  return r;
}

// The condition dialog of both registers; OK runs `create`. True when the
// build succeeded.
bool conditions(bool twoRates, const std::function<bool()>& create) {
  std::string name = text("CREPNAME");
  bool bar = text("CBMETER") == "1";
  set("NACTUAL", bar ? Value::integer(0) : Value::chr(std::string(30, ' ')));
  set("CREPSAY", Value::chr(name));
  platform::Dialog d;
  d.title = name;
  d.width = 400;
  d.height = twoRates ? 270 : 280;
  d.font = "font 0";
  auto section = [](const char* variable) -> std::function<bool()> {
    return [variable] {
      auto ok = ui::POPCODE(2, 5, text(variable), nullptr, variable, "Section");
      return ok.value_or(false);
    };
  };
  d.label(std::string("&งวดเดือน"_th), 10, 10);
  d.edit("CPERIOD", 10, 50, 60, 12, "99/9999");
  d.label(std::string("&วันที่"_th), 25, 10);
  d.edit("CDAYBEG", 25, 50, 60, 12);
  d.edit("CDAYEND", 25, 120, 60, 12);
  d.label(std::string("แ&ผนก"_th), 40, 10);
  d.edit("CSECBEG", 40, 50, 60, 12, "@!", section("CSECBEG"));
  d.edit("CSECEND", 40, 120, 60, 12, "@!", section("CSECEND"));
  int row = 55;
  if (twoRates) {
    d.label(std::string("&อัตรา"_th), row, 10);
    d.edit("CRATE1", row, 50, 60, 12, "999.99");
    d.edit("CRATE2", row, 120, 60, 12, "999.99", [] { return num("CRATE2") > 0; });
    row += 15;
  }
  auto dropDown = [&](const char* variable, int col) {
    platform::Control c;
    c.kind = platform::Control::Kind::ComboBox;
    c.variable = variable;
    c.items = {"N", "Y"};
    c.row = row;
    c.col = col;
    c.width = 30;
    c.height = 12;
    c.valid = [variable] { return !trimmed(text(variable)).empty(); };
    d.add(c);
  };
  d.label(std::string("&คำนวณใหม่"_th), row, 10, 40, 12);
  dropDown("CRECALC", 50);
  d.label(std::string("แ&สดงสมุด"_th), row, 90, 40, 12);
  dropDown("CSBOOK", 130);
  bool built = false;
  engine::addBuildRows(d, name, row + 20, create, built);
  platform::ui().run(d);
  return built;
}

// The page layout the registers draw themselves: a head with the
// taxpayer's identification, the lines with item numbers running across
// pages, the column grid, and the total block after the last line.
struct Column {
  double left, right;  // inches
};

class RegisterPrinter {
 public:
  RegisterPrinter(bool twoRates) : twoRates_(twoRates) {
    char v = variant();
    if (!twoRates) {
      static const double wideItem[] = {2.0, 3.0, 4.0, 5.25, 8.5, 9.75, 11.0, 12.25};
      static const double narrowItem[] = {0.0, 0.6, 1.4, 2.65, 4.95, 5.95, 6.95, 7.95};
      static const double wide[] = {2.0, 2.0, 3.0, 4.25, 8.5, 9.75, 11.0, 12.25};
      static const double narrow[] = {0.0, 0.0, 0.8, 2.05, 4.95, 5.95, 6.95, 7.95};
      const double* x = v == '0' ? wideItem : v == '1' ? narrowItem : v == '2' ? wide : narrow;
      x_.assign(x, x + 8);
      margin_ = 0.1;
    } else {
      static const double item[] = {0.5, 1.5, 2.5, 3.5, 7.5, 8.5, 9.5, 10.5, 11.5, 12.5, 13.5};
      static const double plain[] = {0.15, 0.15, 1.15, 2.4, 6.0, 7.25, 8.5, 9.75, 11.0, 12.25, 13.5};
      const double* x = itemColumn() ? item : plain;
      x_.assign(x, x + 11);
      margin_ = 0.05;
    }
  }

  void run() {
    engine::PageFrame frame;
    frame.setUp();
    frame.metrics();
    frame_ = &frame;
    const double ratio = std::max(1.0, num("NFONTRATIO"));
    ratio_ = ratio;
    set("NITEM", Value::integer(0));
    for (const char* v : {"NSUB1", "NSUB2", "NSUB3", "NSUB4", "NSUB5", "NSUB6"}) set(v, Value::num(0, 2));
    rdd::Area* work = data::areas().area("RepData");
    data::areas().select(work->number());
    work->goTop();
    const int maxLines = int(num("NMAXL"));
    int page = 0;
    while (!work->eof()) {
      ++page;
      frame.printer().startPage();
      pageHead(page);
      int line = 9;
      while (line < maxLines && !work->eof()) {
        ++line;
        detail(work, line);
        work->skip(1);
      }
      grid(line + 1);
      if (work->eof()) totals(line + 1);
      frame.printer().endPage();
    }
    frame.close();
  }

 private:
  int px(double inches) const { return int(std::lround(inches * num("NHGRAPH"))); }
  // Line k is the top of its text; the devices place text by its baseline,
  // which lies 0.7 line spaces lower (the template engine's rows, whose
  // rules run 0.3 line spaces under the baseline, have the same text box).
  int lineY(double k) const { return int(std::lround((k + 0.7) * num("NLSPACE"))); }
  int ruleY(double k) const { return int(std::lround((k + ratio_ - 1) * num("NLSPACE"))); }
  double last() const { return x_.back(); }
  void say(double inches, double line, const std::string& s, int font, platform::Align a) {
    frame_->printer().text(px(inches), lineY(line), s, frame_->font(font), a);
  }
  void rule(double x1, double k1, double x2, double k2) {
    frame_->printer().line(px(x1), ruleY(k1), px(x2), ruleY(k2), frame_->pen(2));
  }
  static std::string amount(double v) { return xbase::transform(Value::num(v, 2), "999,999,999,999.99", R().set.dates); }

  void pageHead(int page) {
    using platform::Align;
    double left = x_.front(), right = last(), centre = (left + right) / 2;
    say(centre, 1, text("CREPNAME"), 3, Align::Center);
    TaxMonth m = taxMonth();
    say(centre, 2,
        std::string("เดือนภาษี "_th) + text::MONTHNAME(m.month) + std::string(" ปี "_th) +
            xbase::formatNumber(m.year + 543, 4, 0),
        2, Align::Center);
    say(left + 0.25, 3, std::string("ชื่อผู้ประกอบกิจการ"_th), 1, Align::Left);
    say(left + 2.0, 3, text("CHLINE"), 1, Align::Left);
    say(right - 0.25, 3, std::string("เลขประจำตัวผู้เสียภาษีอากร "_th) + text("CHTAXID"), 1, Align::Right);
    say(left + 0.25, 4, std::string("ชื่อสถานประกอบการ"_th), 1, Align::Left);
    say(left + 2.0, 4, text("CHLINE"), 1, Align::Left);
    std::string dataset = text("CDATASET");
    say(right - 0.25, 4,
        valOf(dataset) == 0 ? std::string(" ") : std::string("สาขาที่ "_th) + trimmed(dataset), 1, Align::Right);
    say(left + 2.0, 5, text("CHADDR1"), 1, Align::Left);
    say(left + 2.0, 6, text("CHADDR2"), 1, Align::Left);
    say(left + 2.0, 7, text("CHADDR3"), 1, Align::Left);
    frame_->printer().text(px(right - 0.25), int(std::lround(num("NVERT") - (3 - 0.7) * num("NLSPACE"))),
                           std::string("หน้าที่ "_th) + std::to_string(page), frame_->font(1), Align::Right);
  }

  void detail(rdd::Area* work, int line) {
    using platform::Align;
    set("NITEM", Value::integer(long(num("NITEM")) + 1));
    double m = margin_;
    if (itemColumn()) say(x_[0] + m, line, text::ZERO(num("NITEM"), 6), 1, Align::Left);
    std::string number = text("CSBOOK") == "Y" ? field(work, "BOOK") + field(work, "TAX_NO") : field(work, "TAX_NO");
    say(x_[1] + (twoRates_ ? 3 * m : m), line, xbase::dateToText(dateOf(work, "TAX_DATE"), R().set.dates), 1,
        Align::Left);
    say(x_[2] + m, line, number, 1, Align::Left);
    say(x_[3] + m, line, field(work, "DESCRIP"), 1, Align::Left);
    auto amounts = [&](const char* value, const char* vat, int at, int sub) {
      double a = number_(work, value), b = number_(work, vat);
      say(x_[std::size_t(at) + 1] - m, line, amount(a), 1, Align::Right);
      say(x_[std::size_t(at) + 2] - m, line, amount(b), 1, Align::Right);
      say(x_[std::size_t(at) + 3] - m, line, amount(a + b), 1, Align::Right);
      addTo(sub, a);
      addTo(sub + 1, b);
      addTo(sub + 2, a + b);
    };
    if (twoRates_) {
      amounts("AMTOT1", "AMVAT1", 4, 1);
      amounts("AMTOT2", "AMVAT2", 7, 4);
    } else {
      amounts("AMTOT", "AMVAT", 4, 1);
    }
  }
  static double number_(rdd::Area* a, const char* f) { return number(a, f); }
  static void addTo(int sub, double v) {
    std::string n = "NSUB" + std::to_string(sub);
    set(n.c_str(), Value::num(num(n.c_str()) + v, 2));
  }

  // Headings on line 8.5 and the ruling from rule 8 to rule `end`.
  void grid(int end) {
    using platform::Align;
    std::vector<std::string> headings = {std::string("ลำดับที่"_th), std::string("วันที่"_th), std::string("เล่มที่/เลขที่"_th),
                                         std::string("ชื่อผู้ขายสินค้า/ผู้ให้บริการ"_th)};
    auto rateText = [](const char* v) { return trimmed(xbase::formatNumber(num(v), 6, 2)); };
    if (twoRates_) {
      for (const std::string& h :
           {std::string("มูลค่า(บาท)"_th), std::string("ภาษี("_th) + rateText("CRATE1") + "%)", std::string("รวมเงิน(บาท)"_th),
            std::string("มูลค่า(บาท)"_th), std::string("ภาษี("_th) + rateText("CRATE2") + "%)", std::string("รวมเงิน(บาท)"_th)})
        headings.push_back(h);
    } else {
      for (const char* h : {"มูลค่า(บาท)", "ภาษี(บาท)", "รวมเงิน(บาท)"}) headings.push_back(xbase::fromUtf8(h));
    }
    for (std::size_t i = 0; i < headings.size(); ++i) {
      if (i == 0 && !itemColumn()) continue;
      say((x_[i] + x_[i + 1]) / 2, 8.5, headings[i], 2, Align::Center);
    }
    for (std::size_t i = itemColumn() ? 0 : 1; i < x_.size(); ++i) rule(x_[i], 8, x_[i], end);
    for (double k : {8.0, 9.5, double(end)}) rule(x_.front(), k, last(), k);
  }

  void totals(int end) {
    using platform::Align;
    if (text("CRECALC") == "Y") {
      if (twoRates_) {
        set("NSUB2", Value::num(text::XROUND(num("NSUB1") * num("CRATE1") / 100, 2), 2));
        set("NSUB3", Value::num(num("NSUB1") + num("NSUB2"), 2));
        set("NSUB5", Value::num(text::XROUND(num("NSUB4") * num("CRATE2") / 100, 2), 2));
        set("NSUB6", Value::num(num("NSUB4") + num("NSUB5"), 2));
      } else {
        set("NSUB2", Value::num(text::XROUND(num("NSUB1") * valOf(text("CVAT_RATE")) / 100, 2), 2));
        set("NSUB3", Value::num(num("NSUB1") + num("NSUB2"), 2));
      }
    }
    double x5 = x_[4];
    say(x5 - 0.5, end + 1, std::string("รวมเงิน(บาท)"_th), 2, Align::Center);
    int sums = twoRates_ ? 6 : 3;
    for (int i = 1; i <= sums; ++i)
      say(x_[std::size_t(4 + i)] - margin_, end + 1, amount(num(("NSUB" + std::to_string(i)).c_str())), 1, Align::Right);
    rule(x5 - 1.0, end + 2, last(), end + 2);
    rule(x5 - 1.0, end, x5 - 1.0, end + 2);
    for (std::size_t i = 4; i < x_.size(); ++i) rule(x_[i], end, x_[i], end + 2);
  }

  bool twoRates_;
  std::vector<double> x_;
  double margin_ = 0.1, ratio_ = 1;
  engine::PageFrame* frame_ = nullptr;
};

// A whole run: conditions, build, review, pages.
void runRegister(bool twoRates, const std::function<bool()>& create) {
  rdd::Areas& areas = data::areas();
  areas.closeAll();
  RunVariables vars(kVariables);
  std::int32_t today = R().today();
  std::string dmy = xbase::dateToText(today, xbase::DateSettings{});  // dd/mm/yyyy
  set("CPERIOD", Value::chr(dmy.substr(dmy.size() - 7)));
  set("CDAYBEG", Value::dateValue(text::FIRSTDAY(today)));
  set("CDAYEND", Value::dateValue(text::LASTDAY(today)));
  if (!data::OPEN(text("CDRV1"), "Section", "code", false, "Section", "Section", "Section")) return;
  auto [first, lastCode] = codeRange(areas.area("Section"));
  set("CSECBEG", Value::chr(first));
  set("CSECEND", Value::chr(lastCode));
  set("CRECALC", Value::chr("N"));
  set("CSBOOK", Value::chr("N"));
  set("CRATE1", Value::num(0, 2));
  set("CRATE2", Value::num(valOf(text("CVAT_RATE")), 2));
  if (!conditions(twoRates, create)) return;
  if (!startup::REPBROW("RepData", text("CREPNAME"))) return;
  RegisterPrinter(twoRates).run();
}

}  // namespace

bool IVTAXCREATE() {
  return build({{"AMTOT", 'N', 15, 2}, {"AMVAT", 'N', 15, 2}}, [](const TaxLine&) { return true; },
               [](const TaxLine& l, const PutAmount& put) {
                 put("AMTOT", l.value);
                 put("AMVAT", l.vat);
               });
}

bool IVTAX2CREATE() {
  // The rate class of a line by its effective rate r: the second rate's
  // class when that rate lies strictly within one point of r, else the
  // first rate's (or a line that sums to nothing), else not listed.
  auto rateOf = [](const TaxLine& l) { return l.value == 0 ? 0.0 : text::XROUND(l.vat * 100 / l.value, 2); };
  auto near = [](double rate, double r) {
    double x = text::XROUND(rate, 2);
    return x > r - 1 && x < r + 1;
  };
  auto second = [=](const TaxLine& l) { return near(num("CRATE2"), rateOf(l)); };
  auto first = [=](const TaxLine& l) {
    return near(num("CRATE1"), rateOf(l)) || text::XROUND(l.vat + l.value, 2) == 0;
  };
  return build({{"AMTOT1", 'N', 15, 2}, {"AMVAT1", 'N', 15, 2}, {"AMTOT2", 'N', 15, 2}, {"AMVAT2", 'N', 15, 2}},
               [=](const TaxLine& l) { return second(l) || first(l); },
               [=](const TaxLine& l, const PutAmount& put) {
                 bool two = second(l);
                 put(two ? "AMTOT2" : "AMTOT1", l.value);
                 put(two ? "AMVAT2" : "AMVAT1", l.vat);
               });
}

void IVTAX() { runRegister(false, IVTAXCREATE); }
void IVTAX2() { runRegister(true, IVTAX2CREATE); }

}  // namespace reports
