#include "startup/main_program.h"

#include <cmath>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/file.h"
#include "rdd/paths.h"
#include "startup/ini.h"
#include "xbase/cp874.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace startup {

using xbase::operator""_th;
using xbase::Value;

namespace {

std::function<void()>& selection() {
  static std::function<void()> f;
  return f;
}

struct Setting {
  const char* key;
  const char* dflt;
  const char* variable;
};

const Setting kMisc[] = {
    {"Acc.Start", "01", "CACC_START"},  {"Vat_Rate", "07.00", "CVAT_RATE"},
    {"StkMinus", "N", "CSTKMINUS"},     {"SysSound", "Y", "CSYSSOUND"},
    {"Preview", "N", "CPRINTER"},       {"Decimal", "Y", "CDECCOR"},
    {"Owner", "", "CNOWNER"},           {"Meter", "1", "CBMETER"},
    {"Line/Inch", "6", "CLINEINCH"},    {"DiscFix", "Y", "CDISCFIX"},
    {"Secret", "0", "CTOPSEC"},         {"Browse", "N", "CREPBROW"},
    {"Qty.Pic.", "999,999,999.99", "CQTYPIC"}, {"Prc.Pic.", "999,999,999.99", "CPRCPIC"},
};

const Setting kFont[] = {
    {"Font0", "MS Sans Serif", "CFONT0"}, {"Width0", "0", "CWIDTH0"},   {"Height0", "-10", "CHEIGHT0"},
    {"Font1", "EucrosiaUPC", "CFONT1"},   {"Width1", "0", "CWIDTH1"},   {"Height1", "-10", "CHEIGHT1"},
    {"Font2", "EucrosiaUPC", "CFONT2"},   {"Width2", "0", "CWIDTH2"},   {"Height2", "-10", "CHEIGHT2"},
    {"Font3", "EucrosiaUPC", "CFONT3"},   {"Width3", "0", "CWIDTH3"},   {"Height3", "-10", "CHEIGHT3"},
    {"Font4", "EucrosiaUPC", "CFONT4"},   {"Width4", "8", "CWIDTH4"},   {"Height4", "30", "CHEIGHT4"},
    {"Font5", "EucrosiaUPC", "CFONT5"},   {"Width5", "16", "CWIDTH5"},  {"Height5", "50", "CHEIGHT5"},
    {"Font6", "EucrosiaUPC", "CFONT6"},   {"Width6", "24", "CWIDTH6"},  {"Height6", "80", "CHEIGHT6"},
    {"Ratio", "1", "NFONTRATIO"},         {"Pen1", "1", "CPEN1"},       {"Pen2", "3", "CPEN2"},
    {"Pen3", "6", "CPEN3"},               {"Factor", "2", "CPRNFAC"},   {"TMargin", "0.2", "TMARGIN"},
    {"BMargin", "0.2", "BMARGIN"},        {"LMargin", "0.2", "LMARGIN"}, {"RMargin", "0.2", "RMARGIN"},
    {"Footer", "4", "CREPFOOT"},
};

const char* kPublics[] = {"VARFILE", "CBRAND",  "CDATASET", "CNOWNER", "CHLINE",   "CHADDR1", "CHADDR2",
                          "CHADDR3", "CHTAXID", "CDRV1",    "CDRV2",   "CDRV3",    "CDRV4",   "CUSER",
                          "CLOGIN",  "CTRUSTEE", "CREPLIST", "OFONT0", "OFONT1",   "OFONT2",  "OFONT3",
                          "OFONT4",  "OFONT5",  "OFONT6",   "OPEN1",   "OPEN2",    "OPEN3",   "OPRN",
                          "CREPCODE", "CREPNAME"};

Value& pub(const char* name) { return *xbase::rt().memvars.lookup(name); }
void setText(const char* name, std::string v) { pub(name) = Value::chr(std::move(v)); }
std::string textOf(const char* name) {
  Value* v = xbase::rt().memvars.lookup(name);
  return v && v->isChar() ? v->s : std::string();
}

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

double numericValue(const std::string& s) { return xbase::parseNumber(s).n; }

const std::string kSuiteCaption(std::string("โปรแกรมระบบบัญชี"_th));

void shutDown() {
  data::areas().closeAll();
  data::areas().select(1);
  xbase::rt().memvars.releaseAll();
}

std::string field(rdd::Area* a, const char* name) {
  int i = a->fieldIndex(name);
  return i < 0 ? std::string() : a->getField(i).s;
}

}  // namespace

void setReportSelection(std::function<void()> select) { selection() = std::move(select); }

int MAIN(const StartParameters& in) {
  StartParameters p = in;
  p.resize(5);
  XB_ROUTINE("MAIN");
  xbase::Runtime& r = xbase::rt();
  // 1-3: parameters and the public variables
  std::string varFile = p[0] ? *p[0] : std::string(".\\VEK_WIN.INI");
  for (const char* name : kPublics) r.memvars.declarePublic(name);
  for (const Setting& s : kMisc) r.memvars.declarePublic(s.variable);
  for (const Setting& s : kFont) r.memvars.declarePublic(s.variable);
  setText("CBRAND", p[4] ? "  Kestrel for Windows" : "  VEK for Windows");
  setText("VARFILE", varFile);
  setText("CREPLIST", p[3] ? *p[3] : std::string());
  // 4: date conventions
  r.set.dates.format = "dd/mm/yyyy";
  r.set.dates.epoch = 1970;
  // 5
  setText("CUSER", p[1] ? *p[1] : std::string("SHIFT"));
  std::string dataSet = p[2] ? *p[2] : std::string();
  // 6: settings
  IniFile ini(varFile);
  for (const Setting& s : kMisc) setText(s.variable, ini.read("Misc", s.key, s.dflt));
  for (const Setting& s : kFont) setText(s.variable, ini.read("Font", s.key, s.dflt));
  pub("NFONTRATIO") = Value::num(std::max(1.0, std::fabs(numericValue(textOf("NFONTRATIO")))), 0);
  // Drive letters of the data-set folders ("F:\ACC\") mapped to local folders: [Drives] F=/srv/acc
  for (auto& [letter, folder] : ini.entries("Drives"))
    if (letter.size() == 1 && !folder.empty()) rdd::setDriveMapping(letter[0], folder);
  // 7-8: the data set
  if (!rdd::fileExists("DataSet.dbf")) {
    platform::ui().message("ไม่พบแฟ้มกำหนดชุดข้อมูล"_th, kSuiteCaption);
    shutDown();
    return 0;
  }
  if (!data::OPEN("", "DataSet", "code", false, "DataSet", "DataSet", "DataSet")) {
    shutDown();
    return 0;
  }
  rdd::Area* ds = data::areas().area("DataSet");
  if (!ds->seek(Value::chr(dataSet), false)) {
    data::areas().closeAll();
    platform::ui().message(std::string("ไม่พบชุดข้อมูล "_th) + dataSet, kSuiteCaption);
    shutDown();
    return 0;
  }
  setText("CDATASET", field(ds, "CODE"));
  setText("CNOWNER", trimmed(field(ds, "CODE")));
  setText("CHLINE", trimmed(field(ds, "NAME")));
  setText("CHADDR1", trimmed(field(ds, "ADDR1")));
  setText("CHADDR2", trimmed(field(ds, "ADDR2")));
  setText("CHADDR3", trimmed(field(ds, "ADDR3")));
  setText("CHTAXID", trimmed(field(ds, "TAX_ID")));
  setText("CDRV1", trimmed(field(ds, "DRIVE1")));
  setText("CDRV2", trimmed(field(ds, "DRIVE2")));
  setText("CDRV3", trimmed(field(ds, "DRIVE3")));
  setText("CDRV4", trimmed(field(ds, "DRIVE4")));
  data::areas().closeAll();
  // 9: the user
  if (!data::OPEN(textOf("CDRV1"), "Employee", "code", false, "Employee", "Employee", "Employee")) {
    shutDown();
    return 0;
  }
  rdd::Area* emp = data::areas().area("Employee");
  if (emp->seek(Value::chr(textOf("CUSER")), false)) {
    setText("CUSER", trimmed(field(emp, "CODE")));
    setText("CLOGIN", trimmed(field(emp, "NAME")));
    setText("CTRUSTEE", field(emp, "TRUSTEE"));
  } else {
    setText("CLOGIN", "Not login");
    setText("CTRUSTEE", std::string(60, '0'));
  }
  // 10-11
  data::areas().closeAll();
  Value font = Value::array(3);
  (*font.a)[0] = Value::chr(textOf("CFONT0"));
  (*font.a)[1] = Value::num(numericValue(textOf("CWIDTH0")), 0);
  (*font.a)[2] = Value::num(numericValue(textOf("CHEIGHT0")), 0);
  pub("OFONT0") = font;
  pub("CPRNFAC") = Value::num(numericValue(textOf("CPRNFAC")), 2);
  // 12: the report list
  std::string list = textOf("CREPLIST");
  if (list.empty() || !data::OPEN(textOf("CDRV1"), list, "code", false, list, list, "RepList")) {
    shutDown();
    return 0;
  }
  // 13: selection and dispatch
  if (selection()) selection()();
  shutDown();
  return 0;
}

}  // namespace startup
