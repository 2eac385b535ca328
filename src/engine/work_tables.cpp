#include "engine/work_tables.h"

#include <cmath>
#include <functional>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/file.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace engine {

using xbase::operator""_th;
using xbase::Value;

namespace {

xbase::Runtime& R() { return xbase::rt(); }
std::string text(const char* n) { return R().memvars.text(n); }
std::int32_t date(const char* n) { return R().memvars.date(n); }
std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}
bool chars(const std::string& code, std::size_t i, std::size_t j, const char* want) {
  return code.size() >= j && code.substr(i - 1, j - i + 1) == want;
}
// Inclusive range test in the program's text comparison.
bool within(const std::string& v, const char* from, const char* to) {
  return xbase::compareText(v, text(from), false) >= 0 && xbase::compareText(v, text(to), false) <= 0;
}

struct Column {
  const char* name;
  char type;
  int len, dec;
};

// Fields of a work row by name; the write goes through ADD_REC/REC_LOCK.
class Work {
 public:
  explicit Work(rdd::Area* a) : a_(a) {}
  bool append(const std::function<void(Work&)>& fill) {
    data::areas().select(a_->number());
    if (!data::ADD_REC(0) || !data::REC_LOCK(0)) {
      a_->table().unlockAll();
      return false;
    }
    fill(*this);
    a_->table().unlockAll();
    return true;
  }
  void set(const char* field, const Value& v) { setAt(a_->fieldIndex(field), v); }
  void setAt(int i, const Value& v) {
    if (i >= 0) a_->putField(i, v);
  }
  double numAt(int i) { return i < 0 ? 0 : a_->getField(i).n; }
  void text(const char* field, const std::string& s) { set(field, Value::chr(s)); }
  void num(const char* field, double v) { set(field, Value::num(v, 6)); }
  double numOf(const char* field) {
    int i = a_->fieldIndex(field);
    return i < 0 ? 0 : a_->getField(i).n;
  }
  rdd::Area* area() { return a_; }

 private:
  rdd::Area* a_;
};

std::string field(rdd::Area* a, const char* name) {
  int i = a ? a->fieldIndex(name) : -1;
  return i < 0 ? std::string() : a->getField(i).s;
}
double number(rdd::Area* a, const char* name) {
  int i = a ? a->fieldIndex(name) : -1;
  return i < 0 ? 0 : a->getField(i).n;
}
std::int32_t dateOf(rdd::Area* a, const char* name) {
  int i = a ? a->fieldIndex(name) : -1;
  return i < 0 ? 0 : a->getField(i).date;
}

// The month loop: yyyymm from CDAYBEG to CDAYEND.
std::vector<std::string> months() {
  xbase::DateParts b = xbase::decodeDate(date("CDAYBEG")), e = xbase::decodeDate(date("CDAYEND"));
  std::vector<std::string> out;
  int y = b.year, m = b.month;
  while (y * 100 + m <= e.year * 100 + e.month && out.size() < 1200) {
    char ym[8];
    std::snprintf(ym, sizeof ym, "%04d%02d", y, m);
    out.push_back(ym);
    if (++m > 12) {
      m = 1;
      ++y;
    }
  }
  return out;
}

struct Progress {
  long count = 0, total = 1;
  int last = -1;
  void restart(long n) {
    count = 0;
    total = std::max(1L, n);
    last = -1;
  }
  void step() {
    int pct = int(double(++count) * 100 / double(total));
    if (pct == last) return;
    last = pct;
    if (text("CBMETER") == "1")
      R().memvars.assign("NACTUAL", Value::integer(std::min(pct, 100)), R().depth());
    else
      R().memvars.assign("NACTUAL", Value::chr("Process = " + xbase::formatNumber(pct, 3, 0) + " %"), R().depth());
  }
};

void status(const std::string& s) { R().memvars.assign("CREPSAY", Value::chr(s), R().depth()); }

bool missing(const std::string& folder, const std::string& table) {
  if (rdd::fileExists(folder + table + ".dbf")) return false;
  platform::ui().message(std::string("ไม่พบแฟ้ม:"_th) + folder + table, text("CREPNAME"));
  return true;
}

// ---------------------------------------------------------------- stock movement

struct BalanceLevel {
  const char* index;
  std::function<std::string(rdd::Area*)> key;  // over the work row or the transaction with its group
};

int sequence(const std::string& stat, double qty) {
  if (stat == "REC") return 1;
  if (stat == "RET") return 2;
  if (stat == "CHG") return qty >= 0 ? 3 : 6;
  if (stat == "INV") return 4;
  if (stat == "CAN") return 5;
  return 0;
}

bool stockMovement(rdd::Area* work, const std::string& code) {
  char c7 = code.size() >= 7 ? code[6] : ' ', c8 = code.size() >= 8 ? code[7] : ' ';
  bool ownRows = c7 == '4' || c7 == '5' || c7 == '8' || c7 == '9';
  bool all = std::string("6789").find(c8) != std::string::npos && c8 != ' ';
  bool byWh = std::string("012345").find(c8) != std::string::npos && c8 != ' ';
  bool grpAll = std::string("ABCD").find(c8) != std::string::npos && c8 != ' ';
  // The balance key of a row: code+unit (+warehouse), with the group in front for A..D and "other".
  auto balanceKey = [&](const std::string& group, const std::string& c, const std::string& unit, const std::string& wh) {
    if (all) return c + unit;
    if (byWh) return c + unit + wh;
    if (grpAll) return group + c + unit;
    return group + c + unit + wh;
  };
  auto pad = [](std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
  };
  rdd::Areas& areas = data::areas();
  rdd::Area* product = areas.area("PRODUCT");
  const int fGroup = product ? product->fieldIndex("GROUP") : -1;
  std::string group;
  std::vector<std::string> loop = months();
  Progress progress;
  Work w(work);
  // The conditions, read once: they do not change during the build.
  struct Range {
    std::string from, to;
    bool holds(const std::string& v) const {
      return xbase::compareText(v, from, false) >= 0 && xbase::compareText(v, to, false) <= 0;
    }
  };
  const std::string codeBeg = text("CCODBEG"), codeEnd = text("CCODEND");
  const Range whRange{text("CWHOBEG"), text("CWHOEND")}, unitRange{text("CUNIBEG"), text("CUNIEND")},
      groupRange{text("CGROBEG"), text("CGROEND")};
  const std::int32_t dayBeg = date("CDAYBEG"), dayEnd = date("CDAYEND");
  // The work table's fields, found once.
  const int wCode = work->fieldIndex("CODE"), wUnit = work->fieldIndex("UNIT"), wWh = work->fieldIndex("WHOUSE"),
            wGroup = work->fieldIndex("GROUP"), wDoc = work->fieldIndex("DOC_NO"), wDate = work->fieldIndex("DOC_DATE"),
            wSequen = work->fieldIndex("SEQUEN"), wStat = work->fieldIndex("STAT"), wQtyIn = work->fieldIndex("QTY_IN"),
            wQtyOut = work->fieldIndex("QTY_OUT"), wQtyBal = work->fieldIndex("QTY_BAL"),
            wCostIn = work->fieldIndex("COST_IN"), wCostOut = work->fieldIndex("COST_OUT"),
            wCostBal = work->fieldIndex("COST_BAL"), wIndent = work->fieldIndex("INDENT");
  for (std::size_t mi = 0; mi < loop.size(); ++mi) {
    const std::string& ym = loop[mi];
    std::string folder = text("CDRV2") + "D_" + ym + "\\";
    std::string table = "IV_" + ym.substr(2);
    if (missing(folder, table)) return false;
    status(std::string("ข้อมูลสินค้าคงคลัง เดือน "_th) + ym.substr(4, 2) + "/" + ym.substr(0, 4));
    if (rdd::Area* old = areas.area("pro_tran")) areas.close(old->number());
    if (!data::OPEN(folder, table, "code+unit+whouse+dtos(doc_date)+stat+doc_no+indent", false, table, table,
                    "pro_tran")) {
      platform::ui().message(std::string("ไม่พบแฟ้ม:"_th) + folder + table, text("CREPNAME"));
      return false;
    }
    rdd::Area* tr = areas.area("pro_tran");
    progress.restart(tr->recCount());
    tr->seek(Value::chr(codeBeg), true);
    std::string productCode = "\x01";  // none yet this month
    // The month table's fields, found once.
    const int fCode = tr->fieldIndex("CODE"), fStat = tr->fieldIndex("STAT"), fWh = tr->fieldIndex("WHOUSE"),
              fUnit = tr->fieldIndex("UNIT"), fDate = tr->fieldIndex("DOC_DATE"), fQty = tr->fieldIndex("QTY"),
              fCost = tr->fieldIndex("COST"), fDoc = tr->fieldIndex("DOC_NO"), fIndent = tr->fieldIndex("INDENT");
    auto text = [&](int f) { return f < 0 ? std::string() : tr->getField(f).s; };
    for (; !tr->eof(); tr->skip(1)) {
      progress.step();
      std::string c = text(fCode);
      if (xbase::compareText(c, codeEnd, false) > 0 && xbase::compareText(codeEnd, c, false) != 0) break;
      // Movements come in product order: the master moves only when the code does.
      if (product && c != productCode) {
        product->seek(Value::chr(c), false);
        productCode = c;
        group = !product->eof() && fGroup >= 0 ? product->getField(fGroup).s : std::string();
      }
      std::string stat = text(fStat);
      if (tr->deleted()) continue;
      if (stat == "BEG" && mi != 0) continue;  // opening balances count in the first month only
      std::string wh = text(fWh), unit = text(fUnit);
      std::int32_t d = fDate < 0 ? 0 : tr->getField(fDate).date;
      if (!whRange.holds(wh) || !unitRange.holds(unit)) continue;
      if (d > dayEnd) continue;
      if (!groupRange.holds(group)) continue;
      double q = fQty < 0 ? 0 : tr->getField(fQty).n, cost = fCost < 0 ? 0 : tr->getField(fCost).n;
      double qin = q >= 0 ? q : 0, qout = q < 0 ? -q : 0;
      double value = q != 0 ? std::fabs(cost * q) : std::fabs(cost);
      double vin = cost >= 0 ? value : 0, vout = cost < 0 ? value : 0;
      auto fillMoves = [&](Work& row) {
        row.setAt(wQtyIn, Value::num(qin, 6));
        row.setAt(wQtyOut, Value::num(qout, 6));
        row.setAt(wCostIn, Value::num(vin, 6));
        row.setAt(wCostOut, Value::num(vout, 6));
      };
      auto fillKey = [&](Work& row) {
        row.setAt(wCode, Value::chr(c));
        row.setAt(wUnit, Value::chr(unit));
        row.setAt(wWh, Value::chr(wh));
        row.setAt(wGroup, Value::chr(group));
      };
      if (d < dayBeg) {
        std::string key = balanceKey(pad(group, 10), c, unit, wh) + std::string(8, ' ') + "0" + "BEG";
        areas.select(work->number());
        bool found = work->seek(Value::chr(key), false);
        if (!found || ownRows) {
          w.append([&](Work& row) {
            fillKey(row);
            row.setAt(wDoc, Value::chr(std::string(" ยอดคงเหลือยกมา"_th)));
            row.setAt(wDate, Value::dateValue(0));
            row.setAt(wSequen, Value::chr("0"));
            row.setAt(wStat, Value::chr("BEG"));
            fillMoves(row);
          });
        } else if (data::REC_LOCK(0)) {
          w.setAt(wQtyIn, Value::num(w.numAt(wQtyIn) + qin, 6));
          w.setAt(wQtyOut, Value::num(w.numAt(wQtyOut) + qout, 6));
          w.setAt(wCostIn, Value::num(w.numAt(wCostIn) + vin, 6));
          w.setAt(wCostOut, Value::num(w.numAt(wCostOut) + vout, 6));
          work->table().unlockAll();
        }
      } else {
        w.append([&](Work& row) {
          fillKey(row);
          row.setAt(wDoc, Value::chr(text(fDoc)));
          row.setAt(wDate, Value::dateValue(d));
          row.setAt(wSequen, Value::chr(std::string(1, char('0' + sequence(stat, q)))));
          row.setAt(wStat, Value::chr(stat));
          fillMoves(row);
          row.setAt(wIndent, Value::chr(text(fIndent)));
        });
      }
      areas.select(tr->number());
    }
  }
  if (rdd::Area* old = areas.area("pro_tran")) areas.close(old->number());
  // Closing pass: running balances per balance key, in index order.
  areas.select(work->number());
  std::string last = "\x01";
  double q = 0, v = 0;
  auto workText = [&](int f) { return f < 0 ? std::string() : work->getField(f).s; };
  for (work->goTop(); !work->eof(); work->skip(1)) {
    std::string key = balanceKey(workText(wGroup), workText(wCode), workText(wUnit), workText(wWh));
    if (key != last) {
      q = v = 0;
      last = key;
    }
    q += w.numAt(wQtyIn) - w.numAt(wQtyOut) + w.numAt(wQtyBal);
    v += w.numAt(wCostIn) - w.numAt(wCostOut) + w.numAt(wCostBal);
    if (data::REC_LOCK(0)) {
      w.setAt(wQtyBal, Value::num(q, 6));
      w.setAt(wCostBal, Value::num(v, 6));
      work->table().unlockAll();
    }
  }
  return true;
}

const char* stockIndex(char c8) {
  if (std::string("6789").find(c8) != std::string::npos && c8 != ' ') return "code+unit+dtos(doc_date)+sequen+stat+doc_no";
  if (std::string("012345").find(c8) != std::string::npos && c8 != ' ')
    return "code+unit+whouse+dtos(doc_date)+sequen+stat+doc_no";
  if (std::string("ABCD").find(c8) != std::string::npos && c8 != ' ') return "group+code+unit+dtos(doc_date)+sequen+stat+doc_no";
  return "group+code+unit+whouse+dtos(doc_date)+sequen+stat+doc_no";
}

// ---------------------------------------------------------------- documents and adjustments

struct DocTables {
  const char *head, *lines;
};

bool documents(rdd::Area* work, const std::string& code, bool withLines, bool adjustments) {
  char c6 = code.size() >= 6 ? code[5] : ' ';
  static const DocTables byChar6[] = {{"PO1_", "POD_"}, {"R01_", "REC_"}, {"C01_", "CAN_"},
                                      {"S01_", "SOD_"}, {"P01_", "PAY_"}, {"RT1_", "RET_"}};
  DocTables t{"CG1_", "CHG_"};
  if (!adjustments) {
    if (c6 < '1' || c6 > '6') {
      platform::ui().message(std::string("ไม่มีรายงาน "_th) + code, "  Report program");
      return false;
    }
    t = byChar6[c6 - '1'];
  }
  rdd::Areas& areas = data::areas();
  rdd::Area* company = areas.area("Company");
  Progress progress;
  Work w(work);
  for (const std::string& ym : months()) {
    std::string folder = text("CDRV2") + "D_" + ym + "\\";
    std::string yymm = ym.substr(2);
    std::string head = t.head + yymm, lines = t.lines + yymm;
    if (missing(folder, head) || ((withLines || adjustments) && missing(folder, lines))) return false;
    status((adjustments ? std::string("การเปลี่ยนแปลงสินค้า เดือน "_th) : std::string("ข้อมูลสินค้าคงคลัง เดือน "_th)) +
           ym.substr(4, 2) + "/" + ym.substr(0, 4));
    for (const char* alias : {"head", "detail"})
      if (rdd::Area* old = areas.area(alias)) areas.close(old->number());
    if ((withLines || adjustments) && !data::OPEN(folder, lines, "doc_no", false, lines, lines, "detail")) return false;
    if (!data::OPEN(folder, head, "doc_no", false, head, head, "head")) return false;
    rdd::Area* h = areas.area("head");
    rdd::Area* l = areas.area("detail");
    progress.restart(h->recCount());
    h->seek(Value::chr(text("CDOCBEG")), true);
    for (; !h->eof(); h->skip(1)) {
      progress.step();
      std::string doc = field(h, "DOC_NO");
      if (xbase::compareText(doc, text("CDOCEND"), false) > 0) break;
      if (h->deleted()) continue;
      std::int32_t d = dateOf(h, "DOC_DATE");
      if (d < date("CDAYBEG") || d > date("CDAYEND")) continue;
      if (!within(field(h, "SECTION"), "CSECBEG", "CSECEND") || !within(field(h, "JOB_NO"), "CJOBBEG", "CJOBEND")) continue;
      if (!adjustments) {
        if (!within(field(h, "COMPANY"), "CCODBEG", "CCODEND") || !within(field(h, "STAFF"), "CSTFBEG", "CSTFEND")) continue;
        if (company) company->seek(Value::chr(field(h, "COMPANY")), false);
      }
      auto headFields = [&](Work& row) {
        for (const char* f : {"COMPANY", "NAME", "STAFF", "CHK_NO", "SECTION", "VATCASE", "PAYMENT", "DOC_NO", "REF_NO",
                              "JOB_NO", "TRD_DISC", "CSH_DISC", "MONEY", "DESCRIP", "REMARKS"})
          if (h->fieldIndex(f) >= 0) row.text(f, field(h, f));
        for (const char* f : {"CHK_DATE", "DOC_DATE", "REF_DATE"})
          if (h->fieldIndex(f) >= 0) row.set(f, Value::dateValue(dateOf(h, f)));
        for (const char* f : {"VAT", "AMVAT", "AMBASE", "AMOUNT", "TOTAL", "SCORE_R", "SCORE_P", "EXCHANGE"})
          if (h->fieldIndex(f) >= 0) row.num(f, number(h, f));
        if (!adjustments) row.text("GROUP", company && !company->eof() ? field(company, "GROUP") : std::string());
      };
      if (!withLines && !adjustments) {
        w.append(headFields);
        continue;
      }
      for (l->seek(Value::chr(doc), false); !l->eof() && field(l, "DOC_NO") == doc; l->skip(1)) {
        if (l->deleted()) continue;
        w.append([&](Work& row) {
          headFields(row);
          row.text("CODE", field(l, "CODE"));
          if (!adjustments) row.text("PRODUCT", field(l, "NAME"));
          row.text("WHOUSE", field(l, "WHOUSE"));
          row.text("UNIT", field(l, "UNIT"));
          for (const char* f : {"QTY", "PRICE", "COST", "SCORE", "AMOUNT"})
            if (l->fieldIndex(f) >= 0) row.num(f, number(l, f));
          row.text("DISC", field(l, "DISC"));
          row.text("INDENT", field(l, "INDENT"));
        });
      }
    }
  }
  for (const char* alias : {"head", "detail"})
    if (rdd::Area* old = areas.area(alias)) areas.close(old->number());
  return true;
}


// ---------------------------------------------------------------- accounts

std::string ym(std::int32_t d) {
  xbase::DateParts p = xbase::decodeDate(d);
  char b[8];
  std::snprintf(b, sizeof b, "%04d%02d", p.year, p.month);
  return b;
}

std::string side(const std::string& code) { return code.substr(0, 2); }

std::string ledgerStatus(const std::string& code, const std::string& month) {
  return (side(code) == "AP" ? std::string("ข้อมูลบัญชีเจ้าหนี้ เดือน "_th) : std::string("ข้อมูลบัญชีลูกหนี้ เดือน "_th)) +
         month.substr(4, 2) + "/" + month.substr(0, 4);
}

bool ledger(rdd::Area* work, const std::string& code, bool byGroup) {
  rdd::Areas& areas = data::areas();
  rdd::Area* company = areas.area("Company");
  rdd::Area* group = areas.area("Group");
  std::vector<std::string> loop = months();
  Progress progress;
  Work w(work);
  const std::string broughtForward(" ยอดคงเหลือยกมา"_th);
  for (std::size_t mi = 0; mi < loop.size(); ++mi) {
    std::string folder = text("CDRV2") + "D_" + loop[mi] + "\\";
    std::string table = side(code) + "_" + loop[mi].substr(2);
    if (missing(folder, table)) return false;
    status(ledgerStatus(code, loop[mi]));
    if (rdd::Area* old = areas.area("Com_tran")) areas.close(old->number());
    if (!data::OPEN(folder, table, "code+doc_no+stat+dtos(doc_date)+ref_no", false, table, table, "Com_tran")) {
      platform::ui().message(std::string("ไม่พบแฟ้ม:"_th) + folder + table, text("CREPNAME"));
      return false;
    }
    rdd::Area* tr = areas.area("Com_tran");
    progress.restart(tr->recCount());
    for (tr->seek(Value::chr(text("CCODBEG")), true); !tr->eof(); tr->skip(1)) {
      progress.step();
      std::string c = field(tr, "CODE");
      if (xbase::compareText(c, text("CCODEND"), false) > 0) break;
      if (tr->deleted() || !within(field(tr, "SECTION"), "CSECBEG", "CSECEND")) continue;
      std::int32_t d = dateOf(tr, "DOC_DATE");
      if (d > date("CDAYEND")) continue;
      // A transaction dated in an earlier month than its table counts only in the first month's table.
      if (mi != 0 && ym(d) < loop[mi]) continue;
      if (byGroup) {
        std::string g;
        if (company && company->seek(Value::chr(c), false)) g = field(company, "GROUP");
        if (group) group->seek(Value::chr(g), false);
        if (!within(g, "CGROBEG", "CGROEND")) continue;
      }
      double amount = number(tr, "AMOUNT");
      areas.select(work->number());
      if (d < date("CDAYBEG")) {
        std::string key = c;
        key.resize(20, ' ');
        key += std::string(8, ' ') + broughtForward + "BEG";
        if (!work->seek(Value::chr(key), false)) {
          w.append([&](Work& row) {
            row.text("CODE", c);
            row.text("DOC_NO", broughtForward);
            row.set("DOC_DATE", Value::dateValue(0));
            row.text("STAT", "BEG");
            row.num("AMT_BAL", amount);
          });
        } else if (data::REC_LOCK(0)) {
          w.num("AMT_BAL", w.numOf("AMT_BAL") + amount);
          work->table().unlockAll();
        }
      } else {
        bool negative = amount < 0;
        w.append([&](Work& row) {
          row.text("CODE", c);
          row.text("DOC_NO", field(tr, negative ? "REF_NO" : "DOC_NO"));
          row.text("REF_NO", field(tr, negative ? "DOC_NO" : "REF_NO"));
          row.set("DOC_DATE", Value::dateValue(d));
          row.set("REF_DATE", Value::dateValue(dateOf(tr, "REF_DATE")));
          row.set("DUE_DATE", Value::dateValue(dateOf(tr, "DUE_DATE")));
          row.text("SECTION", field(tr, "SECTION"));
          row.text("STAT", field(tr, "STAT"));
          row.num("AMT_IN", negative ? 0 : amount);
          row.num("AMT_OUT", negative ? -amount : 0);
        });
      }
      areas.select(tr->number());
    }
  }
  if (rdd::Area* old = areas.area("Com_tran")) areas.close(old->number());
  areas.select(work->number());
  std::string last = "\x01";
  double sum = 0;
  for (work->goTop(); !work->eof(); work->skip(1)) {
    std::string c = field(work, "CODE");
    if (c != last) {
      sum = 0;
      last = c;
    }
    sum += w.numOf("AMT_IN") - w.numOf("AMT_OUT") + w.numOf("AMT_BAL");
    if (data::REC_LOCK(0)) {
      w.num("AMT_BAL", sum);
      work->table().unlockAll();
    }
  }
  return true;
}

bool statement(rdd::Area* work, const std::string& code, const std::string& secondIndex) {
  rdd::Areas& areas = data::areas();
  std::string month = ym(date("CDAYEND"));
  std::string folder = text("CDRV2") + "D_" + month + "\\";
  std::string table = side(code) + "_" + month.substr(2);
  status(ledgerStatus(code, month));
  char c7 = code.size() >= 7 ? code[6] : ' ', c8 = code.size() >= 8 ? code[7] : ' ';
  if (!work->createOrder(secondIndex, "code+dtos(doc_date)+doc_no")) return false;
  work->setOrder(1);
  Work w(work);
  if (data::OPEN(folder, table, "code+doc_no+stat+dtos(doc_date)+ref_no", false, table, table, "Com_tran")) {
    rdd::Area* tr = areas.area("Com_tran");
    Progress progress;
    progress.restart(tr->recCount());
    std::string begin = text("CCODBEG"), end = text("CCODEND");
    begin.resize(20, ' ');
    end.resize(20, ' ');
    begin += text("CDOCBEG");
    end += text("CDOCEND");
    for (tr->seek(Value::chr(begin), true); !tr->eof(); tr->skip(1)) {
      progress.step();
      std::string key = field(tr, "CODE") + field(tr, "DOC_NO");
      if (xbase::compareText(key, end, false) > 0) break;
      std::int32_t d = dateOf(tr, "DOC_DATE");
      if (tr->deleted() || d > date("CDAYEND")) continue;
      areas.select(work->number());
      std::string c = field(tr, "CODE"), doc = field(tr, "DOC_NO");
      if (!work->seek(Value::chr(c + doc), false) || c7 == '1') {
        w.append([&](Work& row) {
          row.text("CODE", c);
          row.text("DOC_NO", doc);
          row.set("DOC_DATE", Value::dateValue(d));
          row.text("REF_NO", field(tr, "REF_NO"));
          row.set("DUE_DATE", Value::dateValue(dateOf(tr, "DUE_DATE")));
        });
      }
      std::string st = field(tr, "STAT");
      double amount = number(tr, "AMOUNT");
      const char* column = nullptr;
      double posted = amount;
      if (st == "REC" || st == "INV") {
        if (w.numOf("AMOUNT") > 0) {
          std::string t = std::string("เลขเอกสาร "_th) + trimmed(doc) + std::string(" บริษัท "_th) + trimmed(c) +
                          std::string(" ซ้ำ"_th) + "\r\n" + xbase::dateToText(dateOf(work, "DOC_DATE"), R().set.dates) +
                          std::string(" กับ "_th) + xbase::dateToText(d, R().set.dates);
          platform::ui().message(t, "  ส่วนจัดทำรายงาน"_th);
        }
        column = "AMOUNT";
      } else if (st == "CAN" || st == "RET") {
        column = "CANCEL";
        posted = -amount;
      } else if (st == "REV") {
        column = "CASH";
        posted = -amount;
      } else if (st == "A/P" || st == "A/R") {
        column = "DRCR";
      } else if (st == "APP" || st == "ARR") {
        column = "PAYMENT";
        posted = -amount;
      }
      if (column && (work->table().holdsLock(work->recNo()) || data::REC_LOCK(0))) {
        w.num(column, w.numOf(column) + posted);
        if (column == std::string("AMOUNT")) w.set("DOC_DATE", Value::dateValue(d));
      }
      work->table().unlockAll();
      areas.select(tr->number());
    }
    areas.close(tr->number());
  }
  areas.select(work->number());
  if (std::string("6789").find(c8) != std::string::npos && c8 != ' ') {
    // Settled documents disappear.
    for (work->goTop(); !work->eof(); work->skip(1)) {
      double open = w.numOf("AMOUNT") - w.numOf("CANCEL") + w.numOf("DRCR") - w.numOf("CASH") - w.numOf("PAYMENT");
      if (std::fabs(open) < 0.005) work->deleteRecord();
    }
    work->pack();
  }
  work->setOrder(2);
  work->goTop();
  return true;
}

bool generalLedger(rdd::Area* work, const std::string& code) {
  rdd::Areas& areas = data::areas();
  char layout = code.size() >= 6 ? code[5] : ' ';
  if (layout < '1' || layout > '8') return true;  // layout 9 and others: an empty work table
  rdd::Area* books = areas.area("AccBook");
  rdd::Area* accounts = areas.area("AccCode");
  rdd::Area* sections = areas.area("Section");
  if (!books) return false;
  std::vector<std::string> loop = months();
  Progress progress;
  Work w(work);
  auto setPair = [&](const char* d, const char* c, double debit, double credit) {
    w.num(d, w.numOf(d) + debit);
    w.num(c, w.numOf(c) + credit);
  };
  for (std::size_t mi = 0; mi < loop.size(); ++mi) {
    std::string folder = text("CDRV2") + "D_" + loop[mi] + "\\";
    std::string yymm = loop[mi].substr(2);
    std::vector<std::string> taken;
    for (books->goTop(); !books->eof(); books->skip(1))
      if (!books->deleted() && trimmed(field(books, "POST")) == "Y" && within(field(books, "CODE"), "CJOBBEG", "CJOBEND"))
        taken.push_back(trimmed(field(books, "CODE")));
    for (const std::string& book : taken) {
      std::string headTable = book + yymm + "1", lineTable = book + yymm + "2";
      if (!rdd::fileExists(folder + headTable + ".dbf") || !rdd::fileExists(folder + lineTable + ".dbf")) continue;
      status(std::string("สมุด "_th) + book + std::string(" เดือน "_th) + loop[mi].substr(4, 2) + "/" + loop[mi].substr(0, 4));
      for (const char* alias : {"head", "detail"})
        if (rdd::Area* old = areas.area(alias)) areas.close(old->number());
      if (!data::OPEN(folder, lineTable, "doc_no", false, lineTable, lineTable, "detail") ||
          !data::OPEN(folder, headTable, "doc_no", false, headTable, headTable, "head"))
        continue;
      rdd::Area* h = areas.area("head");
      rdd::Area* l = areas.area("detail");
      bool gl0 = book == "GL0", bgt = book == "BGT";
      progress.restart(h->recCount());
      for (h->goTop(); !h->eof(); h->skip(1)) {
        progress.step();
        std::int32_t d = dateOf(h, "DOC_DATE");
        if (h->deleted() || d < date("CDAYBEG") || d > date("CDAYEND")) continue;
        if (!within(field(h, "DOC_NO"), "CDOCBEG", "CDOCEND") || !within(field(h, "JOB_NO"), "CJNOBEG", "CJNOEND")) continue;
        std::string doc = field(h, "DOC_NO");
        for (l->seek(Value::chr(doc), false); !l->eof() && field(l, "DOC_NO") == doc; l->skip(1)) {
          if (l->deleted()) continue;
          std::string account = field(l, "CODE"), section = field(l, "SECTION");
          if (!within(account, "CCODBEG", "CCODEND") || !within(section, "CSECBEG", "CSECEND")) continue;
          if (sections) sections->seek(Value::chr(section), false);
          if (accounts) accounts->seek(Value::chr(account), false);
          std::string name = accounts && !accounts->eof() ? field(accounts, "NAME") : std::string();
          std::string secName = sections && !sections->eof() ? field(sections, "NAME") : std::string();
          double debit = number(l, "DEBIT"), credit = number(l, "CREDIT");
          auto fullRow = [&](Work& row, std::int32_t rowDate) {
            row.text("CODE", account);
            row.text("NAME", name);
            row.text("SECTION", section);
            row.text("SECNAME", secName);
            row.text("BOOK", book);
            row.text("DOC_NO", doc);
            row.set("DOC_DATE", Value::dateValue(rowDate));
            row.text("JOB_NO", field(h, "JOB_NO"));
            row.text("DESCRIP", field(h, "DESCRIP"));
            row.text("REMARKS", field(h, "REMARKS"));
            row.text("DESCRIP2", field(l, "DESCRIP"));
          };
          areas.select(work->number());
          if (layout == '1') {
            w.append([&](Work& row) {
              fullRow(row, d);
              row.num("DEBIT2", debit);
              row.num("CREDIT2", credit);
            });
          } else if (layout == '2' || layout == '3' || layout == '4' || layout == '7') {
            if (!bgt && (!gl0 || mi == 0))
              w.append([&](Work& row) {
                fullRow(row, gl0 ? 0 : d);
                row.num("DEBIT2", debit);
                row.num("CREDIT2", credit);
              });
          } else if (layout == '5' || layout == '6') {
            std::string key = account;
            key.resize(20, ' ');
            if (layout == '5') key += section;
            if (!work->seek(Value::chr(key), false))
              w.append([&](Work& row) {
                row.text("CODE", account);
                row.text("NAME", name);
                row.text("BOOK", book);
                if (layout == '5') {
                  row.text("SECTION", section);
                  row.text("SECNAME", secName);
                }
              });
            if (!(gl0 && mi != 0) && data::REC_LOCK(0)) {
              if (bgt) setPair("DEBIT0", "CREDIT0", debit, credit);
              else if (gl0) setPair("DEBIT1", "CREDIT1", debit, credit);
              else setPair("DEBIT2", "CREDIT2", debit, credit);
            }
            work->table().unlockAll();
          } else if (layout == '8') {
            if (!bgt && (!gl0 || mi == 0)) {
              std::string key = account;
              key.resize(20, ' ');
              key += xbase::dateToSortable(d) + doc;
              if (!work->seek(Value::chr(key), false)) w.append([&](Work& row) { fullRow(row, d); });
              if (data::REC_LOCK(0)) setPair("DEBIT2", "CREDIT2", debit, credit);
              work->table().unlockAll();
            }
          }
          areas.select(l->number());
        }
      }
      for (const char* alias : {"head", "detail"})
        if (rdd::Area* old = areas.area(alias)) areas.close(old->number());
    }
  }
  areas.select(work->number());
  if (std::string("23478").find(layout) != std::string::npos) {
    auto breakKey = xbase::compile(layout == '2' ? "RepData->code+RepData->section" : "RepData->code");
    std::string last = "\x01";
    double b0 = 0, b1 = 0, b2 = 0;
    for (work->goTop(); !work->eof(); work->skip(1)) {
      Value k = breakKey ? breakKey->eval() : Value();
      std::string key = k.isChar() ? k.s : std::string();
      if (key != last) {
        b0 = b1 = b2 = 0;
        last = key;
      }
      b0 += w.numOf("DEBIT0") - w.numOf("CREDIT0");
      b1 += w.numOf("DEBIT1") - w.numOf("CREDIT1");
      b2 += w.numOf("DEBIT2") - w.numOf("CREDIT2");
      if (data::REC_LOCK(0)) {
        w.num("BALANCE0", b0);
        w.num("BALANCE1", b1);
        w.num("BALANCE2", b2);
        work->table().unlockAll();
      }
    }
  }
  work->goTop();
  return true;
}
}  // namespace

bool REPFCREATE() {
  std::string code = text("CREPCODE");
  std::string user = trimmed(text("CUSER")).substr(0, 6);
  std::string name = "D_" + user;
  std::string base = text("CDRV4") + name;
  rdd::Areas& areas = data::areas();
  if (rdd::Area* old = areas.area("Repdata")) areas.close(old->number());
  rdd::removeFile(base + ".DBF");
  rdd::removeFile(base + ".dbf");
  rdd::removeFile(base + ".NTX");
  auto starts = [&](const char* p) { return code.rfind(p, 0) == 0; };
  enum { None, Movement, Ledger, GroupLedger, Statement, Trn, Doc, Adj, General } kind = None;
  if (starts("IVACC")) kind = Movement;
  else if (starts("APACC") || starts("ARACC")) kind = Ledger;
  else if (starts("APACG") || starts("ARACG")) kind = GroupLedger;
  else if (starts("APSTA") || starts("ARSTA")) kind = Statement;
  else if (chars(code, 3, 5, "TRN")) kind = Trn;
  else if (starts("IVADJ")) kind = Adj;
  else if (chars(code, 3, 5, "DOC")) kind = Doc;
  else if (starts("GLACC")) kind = General;
  if (kind == None) {
    platform::ui().message(std::string("ไม่มีรายงาน "_th) + code, "  Report program");
    return false;
  }
  std::vector<rdd::FieldDef> fields;
  std::string key;
  char c7 = code.size() >= 7 ? code[6] : ' ';
  if (kind == Movement) {
    fields = {{"CODE", 'C', 20, 0},   {"UNIT", 'C', 4, 0},     {"WHOUSE", 'C', 4, 0},   {"GROUP", 'C', 10, 0},
              {"DOC_NO", 'C', 15, 0}, {"DOC_DATE", 'D', 8, 0}, {"SEQUEN", 'C', 1, 0},   {"STAT", 'C', 3, 0},
              {"QTY_IN", 'N', 18, 6}, {"QTY_OUT", 'N', 18, 6}, {"QTY_BAL", 'N', 18, 6}, {"COST_IN", 'N', 18, 6},
              {"COST_OUT", 'N', 18, 6}, {"COST_BAL", 'N', 18, 6}, {"INDENT", 'C', 6, 0}};
    key = stockIndex(code.size() >= 8 ? code[7] : ' ');
  } else if (kind == Ledger || kind == GroupLedger) {
    fields = {{"CODE", 'C', 20, 0},    {"DOC_NO", 'C', 15, 0},   {"DOC_DATE", 'D', 8, 0}, {"REF_NO", 'C', 15, 0},
              {"REF_DATE", 'D', 8, 0}, {"SECTION", 'C', 4, 0},   {"STAT", 'C', 3, 0},     {"AMT_IN", 'N', 15, 2},
              {"AMT_OUT", 'N', 15, 2}, {"AMT_BAL", 'N', 15, 2}, {"DUE_DATE", 'D', 8, 0}};
    key = "code+dtos(doc_date)+doc_no+stat+ref_no";
  } else if (kind == Statement) {
    fields = {{"CODE", 'C', 20, 0},    {"DOC_NO", 'C', 15, 0},  {"DOC_DATE", 'D', 8, 0}, {"REF_NO", 'C', 15, 0},
              {"AMOUNT", 'N', 15, 2},  {"CANCEL", 'N', 15, 2},  {"DRCR", 'N', 15, 2},    {"CASH", 'N', 15, 2},
              {"PAYMENT", 'N', 15, 2}, {"DUE_DATE", 'D', 8, 0}};
    key = "code+doc_no+dtos(doc_date)";
  } else if (kind == General) {
    fields = {{"CODE", 'C', 20, 0},     {"NAME", 'C', 60, 0},     {"SECTION", 'C', 4, 0},    {"SECNAME", 'C', 40, 0},
              {"BOOK", 'C', 3, 0},      {"DOC_NO", 'C', 15, 0},   {"DOC_DATE", 'D', 8, 0},   {"JOB_NO", 'C', 15, 0},
              {"DESCRIP", 'C', 60, 0},  {"REMARKS", 'C', 60, 0},  {"DESCRIP2", 'C', 60, 0},  {"DEBIT0", 'N', 15, 2},
              {"CREDIT0", 'N', 15, 2},  {"BALANCE0", 'N', 15, 2}, {"DEBIT1", 'N', 15, 2},    {"CREDIT1", 'N', 15, 2},
              {"BALANCE1", 'N', 15, 2}, {"DEBIT2", 'N', 15, 2},   {"CREDIT2", 'N', 15, 2},   {"BALANCE2", 'N', 15, 2}};
    char layout = code.size() >= 6 ? code[5] : ' ';
    const char* keys[] = {"dtos(doc_date)", "code+section+doc_no", "code+doc_no", "code+dtos(doc_date)+doc_no",
                          "code+section+dtoc(doc_date)", "code", "code+section+doc_no", "code+dtos(doc_date)+doc_no"};
    key = layout >= '1' && layout <= '8' ? keys[layout - '1'] : "doc_no";
    if (!data::OPEN(text("CDRV1"), "AccBook", "code", false, "AccBook", "AccBook", "AccBook")) return false;
  } else if (kind == Adj) {
    fields = {{"DOC_NO", 'C', 15, 0}, {"DOC_DATE", 'D', 8, 0}, {"STAFF", 'C', 15, 0}, {"SECTION", 'C', 4, 0},
              {"JOB_NO", 'C', 15, 0}, {"DESCRIP", 'C', 60, 0}, {"REMARKS", 'C', 60, 0}, {"CODE", 'C', 20, 0},
              {"WHOUSE", 'C', 4, 0},  {"UNIT", 'C', 4, 0},     {"QTY", 'N', 15, 6},     {"COST", 'N', 15, 6},
              {"INDENT", 'C', 6, 0}};
    const char* keys[] = {"doc_no", "dtos(doc_date)+doc_no", "staff+doc_no", "code+doc_no", "job_no+doc_no",
                          "job_no+staff+doc_no", "job_no+code+doc_no"};
    key = c7 >= '1' && c7 <= '7' ? keys[c7 - '1'] : "doc_no";
  } else {
    fields = {{"COMPANY", 'C', 20, 0}, {"NAME", 'C', 60, 0},    {"GROUP", 'C', 10, 0},   {"STAFF", 'C', 15, 0},
              {"CHK_NO", 'C', 15, 0},  {"CHK_DATE", 'D', 8, 0}, {"SECTION", 'C', 4, 0},  {"VATCASE", 'C', 1, 0},
              {"PAYMENT", 'C', 10, 0}, {"DOC_NO", 'C', 15, 0},  {"DOC_DATE", 'D', 8, 0}, {"REF_NO", 'C', 15, 0},
              {"REF_DATE", 'D', 8, 0}, {"JOB_NO", 'C', 15, 0},  {"TRD_DISC", 'C', 15, 0}, {"CSH_DISC", 'C', 15, 0},
              {"VAT", 'N', 5, 2},      {"AMVAT", 'N', 14, 2},   {"AMBASE", 'N', 14, 2},  {"AMOUNT", 'N', 14, 2},
              {"TOTAL", 'N', 14, 2},   {"SCORE_R", 'N', 14, 2}, {"SCORE_P", 'N', 14, 2}, {"MONEY", 'C', 20, 0},
              {"EXCHANGE", 'N', 10, 6}};
    if (kind == Trn)
      for (rdd::FieldDef f : std::vector<rdd::FieldDef>{{"CODE", 'C', 20, 0},  {"PRODUCT", 'C', 20, 0}, {"WHOUSE", 'C', 4, 0},
                                                        {"UNIT", 'C', 4, 0},   {"QTY", 'N', 15, 6},     {"PRICE", 'N', 15, 6},
                                                        {"COST", 'N', 15, 6},  {"DISC", 'C', 15, 0},    {"SCORE", 'N', 15, 6}})
        fields.push_back(f);
    const char* trn[] = {"doc_no", "dtos(doc_date)+doc_no", "company+doc_no", "code+doc_no", "job_no+doc_no",
                         "job_no+company+doc_no", "job_no+code+doc_no", "company+dtos(doc_date)+doc_no",
                         "code+dtos(doc_date)+doc_no"};
    const char* doc[] = {"doc_no", "dtos(doc_date)+doc_no", "company+doc_no", "doc_no", "job_no+doc_no",
                         "job_no+company+doc_no", "company+dtos(doc_date)+doc_no", "job_no+dtos(doc_date)+doc_no",
                         "job_no+company+dtos(doc_date)+doc_no"};
    if (c7 >= '1' && c7 <= '9')
      key = kind == Trn ? trn[c7 - '1'] : doc[c7 - '1'];
    else if (c7 == 'A')
      key = "staff+dtos(doc_date)+doc_no";
    else if (c7 == 'B')
      key = "group+staff+dtos(doc_date)+doc_no";
    else
      key = "doc_no";
  }
  try {
    rdd::Area* created = areas.create(base + ".dbf", fields, "WORKNEW");
    if (created) areas.close(created->number());
  } catch (const xbase::ErrorException&) {
  }
  if (!rdd::fileExists(base + ".dbf") ||
      !data::OPEN(text("CDRV4"), name, key, true, name, name, "Repdata")) {
    platform::ui().message("ไม่สามารถเปิดแฟ้มรายงานได้"_th, text("CREPNAME"));
    return false;
  }
  rdd::Area* work = areas.area("Repdata");
  bool ok = false;
  switch (kind) {
    case Movement: ok = stockMovement(work, code); break;
    case Ledger:
    case GroupLedger: ok = ledger(work, code, kind == GroupLedger); break;
    case Statement: ok = statement(work, code, text("CDRV4") + "E_" + user + ".ntx"); break;
    case General: ok = generalLedger(work, code); break;
    default: ok = documents(work, code, kind == Trn, kind == Adj); break;
  }
  if (rdd::Area* w = areas.area("Repdata")) areas.select(w->number());
  return ok;
}

}  // namespace engine
