#include "engine/page_frame.h"

#include <cmath>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/numfmt.h"

namespace engine {

using xbase::operator""_th;
using xbase::Value;

namespace {

xbase::Runtime& R() { return xbase::rt(); }
double num(const char* name) {
  Value* v = R().memvars.lookup(name);
  return v && v->isNum() ? v->n : v && v->isChar() ? xbase::parseNumber(v->s).n : 0;
}
std::string text(const char* name) {
  Value* v = R().memvars.lookup(name);
  return v && v->isChar() ? v->s : std::string();
}
void set(const char* name, Value v) { *R().memvars.lookup(name) = std::move(v); }
void setNum(const char* name, double v) { set(name, Value::num(v, 0)); }
Value zeros(std::size_t n) {
  Value a = Value::array(n);
  for (auto& v : *a.a) v = Value::integer(0);
  return a;
}
std::string nines() {
  std::string s;
  for (int i = 0; i < 20; ++i) s += "๙"_th;
  return s;
}

const char* kRunVars[] = {"NVERT", "NHORZ", "NVGRAPH", "NHGRAPH", "NLSPACE", "NMAXL",  "NLINE",   "NPAGE",
                          "NPGNO", "NITEM", "NSUM",    "NSUB",    "CSUM",    "CSUB",   "CTOT",    "CDNAME",
                          "CGROUP", "CGCHECK", "CBLOCK", "CBCHECK", "NMINLH", "NMAXLH", "LPAGE"};

platform::PrintFont printFont(int n, bool bold) {
  std::string k = std::to_string(n);
  platform::PrintFont f;
  f.face = text(("CFONT" + k).c_str());
  double factor = num("CPRNFAC");
  f.width = num(("CWIDTH" + k).c_str()) * factor;
  f.height = num(("CHEIGHT" + k).c_str()) * factor;
  f.bold = bold;
  return f;
}

}  // namespace

PageFrame::PageFrame() : frame_("REPSTART", __FILE__, __LINE__) {
  for (const char* v : kRunVars) xbase::declarePrivate(v, Value::integer(0));
  set("CSUM", zeros(40));
  set("CSUB", zeros(40));
  set("CTOT", zeros(40));
  set("CDNAME", Value::array(10));
  set("CGROUP", Value::chr("space(0)"));
  set("CBLOCK", Value::chr("space(0)"));
  set("LPAGE", Value::logical(false));
  context_.tmpl = &tmpl_;
}

PageFrame::~PageFrame() {
  templates::setPrintContext(nullptr);
  if (rdd::Area* prn = data::areas().area("RepPrn")) data::areas().close(prn->number());
}

void PageFrame::setUp() {
  for (int i = 1; i <= 6; ++i) context_.fonts[i - 1] = printFont(i, i == 2 || i == 3);
  for (int i = 1; i <= 3; ++i) context_.pens[i - 1].width = int(num(("CPEN" + std::to_string(i)).c_str()));
  printer_ = platform::printTarget()->open(text("CREPCODE"));
  printer_->startJob(text("CREPNAME"));
  context_.printer = printer_.get();
  templates::setPrintContext(&context_);
}

void PageFrame::metrics() {
  setNum("NVERT", printer_->verticalResolution());
  setNum("NHORZ", printer_->horizontalResolution());
  setNum("NVGRAPH", printer_->pixelsPerInchY());
  setNum("NHGRAPH", printer_->pixelsPerInchX());
  double perInch = num("CLINEINCH");
  if (perInch <= 0) perInch = 6;
  setNum("NLSPACE", std::floor(num("NVGRAPH") / perInch));
  double lines = std::floor(num("NVERT") / num("NLSPACE")) - perInch - num("CREPFOOT");
  // Settings that leave no room for a detail line would never end the
  // report: one line per page at least.
  setNum("NMAXL", std::max(1.0, lines));
}

void PageFrame::counters() {
  for (const char* v : {"NLINE", "NPAGE", "NPGNO", "NITEM", "NSUM", "NSUB", "NMAXLH"}) setNum(v, 0);
  setNum("NMINLH", 99999);
  set("CSUB", zeros(40));
  set("CSUM", zeros(40));
  set("CTOT", zeros(40));
  set("CGCHECK", Value::chr(nines()));
  set("CBCHECK", Value::chr(nines()));
}

void PageFrame::endPage() {
  printer_->endPage();
  set("LPAGE", Value::logical(false));
}

void PageFrame::pageStart(const char* alias) {
  setNum("NMINLH", 99999);
  setNum("NMAXLH", 0);
  setNum("NPAGE", num("NPAGE") + 1);
  setNum("NPGNO", num("NPGNO") + 1);
  setNum("NLINE", 0);
  Value* lpage = R().memvars.lookup("LPAGE");
  if (!(lpage->isLogical() && lpage->b)) printer_->startPage();
  set("LPAGE", Value::logical(true));
  templates::REPMAKE('H', alias);
}

void PageFrame::pageChange() {
  if (num("NITEM") > 0) templates::REPMAKE('F', "RepData");
  Value* lpage = R().memvars.lookup("LPAGE");
  if (lpage->isLogical() && lpage->b) printer_->endPage();
  set("LPAGE", Value::logical(false));
}

void PageFrame::progress(long count, long total) {
  int pct = total > 0 ? int(double(count) * 100 / double(total)) : 100;
  if (pct == lastPercent_) return;
  lastPercent_ = pct;
  if (text("CBMETER") == "1" || !R().memvars.lookup("CBMETER"))
    R().memvars.assign("NACTUAL", Value::integer(pct), R().depth());
  else
    R().memvars.assign("NACTUAL", Value::chr("Process = " + xbase::formatNumber(pct, 3, 0) + " %"), R().depth());
}

void PageFrame::close() {
  if (!printer_) return;
  Value* lpage = R().memvars.lookup("LPAGE");
  if (lpage->isLogical() && lpage->b) printer_->endPage();
  set("LPAGE", Value::logical(false));
  printer_->endJob();
  printer_.reset();
  templates::setPrintContext(nullptr);
  if (text("CBMETER") == "1")
    R().memvars.assign("NACTUAL", Value::integer(0), R().depth());
  else
    R().memvars.assign("NACTUAL", Value::chr(std::string(30, ' ')), R().depth());
}

namespace {

// Links from the work table to master tables, by report code: each related
// table follows the work table by seeking its key expression.
void linkRelated(rdd::Area* work, const std::string& code) {
  struct Link {
    const char* from;
    const char* to;
    const char* key;
  };
  std::vector<Link> links;
  auto starts = [&](const char* p) { return code.rfind(p, 0) == 0; };
  std::string mid = code.size() >= 5 ? code.substr(2, 3) : std::string();
  if (starts("IVACC"))
    links = {{"RepData", "product", "repdata->code"}, {"RepData", "unit", "repdata->unit"},
             {"RepData", "whouse", "repdata->whouse"}, {"RepData", "gproduct", "repdata->group"}};
  else if (starts("APACC") || starts("ARACC"))
    links = {{"RepData", "company", "repdata->code"}, {"RepData", "Section", "repdata->Section"}};
  else if (starts("APACG") || starts("ARACG"))
    links = {{"RepData", "company", "repdata->code"}, {"RepData", "Section", "repdata->Section"},
             {"company", "group", "company->group"}};
  else if (starts("APSTA") || starts("ARSTA"))
    links = {{"RepData", "company", "repdata->code"}};
  else if (mid == "TRN")
    links = {{"RepData", "company", "repdata->company"}, {"RepData", "product", "repdata->code"},
             {"RepData", "Section", "repdata->Section"}, {"RepData", "Employee", "repdata->staff"}};
  else if (starts("IVADJ"))
    links = {{"RepData", "product", "repdata->code"}, {"RepData", "Section", "repdata->Section"}};
  else if (mid == "DOC")
    links = {{"RepData", "company", "repdata->company"}, {"RepData", "Section", "repdata->Section"},
             {"RepData", "Employee", "repdata->staff"}};
  rdd::Areas& areas = data::areas();
  for (const Link& l : links) {
    rdd::Area* from = areas.area(l.from);
    rdd::Area* to = areas.area(l.to);
    if (!from || !to) continue;
    areas.select(from->number());
    from->setRelation(l.key, to->number());
  }
  areas.select(work->number());
}

}  // namespace

// A group or block that finds its page full (an "EJ" in the section before,
// or a long sum) starts on the next page, not below the line limit.
void newPageIfFull(PageFrame& run, long& onPage) {
  if (onPage == 0 || num("NLINE") < num("NMAXL")) return;
  onPage = 0;
  run.pageChange();
  run.pageStart();
}

void REPSTART() {
  PageFrame run;
  rdd::Areas& areas = data::areas();
  rdd::Area* work = areas.area("RepData");
  if (!work) return;
  areas.select(work->number());
  work->goTop();
  if (work->eof()) {
    platform::ui().message("ไม่มีข้อมูลในช่วงที่ระบุ"_th, "  ส่วนจัดทำรายงาน"_th);
    return;
  }
  if (!run.loadTemplate()) return;
  const templates::Directives& d = run.tmpl().directives();
  if (!d.group.empty()) set("CGROUP", Value::chr(d.group));
  if (!d.block.empty()) set("CBLOCK", Value::chr(d.block));
  linkRelated(work, text("CREPCODE"));
  areas.select(work->number());
  work->goTop();
  run.setUp();
  run.metrics();
  run.counters();
  auto groupKey = xbase::compile(text("CGROUP"));
  auto blockKey = xbase::compile(text("CBLOCK"));
  auto keyText = [](const std::shared_ptr<const xbase::Expr>& e) {
    Value v = e ? e->eval() : Value();
    return v.isChar() ? v.s : v.isNum() ? xbase::formatNumber(v) : v.isDate() ? std::to_string(v.date) : std::string();
  };
  long total = work->recCount(), count = 0;
  std::string code = text("CREPCODE");
  bool withBalance = code.size() >= 6 && code.substr(2, 4) == "PRO1";
  while (!work->eof()) {
    if (num("NITEM") > 0) run.pageChange();
    run.pageStart();
    // At least one detail per page, even when the head already fills it:
    // otherwise the run would start pages for ever.
    long onPage = 0;
    while ((num("NLINE") < num("NMAXL") || onPage == 0) && !work->eof()) {
      run.progress(++count, total);
      areas.select(work->number());
      std::string block = keyText(blockKey);
      if (block != text("CBCHECK")) {
        if (num("NSUB") > 0) templates::REPMAKE('E', "RepData");
        std::string group = keyText(groupKey);
        if (group != text("CGCHECK")) {
          if (num("NSUM") > 0) templates::REPMAKE('S', "RepData");
          newPageIfFull(run, onPage);
          set("CGCHECK", Value::chr(group));
          setNum("NSUM", 0);
          set("CSUM", zeros(40));
          templates::REPMAKE('G', "RepData");
        }
        newPageIfFull(run, onPage);
        set("CBCHECK", Value::chr(block));
        setNum("NSUB", 0);
        set("CSUB", zeros(40));
        templates::REPMAKE('B', "RepData");
      }
      setNum("NSUM", num("NSUM") + 1);
      setNum("NSUB", num("NSUB") + 1);
      setNum("NITEM", num("NITEM") + 1);
      if (withBalance) {
        double balance = 0;
        if (rdd::Area* st = areas.area("ivstatus")) {
          std::string wanted = work->getField(work->fieldIndex("CODE")).s;
          int code = st->fieldIndex("CODE");
          for (st->goTop(); !st->eof(); st->skip(1)) {
            if (st->deleted() || xbase::compareText(st->getField(code).s, wanted, true) != 0) continue;
            auto f = [&](const char* n) {
              int i = st->fieldIndex(n);
              return i < 0 ? 0.0 : st->getField(i).n;
            };
            balance += f("BEGIN") + f("GODOWN") + f("RETURN") + f("ADJUST") - f("REJECT") - f("SALE");
          }
        }
        R().memvars.assign("CBALANCE", Value::num(balance, 2), R().depth());
        areas.select(work->number());
      }
      templates::REPMAKE('D', "RepData");
      ++onPage;
      work->skip(1);
    }
  }
  if (num("NITEM") > 0) {
    templates::REPMAKE('E', "RepData");
    templates::REPMAKE('S', "RepData");
    templates::REPMAKE('T', "RepData");
  }
  run.close();
}

void REPIVSTART() {
  PageFrame run;
  rdd::Areas& areas = data::areas();
  std::string code = text("CREPCODE");
  char level = code.size() >= 8 ? code[7] : ' ';
  std::string key = std::string("0123456789").find(level) != std::string::npos && level != ' '
                        ? (std::string("6789").find(level) != std::string::npos
                               ? "code+unit+dtos(doc_date)+sequen+stat+doc_no"
                               : "code+unit+whouse+dtos(doc_date)+sequen+stat+doc_no")
                    : std::string("ABCD").find(level) != std::string::npos && level != ' '
                        ? "group+code+unit+dtos(doc_date)+sequen+stat+doc_no"
                        : "group+code+unit+whouse+dtos(doc_date)+sequen+stat+doc_no";
  if (rdd::Area* old = areas.area("RepData")) areas.close(old->number());
  std::string user = text("CUSER");
  while (!user.empty() && user.back() == ' ') user.pop_back();
  std::string name = "D_" + user.substr(0, 6);
  if (!data::OPEN(text("CDRV4"), name, key, false, name, name, "detail")) return;
  rdd::Area* detail = areas.area("detail");
  for (auto [to, k] : {std::pair{"product", "detail->code"}, {"unit", "detail->unit"}, {"whouse", "detail->whouse"},
                       {"gproduct", "detail->group"}})
    if (rdd::Area* rel = areas.area(to)) detail->setRelation(k, rel->number());
  areas.select(detail->number());
  detail->goTop();
  if (detail->eof()) {
    platform::ui().message("ไม่มีข้อมูลในช่วงที่ระบุ"_th, "  ส่วนจัดทำรายงาน"_th);
    return;
  }
  if (!run.loadTemplate()) return;
  areas.select(detail->number());
  run.setUp();
  run.metrics();
  run.counters();
  auto groupKey = xbase::compile(code.size() >= 6 && code[5] == '1' ? "detail->code+detail->unit+detail->whouse"
                                                                    : "detail->code+detail->unit");
  long total = detail->recCount(), count = 0;
  while (!detail->eof()) {
    if (num("NITEM") > 0) {
      templates::REPMAKE('F', "detail");
      run.endPage();
    }
    run.pageStart("detail");
    bool first = true;
    while ((num("NLINE") < num("NMAXL") || first) && !detail->eof()) {
      first = false;
      run.progress(++count, total);
      areas.select(detail->number());
      if (!detail->deleted()) {
        Value g = groupKey ? groupKey->eval() : Value();
        std::string group = g.isChar() ? g.s : std::string();
        if (group != text("CGCHECK")) {
          if (num("NSUM") > 0) templates::REPMAKE('S', "detail");
          set("CGCHECK", Value::chr(group));
          setNum("NSUM", 0);
          set("CSUM", zeros(40));
          templates::REPMAKE('G', "detail");
        }
        setNum("NSUM", num("NSUM") + 1);
        setNum("NITEM", num("NITEM") + 1);
        templates::REPMAKE('D', "detail");
      }
      detail->skip(1);
    }
  }
  templates::REPMAKE('S', "detail");
  templates::REPMAKE('T', "detail");
  run.close();
}

void registerEngineFunctions(xbase::Runtime& r) {
  r.registerFunction("REPSTART", [](xbase::Args) {
    REPSTART();
    return Value();
  });
}

}  // namespace engine
