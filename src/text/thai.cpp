#include "text/thai.h"

#include <cmath>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/ui.h"
#include "rdd/file.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/library.h"
#include "xbase/numfmt.h"

namespace text {

using xbase::operator""_th;
using xbase::Value;

namespace {

// A setting held in a public variable ("Y" when the program has not set it).
bool settingIsY(const char* name) {
  xbase::Value* v = xbase::rt().memvars.lookup(name);
  if (!v || !v->isChar()) return true;
  return v->s == "Y";
}

const std::string_view kDigits[10] = {"",     "หนึ่ง"_th, "สอง"_th, "สาม"_th, "สี่"_th,
                                      "ห้า"_th, "หก"_th,   "เจ็ด"_th, "แปด"_th, "เก้า"_th};

std::string word(char d) { return std::string(kDigits[d - '0']); }

// Tens as the words say them: 2 is "ยี่สิบ", 1 is "สิบ".
std::string tens(char d) {
  if (d == '2') return std::string("ยี่สิบ"_th);
  if (d == '1') return std::string("สิบ"_th);
  if (d >= '3' && d <= '9') return word(d) + std::string("สิบ"_th);
  return std::string();
}

// Whole baht below a million, for the amounts of a billion and more.
std::string belowMillion(long long n) {
  static const std::string_view places[] = {"แสน"_th, "หมื่น"_th, "พัน"_th, "ร้อย"_th};
  std::string out;
  char s[8];
  std::snprintf(s, sizeof s, "%06lld", n);
  for (int i = 0; i < 4; ++i)
    if (s[i] != '0') out += word(s[i]) + std::string(places[i]);
  out += tens(s[4]);
  if (s[5] != '0') out += (s[5] == '1' && n % 100 >= 10) ? std::string("เอ็ด"_th) : word(s[5]);
  return out;
}

std::string wholeBaht(long long n) {
  if (n < 1000000) return belowMillion(n);
  return wholeBaht(n / 1000000) + std::string("ล้าน"_th) + belowMillion(n % 1000000);
}

}  // namespace

std::string BAHT(double amount) {
  if (amount < 0) return "(" + std::string("ลบ"_th) + BAHT(-amount).substr(1);
  if (xbase::roundDec(amount, 2) == 0) return "(" + std::string("ศูนย์บาทถ้วน"_th) + ")";
  std::string f = xbase::formatNumber(amount, 12, 2);
  std::string out = "(";
  if (f[0] == '*') {
    // A billion or more: the same words, millions counted in millions.
    double r = xbase::roundDec(amount, 2);
    long long whole = (long long)std::floor(r);
    int satang = int(std::llround((r - double(whole)) * 100));
    out += wholeBaht(whole) + std::string("บาท"_th);
    std::string ss = xbase::formatNumber(satang, 2, 0);
    out += tens(ss[0]);
    if (ss[1] != '0' && ss[1] != ' ') out += ss[1] == '1' ? std::string(satang >= 10 ? "เอ็ด"_th : "หนึ่ง"_th) : word(ss[1]);
    return out + (satang > 0 ? std::string("สตางค์)"_th) : std::string("ถ้วน)"_th));
  }
  auto digit = [&](int pos) { return f[std::size_t(pos - 1)]; };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  auto pairValue = [&](int a, int b) {
    int v = 0;
    for (int p = a; p <= b; ++p) v = v * 10 + (isDigit(digit(p)) ? digit(p) - '0' : 0);
    return v;
  };
  if (isDigit(digit(1)) && digit(1) != '0') out += word(digit(1)) + std::string("ร้อย"_th);
  out += tens(digit(2));
  if (isDigit(digit(3))) {
    if (digit(3) == '0')
      out += std::string("ล้าน"_th);
    else if (digit(3) == '1' && pairValue(2, 3) >= 10)
      out += std::string("เอ็ดล้าน"_th);
    else
      out += word(digit(3)) + std::string("ล้าน"_th);
  }
  static const std::string_view places[] = {"แสน"_th, "หมื่น"_th, "พัน"_th, "ร้อย"_th};
  for (int p = 4; p <= 7; ++p)
    if (isDigit(digit(p)) && digit(p) != '0') out += word(digit(p)) + std::string(places[p - 4]);
  out += tens(digit(8));
  if (isDigit(digit(9)) && digit(9) != '0')
    out += (digit(9) == '1' && pairValue(8, 9) >= 10) ? std::string("เอ็ด"_th) : word(digit(9));
  double rounded = xbase::roundDec(amount, 2);
  if (rounded >= 1) out += std::string("บาท"_th);
  out += tens(digit(11));
  int satang = pairValue(11, 12);
  if (digit(12) == '1')
    out += std::string(satang >= 10 ? "เอ็ด"_th : "หนึ่ง"_th);
  else if (digit(12) > '1' && digit(12) <= '9')
    out += word(digit(12));
  if (satang > 0)
    out += std::string("สตางค์)"_th);
  else if (rounded >= 1)
    out += std::string("ถ้วน)"_th);
  return out;
}

double XROUND(double value, int decimals) {
  double sign = value >= 0 ? 1 : -1;
  double p = std::pow(10.0, decimals);
  double x = std::fabs(value) * p;
  double whole = std::floor(x);
  double f = x - whole;
  bool up = settingIsY("CDECCOR") ? f >= 0.499999 : f > 0.5;
  return xbase::roundDec(sign * (up ? whole + 1 : whole) / p, decimals);
}

double STANG(double value) {
  double sign = value > 0 ? 1 : -1;
  double a = std::fabs(value);
  double whole = std::floor(a);
  double f = a - whole;
  double q = 0;
  if (f > 0.875) {
    whole += 1;
  } else if (f > 0.625) {
    q = 0.75;
  } else if (f > 0.375) {
    q = 0.5;
  } else if (f > 0.125) {
    q = 0.25;
  }
  return sign * (whole + q);
}

double DISC(double gross, const std::string& discount) {
  std::string t = discount;
  while (!t.empty() && t.back() == ' ') t.pop_back();
  std::size_t b = t.find_first_not_of(' ');
  t = b == std::string::npos ? std::string() : t.substr(b);
  bool fix = settingIsY("CDISCFIX");
  double running = gross;
  std::string buffer;
  auto value = [&] { return buffer.empty() ? 0.0 : xbase::parseNumber(buffer).n; };
  for (char c : t) {
    if (c == '%' || c == '/') {
      double d = running * value() / 100;
      if (fix) d = XROUND(d, 2);
      running -= d;
      buffer.clear();
    } else if (c == '.' || (c >= '0' && c <= '9')) {
      buffer += c;
    } else if (c == '+' || c == '-' || c == 'B' || c == 'b') {
      running -= value();
      buffer.clear();
    }
  }
  running -= value();
  return gross - running;
}

std::string ZERO(double number, int width) {
  if (width <= 0) return std::string();
  std::string digits = xbase::formatNumber(std::trunc(number), 0, 0);
  std::string all = std::string(std::size_t(width), '0') + digits;
  return all.substr(all.size() - std::size_t(width));
}

std::string MAINFORM(double number, int width, int decimals) {
  std::string out = ZERO(number, width);
  if (decimals > 0) {
    std::string s = xbase::formatNumber(number, width + decimals + 1, decimals);
    out += s.substr(s.size() - std::size_t(decimals));
  }
  return out;
}

std::string MONTHNAME(int month) {
  static const std::string_view names[] = {"มกราคม"_th,  "กุมภาพันธ์"_th, "มีนาคม"_th,   "เมษายน"_th,
                                           "พฤษภาคม"_th, "มิถุนายน"_th,  "กรกฎาคม"_th,  "สิงหาคม"_th,
                                           "กันยายน"_th,  "ตุลาคม"_th,     "พฤศจิกายน"_th, "ธันวาคม"_th};
  return month >= 1 && month <= 12 ? std::string(names[month - 1]) : std::string();
}

std::string BCYEAR(std::int32_t date) {
  std::string t = xbase::dateToText(date, xbase::rt().set.dates);
  int year = std::atoi(t.substr(6, 4).c_str()) + 543;
  char y[8];
  std::snprintf(y, sizeof y, "%04d", year % 10000);
  return std::string("วันที่  "_th) + t.substr(0, 2) + "  " + MONTHNAME(std::atoi(t.substr(3, 2).c_str())) +
         std::string("  พ.ศ."_th) + y;
}

std::int32_t FIRSTDAY(std::int32_t date) {
  xbase::DateParts p = xbase::decodeDate(date);
  return xbase::encodeDate(p.year, p.month, 1);
}

std::int32_t LASTDAY(std::int32_t date) {
  xbase::DateParts p = xbase::decodeDate(date);
  if (date == 0) return 0;
  std::int32_t next = p.month == 12 ? xbase::encodeDate(p.year + 1, 1, 1) : xbase::encodeDate(p.year, p.month + 1, 1);
  return next - 1;
}

Value SPLIT(const std::string& textIn, int field, const std::string& separator, const std::string& type) {
  char sep = separator.empty() ? ',' : separator[0];
  std::string t = textIn + sep;
  int count = 0;
  std::size_t start = 0;
  std::string found;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != sep) continue;
    if (++count == field) {
      found = t.substr(start, i - start);
      break;
    }
    start = i + 1;
  }
  if (!type.empty() && xbase::upperAscii(type[0]) == 'N') {
    std::string digits;
    for (char c : found)
      if ((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') digits += c;
    return digits.empty() ? Value::integer(0) : xbase::parseNumber(digits);
  }
  return Value::chr(found);
}

std::string REFNAME(const std::string& docNo, const std::string& list, const std::string& newRef) {
  if (xbase::compareText(docNo, newRef, false) == 0) return list;
  std::string t = list;
  while (!t.empty() && t.back() == ' ') t.pop_back();
  std::size_t b = t.find_first_not_of(' ');
  t = b == std::string::npos ? std::string() : t.substr(b);
  return t.empty() ? newRef : t + "," + newRef;
}

bool EQCHECK(const std::string& message, double a, double b, bool skip) {
  if (XROUND(a, 2) != XROUND(b, 2) && !skip) {
    platform::ui().message(message, "  ส่วนตรวจสอบความถูกต้อง"_th);
    return false;
  }
  return true;
}

bool TSOUND(int number, int flags) {
  xbase::Value* v = xbase::rt().memvars.lookup("CSYSSOUND");
  if (!v || !v->isChar() || v->s != "Y") return true;
  char name[64];
  std::snprintf(name, sizeof name, ".\\sounds\\Sound%03d.wav", number);
  if (rdd::fileExists(name)) platform::ui().sound(name, flags);
  return true;
}

void DTSET2() {
  XB_ROUTINE("DTSET2");
  xbase::Runtime& rt = xbase::rt();
  xbase::declarePrivate("DDATE", Value::dateValue(rt.today()));
  xbase::declarePrivate("CTIME", Value::chr(rt.timeOfDay()));
  platform::Dialog d;
  d.title = std::string("  กำหนดวันที่และเวลา"_th);
  d.width = 260;
  d.height = 140;
  d.label(std::string("&วันที่"_th), 10, 10);
  d.edit("DDATE", 10, 60, 60, 12, "99/99/9999", [] {
    std::int32_t day = xbase::rt().memvars.lookup("DDATE")->date;
    if (day == 0) return false;  // an empty date is refused
    platform::setClockDate(day);
    return true;
  });
  d.label(std::string("&เวลา"_th), 30, 10);
  d.edit("CTIME", 30, 60, 60, 12, "99:99:99", [] {
    int h = -1, m = -1, s = -1;
    std::sscanf(xbase::rt().memvars.lookup("CTIME")->s.c_str(), "%d:%d:%d", &h, &m, &s);
    return platform::setClockTime(h, m, s);
  });
  d.button(std::string("&ตกลง"_th), 55, 100, 40, 12, [&d] { d.close(1); }).isDefault = true;
  d.onInit = [] { TSOUND(6); };
  platform::ui().run(d);
}

void registerThaiFunctions(xbase::Runtime& r) {
  using xbase::arg;
  using xbase::Args;
  auto num = [](Args a, std::size_t i, double d = 0) { return arg(a, i).isNum() ? arg(a, i).n : d; };
  auto txt = [](Args a, std::size_t i, const char* d = "") { return arg(a, i).isChar() ? arg(a, i).s : std::string(d); };
  auto date = [](Args a, std::size_t i) { return arg(a, i).isDate() ? arg(a, i).date : 0; };
  r.registerFunction("BAHT", [=](Args a) { return Value::chr(BAHT(num(a, 0))); });
  r.registerFunction("XROUND", [=](Args a) {
    int d = int(num(a, 1));
    return Value::num(XROUND(num(a, 0), d), std::max(0, d));
  });
  r.registerFunction("STANG", [=](Args a) { return Value::num(STANG(num(a, 0)), 2); });
  r.registerFunction("DISC", [=](Args a) { return Value::num(DISC(num(a, 0), txt(a, 1)), 2); });
  r.registerFunction("ZERO", [=](Args a) { return Value::chr(ZERO(num(a, 0), int(num(a, 1)))); });
  r.registerFunction("MAINFORM",
                     [=](Args a) { return Value::chr(MAINFORM(num(a, 0), int(num(a, 1)), int(num(a, 2)))); });
  r.registerFunction("MONTHNAME", [=](Args a) { return Value::chr(MONTHNAME(int(num(a, 0)))); });
  r.registerFunction("BCYEAR", [=](Args a) { return Value::chr(BCYEAR(date(a, 0))); });
  r.registerFunction("FIRSTDAY", [=](Args a) { return Value::dateValue(FIRSTDAY(date(a, 0))); });
  r.registerFunction("LASTDAY", [=](Args a) { return Value::dateValue(LASTDAY(date(a, 0))); });
  r.registerFunction("SPLIT", [=](Args a) {
    return SPLIT(txt(a, 0), int(num(a, 1)), txt(a, 2, ","), txt(a, 3, "N"));
  });
  r.registerFunction("REFNAME", [=](Args a) { return Value::chr(REFNAME(txt(a, 0), txt(a, 1), txt(a, 2))); });
  r.registerFunction("EQCHECK", [=](Args a) {
    return Value::logical(EQCHECK(txt(a, 0), num(a, 1), num(a, 2), arg(a, 3).isLogical() && arg(a, 3).b));
  });
  r.registerFunction("DTSET2", [](Args) {
    DTSET2();
    return Value();
  });
  r.registerFunction("TSOUND", [=](Args a) { return Value::logical(TSOUND(int(num(a, 0)), int(num(a, 1, 1)))); });
}

}  // namespace text
