// The standard functions of the runtime: strings, numbers, dates, types,
// arrays and work areas.
#include "xbase/library.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "xbase/cp874.h"
#include "xbase/expr.h"
#include "xbase/numfmt.h"

namespace xbase {

Value argumentError(int sub, const char* name, Args a) {
  Error e = Error::make(EG_ARG, sub, name, std::vector<Value>(a.begin(), a.end()));
  e.canSubstitute = true;
  return rt().raiseValue(std::move(e));
}

std::string plainText(const Value& v) {
  switch (v.type) {
    case Type::Char: return v.s;
    case Type::Num: {
      std::string s = formatNumber(v);
      std::size_t i = s.find_first_not_of(' ');
      return i == std::string::npos ? s : s.substr(i);
    }
    case Type::Date: return dateToText(v.date, rt().set.dates);
    case Type::Logical: return v.b ? ".T." : ".F.";
    default: return std::string();
  }
}

namespace {

bool isNum(Args a, std::size_t i) { return arg(a, i).isNum(); }
bool isChar(Args a, std::size_t i) { return arg(a, i).isChar(); }
long intArg(Args a, std::size_t i, long dflt) { return isNum(a, i) ? long(arg(a, i).n) : dflt; }
Value text(std::string s) { return Value::chr(std::move(s)); }
Value small(long v, int width) { return Value::num(double(v), width, 0); }

WorkArea* currentArea() { return rt().areas ? rt().areas->current() : nullptr; }

std::string padText(const Value& v) { return plainText(v); }

Value pad(Args a, char how) {
  if (!isNum(a, 1)) return text("");
  long n = long(arg(a, 1).n);
  if (n <= 0) return text("");
  std::string s = padText(arg(a, 0));
  char fill = isChar(a, 2) && !arg(a, 2).s.empty() ? arg(a, 2).s[0] : ' ';
  std::size_t len = std::size_t(n);
  if (s.size() >= len) return text(s.substr(0, len));
  std::size_t gap = len - s.size();
  if (how == 'R') return text(s + std::string(gap, fill));
  if (how == 'L') return text(std::string(gap, fill) + s);
  std::size_t left = gap / 2;
  return text(std::string(left, fill) + s + std::string(gap - left, fill));
}

std::string rtrim(const std::string& s) {
  std::size_t e = s.find_last_not_of(' ');
  return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}
std::string ltrim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  return b == std::string::npos ? std::string() : s.substr(b);
}

Value strFunction(Args a, bool zeros) {
  const Value& v = arg(a, 0);
  if (!v.isNum() || (a.size() > 1 && !arg(a, 1).isNil() && !isNum(a, 1)) ||
      (a.size() > 2 && !arg(a, 2).isNil() && !isNum(a, 2)))
    return argumentError(1099, zeros ? "STRZERO" : "STR", a);
  std::string s;
  if (isNum(a, 1)) {
    long w = long(arg(a, 1).n);
    long d = isNum(a, 2) ? std::max(0L, long(arg(a, 2).n)) : 0;
    if (w < 1) w = 10;
    if (d > 0 && d >= w) d = w > 1 ? w - 2 : 0;  // no room for decimals
    s = formatNumber(v.n, int(w), int(d));
  } else {
    s = formatNumber(v);
  }
  if (zeros) {
    bool neg = s.find('-') != std::string::npos;
    for (char& c : s)
      if (c == ' ' || c == '-') c = '0';
    if (neg && !s.empty() && s[0] != '*') s[0] = '-';
  }
  return text(std::move(s));
}

Value dateArgError(int sub, const char* name, Args a) { return argumentError(sub, name, a); }

}  // namespace

void registerStandardFunctions(Runtime& r) {
  // ---- strings
  r.registerFunction("LEN", [](Args a) -> Value {
    const Value& v = arg(a, 0);
    if (v.isChar()) return Value::integer(long(v.s.size()));
    if (v.isArray()) return Value::integer(long(v.a->size()));
    return argumentError(1111, "LEN", a);
  });
  r.registerFunction("SUBSTR", [](Args a) -> Value {
    if (!isChar(a, 0) || !isNum(a, 1) || (a.size() > 2 && !arg(a, 2).isNil() && !isNum(a, 2)))
      return argumentError(1110, "SUBSTR", a);
    const std::string& s = arg(a, 0).s;
    long len = long(s.size());
    long start = long(arg(a, 1).n);
    if (start < 0) start = len + start + 1;
    if (start < 1) start = 1;
    long count = isNum(a, 2) ? long(arg(a, 2).n) : len;
    if (start > len || count <= 0) return text("");
    return text(s.substr(std::size_t(start - 1), std::size_t(std::min(count, len - start + 1))));
  });
  r.registerFunction("LEFT", [](Args a) -> Value {
    if (!isChar(a, 0) || !isNum(a, 1)) return argumentError(1124, "LEFT", a);
    long n = long(arg(a, 1).n);
    if (n <= 0) return text("");
    return text(arg(a, 0).s.substr(0, std::size_t(n)));
  });
  r.registerFunction("RIGHT", [](Args a) -> Value {
    if (!isChar(a, 0) || !isNum(a, 1)) return text("");
    long n = long(arg(a, 1).n);
    const std::string& s = arg(a, 0).s;
    if (n <= 0) return text("");
    if (std::size_t(n) >= s.size()) return text(s);
    return text(s.substr(s.size() - std::size_t(n)));
  });
  auto trimR = [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1100, "TRIM", a);
    return text(rtrim(arg(a, 0).s));
  };
  r.registerFunction("TRIM", trimR);
  r.registerFunction("RTRIM", trimR);
  r.registerFunction("LTRIM", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1101, "LTRIM", a);
    return text(ltrim(arg(a, 0).s));
  });
  r.registerFunction("ALLTRIM", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(2022, "ALLTRIM", a);
    return text(ltrim(rtrim(arg(a, 0).s)));
  });
  r.registerFunction("PADR", [](Args a) { return pad(a, 'R'); });
  r.registerFunction("PAD", [](Args a) { return pad(a, 'R'); });
  r.registerFunction("PADL", [](Args a) { return pad(a, 'L'); });
  r.registerFunction("PADC", [](Args a) { return pad(a, 'C'); });
  r.registerFunction("SPACE", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1105, "SPACE", a);
    long n = long(arg(a, 0).n);
    return text(n > 0 ? std::string(std::size_t(n), ' ') : std::string());
  });
  r.registerFunction("REPLICATE", [](Args a) -> Value {
    if (!isChar(a, 0) || !isNum(a, 1)) return argumentError(1106, "REPLICATE", a);
    long n = long(arg(a, 1).n);
    std::string out;
    for (long i = 0; i < n; ++i) out += arg(a, 0).s;
    return text(std::move(out));
  });
  r.registerFunction("UPPER", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1102, "UPPER", a);
    return text(upper(arg(a, 0).s));
  });
  r.registerFunction("LOWER", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1103, "LOWER", a);
    return text(lower(arg(a, 0).s));
  });
  r.registerFunction("STRTRAN", [](Args a) -> Value {
    if (!isChar(a, 0) || !isChar(a, 1)) return argumentError(1126, "STRTRAN", a);
    const std::string& s = arg(a, 0).s;
    const std::string& from = arg(a, 1).s;
    std::string to = isChar(a, 2) ? arg(a, 2).s : std::string();
    long first = intArg(a, 3, 1);
    long count = intArg(a, 4, -1);
    if (from.empty()) return text(s);
    std::string out;
    std::size_t pos = 0;
    long seen = 0, done = 0;
    for (;;) {
      std::size_t hit = s.find(from, pos);
      if (hit == std::string::npos || (count >= 0 && done >= count)) break;
      ++seen;
      out.append(s, pos, hit - pos);
      if (seen >= first) {
        out += to;
        ++done;
      } else {
        out += from;
      }
      pos = hit + from.size();
    }
    out.append(s, pos, std::string::npos);
    return text(std::move(out));
  });
  r.registerFunction("STUFF", [](Args a) -> Value {
    if (!isChar(a, 0)) return text("");
    const std::string& s = arg(a, 0).s;
    long start = std::max(1L, intArg(a, 1, 1));
    long del = std::max(0L, intArg(a, 2, 0));
    std::string ins = isChar(a, 3) ? arg(a, 3).s : std::string();
    std::size_t b = std::min(s.size(), std::size_t(start - 1));
    std::size_t e = std::min(s.size(), b + std::size_t(del));
    return text(s.substr(0, b) + ins + s.substr(e));
  });
  r.registerFunction("AT", [](Args a) -> Value {
    if (!isChar(a, 0) || !isChar(a, 1)) return argumentError(1108, "AT", a);
    if (arg(a, 0).s.empty()) return Value::integer(0);
    std::size_t p = arg(a, 1).s.find(arg(a, 0).s);
    return Value::integer(p == std::string::npos ? 0 : long(p) + 1);
  });
  r.registerFunction("RAT", [](Args a) -> Value {
    if (!isChar(a, 0) || !isChar(a, 1) || arg(a, 0).s.empty()) return Value::integer(0);
    std::size_t p = arg(a, 1).s.rfind(arg(a, 0).s);
    return Value::integer(p == std::string::npos ? 0 : long(p) + 1);
  });
  r.registerFunction("ASC", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1107, "ASC", a);
    const std::string& s = arg(a, 0).s;
    return Value::integer(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
  });
  r.registerFunction("CHR", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1104, "CHR", a);
    return text(std::string(1, char(long(arg(a, 0).n) & 0xFF)));
  });
  auto firstIs = [](Args a, int (*pred)(int)) {
    return Value::logical(isChar(a, 0) && !arg(a, 0).s.empty() &&
                          pred(static_cast<unsigned char>(arg(a, 0).s[0])) != 0 &&
                          static_cast<unsigned char>(arg(a, 0).s[0]) < 0x80);
  };
  r.registerFunction("ISDIGIT", [firstIs](Args a) { return firstIs(a, ::isdigit); });
  r.registerFunction("ISALPHA", [firstIs](Args a) { return firstIs(a, ::isalpha); });
  r.registerFunction("ISUPPER", [firstIs](Args a) { return firstIs(a, ::isupper); });
  r.registerFunction("ISLOWER", [firstIs](Args a) { return firstIs(a, ::islower); });
  r.registerFunction("STR", [](Args a) { return strFunction(a, false); });
  r.registerFunction("STRZERO", [](Args a) { return strFunction(a, true); });
  r.registerFunction("VAL", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1098, "VAL", a);
    return parseNumber(arg(a, 0).s);
  });
  r.registerFunction("TRANSFORM", [](Args a) -> Value {
    if (!arg(a, 1).isNil() && !isChar(a, 1)) return argumentError(1122, "TRANSFORM", a);
    std::string pic = isChar(a, 1) ? arg(a, 1).s : std::string();
    const Value& v = arg(a, 0);
    if (v.isNil() || v.isArray()) return argumentError(1122, "TRANSFORM", a);
    return text(transform(v, pic, rt().set.dates));
  });

  // ---- numbers
  r.registerFunction("INT", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1090, "INT", a);
    return Value::num(std::trunc(arg(a, 0).n), arg(a, 0).width, 0);  // keeps the width
  });
  r.registerFunction("ABS", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1089, "ABS", a);
    Value v = arg(a, 0);
    v.n = std::fabs(v.n);
    return v;
  });
  r.registerFunction("ROUND", [](Args a) -> Value {
    if (!isNum(a, 0) || !isNum(a, 1)) return argumentError(1094, "ROUND", a);
    long d = long(arg(a, 1).n);
    return Value::num(roundDec(arg(a, 0).n, int(d)), 0, int(std::max(0L, d)));
  });
  r.registerFunction("MOD", [](Args a) -> Value {
    if (!isNum(a, 0) || !isNum(a, 1)) return argumentError(1085, "MOD", a);
    double x = arg(a, 0).n, y = arg(a, 1).n;
    if (y == 0) {
      Error e = Error::make(EG_ZERODIV, 1341, "%", {arg(a, 0), arg(a, 1)});
      e.canSubstitute = true;
      return rt().raiseValue(std::move(e));
    }
    double m = std::fmod(x, y);
    if (m != 0 && ((m < 0) != (y < 0))) m += y;  // the result takes the divisor's sign
    return Value::num(m, rt().set.decimals);
  });
  auto minmax = [](Args a, bool isMax) -> Value {
    const Value& x = arg(a, 0);
    const Value& y = arg(a, 1);
    if (x.isNum() && y.isNum()) return (isMax ? x.n >= y.n : x.n <= y.n) ? x : y;
    if (x.isDate() && y.isDate()) return (isMax ? x.date >= y.date : x.date <= y.date) ? x : y;
    if (x.isLogical() && y.isLogical()) return Value::logical(isMax ? (x.b || y.b) : (x.b && y.b));
    return argumentError(isMax ? 1093 : 1092, isMax ? "MAX" : "MIN", a);
  };
  r.registerFunction("MAX", [minmax](Args a) { return minmax(a, true); });
  r.registerFunction("MIN", [minmax](Args a) { return minmax(a, false); });
  r.registerFunction("SQRT", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1097, "SQRT", a);
    double x = arg(a, 0).n;
    return Value::num(x <= 0 ? 0 : std::sqrt(x), rt().set.decimals);
  });
  r.registerFunction("EXP", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1096, "EXP", a);
    return Value::num(std::exp(arg(a, 0).n), rt().set.decimals);
  });
  r.registerFunction("LOG", [](Args a) -> Value {
    if (!isNum(a, 0)) return argumentError(1095, "LOG", a);
    double x = arg(a, 0).n;
    return Value::num(x <= 0 ? -HUGE_VAL : std::log(x), rt().set.decimals);
  });

  // ---- dates
  r.registerFunction("DATE", [](Args) { return Value::dateValue(rt().today()); });
  r.registerFunction("TIME", [](Args) { return text(rt().timeOfDay()); });
  r.registerFunction("CTOD", [](Args a) -> Value {
    if (!isChar(a, 0)) return dateArgError(1119, "CTOD", a);
    return Value::dateValue(textToDate(arg(a, 0).s, rt().set.dates));
  });
  r.registerFunction("DTOC", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1118, "DTOC", a);
    return text(dateToText(arg(a, 0).date, rt().set.dates));
  });
  r.registerFunction("DTOS", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1120, "DTOS", a);
    return text(dateToSortable(arg(a, 0).date));
  });
  r.registerFunction("STOD", [](Args a) -> Value {
    return Value::dateValue(isChar(a, 0) ? sortableToDate(arg(a, 0).s) : 0);
  });
  r.registerFunction("YEAR", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1112, "YEAR", a);
    return small(decodeDate(arg(a, 0).date).year, 5);
  });
  r.registerFunction("MONTH", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1113, "MONTH", a);
    return small(decodeDate(arg(a, 0).date).month, 3);
  });
  r.registerFunction("DAY", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1114, "DAY", a);
    return small(decodeDate(arg(a, 0).date).day, 3);
  });
  r.registerFunction("DOW", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1115, "DOW", a);
    return small(dayOfWeek(arg(a, 0).date), 3);
  });
  r.registerFunction("CMONTH", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1116, "CMONTH", a);
    return text(englishMonthName(decodeDate(arg(a, 0).date).month));
  });
  r.registerFunction("CDOW", [](Args a) -> Value {
    if (!arg(a, 0).isDate()) return dateArgError(1117, "CDOW", a);
    return text(englishDayName(dayOfWeek(arg(a, 0).date)));
  });

  // ---- types
  r.registerFunction("VALTYPE", [](Args a) { return text(std::string(1, typeLetter(arg(a, 0)))); });
  r.registerFunction("EMPTY", [](Args a) { return Value::logical(isEmpty(arg(a, 0))); });
  r.registerFunction("TYPE", [](Args a) -> Value {
    if (!isChar(a, 0)) return argumentError(1121, "TYPE", a);
    // Evaluated with errors caught here, not shown: an unknown name is "U",
    // an unknown function "UI", anything else that fails "UE".
    Runtime& r = rt();
    ErrorHandler saved = std::move(r.handler);
    r.handler = nullptr;
    struct Restore {
      Runtime& r;
      ErrorHandler& h;
      ~Restore() { r.handler = std::move(h); }
    } restore{r, saved};
    try {
      auto e = compileOrThrow(arg(a, 0).s);
      return text(std::string(1, typeLetter(e->eval())));
    } catch (const ErrorException& ex) {
      int g = ex.error().genCode;
      if (g == EG_NOVAR || g == EG_NOALIAS) return text("U");
      if (g == EG_NOFUNC) return text("UI");
      return text("UE");
    }
  });

  // ---- arrays
  r.registerFunction("ARRAY", [](Args a) -> Value {
    long n = intArg(a, 0, 0);
    return Value::array(std::size_t(std::max(0L, n)));
  });
  r.registerFunction("AADD", [](Args a) -> Value {
    if (!arg(a, 0).isArray()) return argumentError(1123, "AADD", a);
    arg(a, 0).a->push_back(arg(a, 1));
    return arg(a, 1);
  });
  r.registerFunction("ASIZE", [](Args a) -> Value {
    if (!arg(a, 0).isArray()) return Value();
    arg(a, 0).a->resize(std::size_t(std::max(0L, intArg(a, 1, 0))));
    return arg(a, 0);
  });
  r.registerFunction("AFILL", [](Args a) -> Value {
    if (!arg(a, 0).isArray()) return Value();
    for (auto& v : *arg(a, 0).a) v = arg(a, 1);
    return arg(a, 0);
  });
  r.registerFunction("ACLONE", [](Args a) -> Value {
    if (!arg(a, 0).isArray()) return Value();
    Value c = Value::array();
    *c.a = *arg(a, 0).a;
    return c;
  });
  r.registerFunction("ATAIL", [](Args a) -> Value {
    if (!arg(a, 0).isArray() || arg(a, 0).a->empty()) return Value();
    return arg(a, 0).a->back();
  });
  r.registerFunction("ASCAN", [](Args a) -> Value {
    if (!arg(a, 0).isArray()) return Value::integer(0);
    const Array& arr = *arg(a, 0).a;
    for (std::size_t i = 0; i < arr.size(); ++i) {
      const Value& x = arr[i];
      const Value& y = arg(a, 1);
      if (x.type != y.type) continue;
      bool eq = (x.isChar() && compareText(x.s, y.s, false) == 0) || (x.isNum() && x.n == y.n) ||
                (x.isDate() && x.date == y.date) || (x.isLogical() && x.b == y.b) || x.isNil();
      if (eq) return Value::integer(long(i) + 1);
    }
    return Value::integer(0);
  });

  // ---- work areas
  r.registerFunction("RECNO", [](Args) {
    WorkArea* w = currentArea();
    return Value::integer(w ? w->recNo() : 0);
  });
  auto reccount = [](Args) {
    WorkArea* w = currentArea();
    return Value::integer(w ? w->recCount() : 0);
  };
  r.registerFunction("RECCOUNT", reccount);
  r.registerFunction("LASTREC", reccount);
  r.registerFunction("EOF", [](Args) {
    WorkArea* w = currentArea();
    return Value::logical(w ? w->eof() : true);
  });
  r.registerFunction("BOF", [](Args) {
    WorkArea* w = currentArea();
    return Value::logical(w ? w->bof() : true);
  });
  r.registerFunction("DELETED", [](Args) {
    WorkArea* w = currentArea();
    return Value::logical(w ? w->deleted() : false);
  });
  r.registerFunction("FOUND", [](Args) {
    WorkArea* w = currentArea();
    return Value::logical(w ? w->found() : false);
  });
  r.registerFunction("ALIAS", [](Args a) -> Value {
    Runtime& rr = rt();
    if (!rr.areas) return text("");
    WorkArea* w = isNum(a, 0) ? rr.areas->byNumber(int(arg(a, 0).n)) : rr.areas->current();
    return text(w ? upper(w->alias()) : std::string());
  });
  r.registerFunction("SELECT", [](Args a) -> Value {
    Runtime& rr = rt();
    if (!rr.areas) return Value::integer(0);
    if (isChar(a, 0)) {
      WorkArea* w = rr.areas->byAlias(rtrim(arg(a, 0).s));
      return Value::integer(w ? w->number() : 0);
    }
    return Value::integer(rr.areas->currentNumber());
  });
  r.registerFunction("USED", [](Args) { return Value::logical(currentArea() != nullptr); });
  r.registerFunction("FCOUNT", [](Args) {
    WorkArea* w = currentArea();
    return Value::integer(w ? w->fieldCount() : 0);
  });
  auto fieldname = [](Args a) -> Value {
    WorkArea* w = currentArea();
    long i = intArg(a, 0, 0);
    if (!w || i < 1 || i > w->fieldCount()) return text("");
    return text(w->fieldName(int(i - 1)));
  };
  r.registerFunction("FIELDNAME", fieldname);
  r.registerFunction("FIELD", fieldname);
  r.registerFunction("FIELDPOS", [](Args a) -> Value {
    WorkArea* w = currentArea();
    if (!w || !isChar(a, 0)) return Value::integer(0);
    return Value::integer(w->fieldIndex(rtrim(arg(a, 0).s)) + 1);
  });
  r.registerFunction("FIELDGET", [](Args a) -> Value {
    WorkArea* w = currentArea();
    long i = intArg(a, 0, 0);
    if (!w || i < 1 || i > w->fieldCount()) return Value();
    return w->getField(int(i - 1));
  });
  r.registerFunction("FIELDPUT", [](Args a) -> Value {
    WorkArea* w = currentArea();
    long i = intArg(a, 0, 0);
    if (!w || i < 1 || i > w->fieldCount()) return Value();
    w->putField(int(i - 1), arg(a, 1));
    return arg(a, 1);
  });
}

}  // namespace xbase
