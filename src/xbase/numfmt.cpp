#include "xbase/numfmt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "xbase/cp874.h"

namespace xbase {

namespace {

double pow10(int n) {
  static const double table[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return n >= 0 && n <= 22 ? table[n] : std::pow(10.0, n);
}

// Fixed-point text of an already rounded value; never "-0".
std::string fixedText(double r, int dec) {
  char buf[400];
  auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, dec);
  std::string s(buf, res.ptr);
  if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

}  // namespace

double roundDec(double v, int dec) {
  if (v == 0 || !std::isfinite(v)) return v;
  double p = pow10(dec >= 0 ? dec : -dec);
  double x = dec >= 0 ? v * p : v / p;
  double ax = std::fabs(x);
  double whole = std::floor(ax);
  // 4e-16 relative covers the error of the decimal value and of the scaling.
  if (ax - whole >= 0.5 - ax * 4e-16) whole += 1;
  double r = std::copysign(whole, x);
  return dec >= 0 ? r / p : r * p;
}

std::string formatNumber(double v, int totalWidth, int dec) {
  if (dec < 0) dec = 0;
  std::string s = fixedText(roundDec(v, dec), dec);
  if (totalWidth <= 0) return s;
  if (int(s.size()) > totalWidth) return std::string(std::size_t(totalWidth), '*');
  return std::string(std::size_t(totalWidth) - s.size(), ' ') + s;
}

std::string formatNumber(const Value& v) {
  int total = v.width + (v.dec ? v.dec + 1 : 0);
  std::string s = fixedText(roundDec(v.n, v.dec), v.dec);
  // A number wider than its width is shown whole (only explicit widths give asterisks).
  if (int(s.size()) >= total) return s;
  return std::string(std::size_t(total) - s.size(), ' ') + s;
}

Value parseNumber(std::string_view t) {
  std::size_t pos = 0, len = t.size();
  while (pos < len && (t[pos] == ' ' || t[pos] == '\t' || t[pos] == '\n' || t[pos] == '\r')) ++pos;
  bool neg = false;
  if (pos < len && t[pos] == '-') {
    neg = true;
    ++pos;
  } else if (pos < len && t[pos] == '+') {
    ++pos;
  }
  int width = int(pos);
  int dec = 0, decRest = 0;
  bool point = false, sawIntDigit = false;
  double value = 0;
  double frac = 0, scale = 1;
  for (; pos < len; ++pos) {
    char c = t[pos];
    if (c >= '0' && c <= '9') {
      if (point) {
        scale /= 10;
        frac += (c - '0') * scale;
        ++dec;
      } else {
        value = value * 10 + (c - '0');
        ++width;
        sawIntDigit = true;
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      // The rest of the text still counts towards the width (or decimals).
      while (!point && pos < len) {
        if (t[pos++] == '.')
          point = true;
        else
          ++width;
      }
      if (point) decRest = int(len - pos);
      break;
    }
  }
  // Decimal digits read exactly: sum in one step to avoid drift.
  if (dec) {
    double digits = 0;
    std::size_t p = t.find('.');
    for (std::size_t k = p + 1, i = 0; i < std::size_t(dec); ++k, ++i) digits = digits * 10 + (t[k] - '0');
    frac = digits / pow10(dec);
  }
  value += frac;
  if (neg) value = -value;
  int totalLen = int(len);
  if (point) {
    int d = dec + decRest;
    if (d > 0) totalLen -= d + 1;
    if (!sawIntDigit) ++width;  // ".5" is shown as "0.5"
    return Value::num(value, std::max(totalLen, width), d);
  }
  return Value::num(value, std::max(totalLen, width), 0);
}

// ---------------------------------------------------------------- TRANSFORM

namespace {

struct Functions {
  bool upper = false, replace = false, blankZero = false, leftJustify = false, leadingZeros = false;
  bool parenNeg = false, parenNegTight = false, debit = false, credit = false, european = false, date = false;
};

Functions parseFunctions(std::string_view& picture) {
  Functions f;
  if (picture.empty() || picture[0] != '@') return f;
  std::size_t end = picture.find(' ');
  std::string_view fn = picture.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
  picture = end == std::string_view::npos ? std::string_view() : picture.substr(end + 1);
  for (char c : fn) {
    switch (upperAscii(c)) {
      case '!': f.upper = true; break;
      case 'R': f.replace = true; break;
      case 'Z': f.blankZero = true; break;
      case 'B': f.leftJustify = true; break;
      case 'L':
      case '0': f.leadingZeros = true; break;
      case '(': f.parenNeg = true; break;
      case ')': f.parenNegTight = true; break;
      case 'X': f.debit = true; break;
      case 'C': f.credit = true; break;
      case 'E': f.european = true; break;
      case 'D': f.date = true; break;
      default: break;
    }
  }
  return f;
}

bool isDigitSlot(char c) { return c == '9' || c == '#' || c == '$' || c == '*'; }

std::string leftJustify(const std::string& s) {
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos || i == 0) return s;
  return s.substr(i) + std::string(i, ' ');
}

std::string transformNumber(const Value& v, std::string_view tpl, const Functions& f) {
  double x = v.n;
  bool showAbs = (f.parenNeg || f.parenNegTight || f.debit) && x < 0;
  std::string out;
  if (tpl.empty()) {
    out = formatNumber(showAbs ? Value::num(-x, v.width, v.dec) : v);
    if (f.blankZero && x == 0) out.assign(out.size(), ' ');
  } else {
    std::size_t point = tpl.find('.');
    int intSlots = 0, decSlots = 0;
    for (std::size_t i = 0; i < tpl.size(); ++i) {
      if (!isDigitSlot(tpl[i])) continue;
      if (point == std::string_view::npos || i < point) ++intSlots; else ++decSlots;
    }
    double r = roundDec(showAbs ? -x : x, decSlots);
    std::string digits = fixedText(std::fabs(r), decSlots);
    std::string intDigits = digits.substr(0, decSlots ? digits.find('.') : digits.size());
    std::string fracDigits = decSlots ? digits.substr(digits.find('.') + 1) : std::string();
    bool negative = r < 0;
    if (intDigits == "0" && intSlots == 0) intDigits.clear();
    bool overflow = int(intDigits.size()) + (negative ? 1 : 0) > intSlots;
    out.assign(tpl);
    if (overflow) {
      for (std::size_t i = 0; i < out.size(); ++i)
        if (isDigitSlot(tpl[i]) || (tpl[i] == ',' && (point == std::string_view::npos || i < point))) out[i] = '*';
    } else {
      // Integer places, right to left from the decimal point; the sign goes
      // just left of the first digit (or first place with leading zeros).
      std::size_t intEnd = point == std::string_view::npos ? tpl.size() : point;
      int k = int(intDigits.size()) - 1;
      bool signDone = !negative;
      for (std::size_t i = intEnd; i-- > 0;) {
        char c = tpl[i];
        if (isDigitSlot(c)) {
          if (k >= 0) {
            out[i] = intDigits[std::size_t(k--)];
          } else if (!signDone && !f.leadingZeros) {
            out[i] = '-';
            signDone = true;
          } else {
            out[i] = f.leadingZeros ? '0' : (c == '$' || c == '*') ? c : ' ';
          }
        } else if (c == ',') {
          if (k >= 0 || f.leadingZeros) {
            out[i] = ',';
          } else if (!signDone) {  // the digits ended here: the sign takes the comma's place
            out[i] = '-';
            signDone = true;
          } else {
            out[i] = ' ';
          }
        }
      }
      if (!signDone) {
        for (std::size_t i = 0; i < intEnd; ++i)
          if (isDigitSlot(tpl[i])) {
            out[i] = '-';
            break;
          }
      }
      std::size_t fk = 0;
      if (point != std::string_view::npos)
        for (std::size_t i = point + 1; i < tpl.size(); ++i)
          if (isDigitSlot(tpl[i])) out[i] = fk < fracDigits.size() ? fracDigits[fk++] : '0';
    }
    if (f.blankZero && x == 0) out.assign(out.size(), ' ');
    if (f.european)
      for (char& c : out) c = c == '.' ? ',' : c == ',' ? '.' : c;
  }
  if (showAbs && (f.parenNeg || f.parenNegTight)) {
    if (f.parenNegTight) {
      std::size_t first = out.find_first_not_of(' ');
      if (first != std::string::npos && first > 0)
        out[first - 1] = '(';
      else
        out.insert(out.begin(), '(');
    } else {
      out[0] = '(';
    }
    out += ')';
  }
  if (f.debit && x < 0) out += " DB";
  if (f.credit && x > 0) out += " CR";
  if (f.leftJustify) out = leftJustify(out);
  return out;
}

std::string transformText(const std::string& s, std::string_view tpl, const Functions& f) {
  if (tpl.empty()) return f.upper ? upper(s) : s;
  std::string out;
  std::size_t di = 0;
  for (std::size_t i = 0; i < tpl.size() && di < s.size(); ++i) {
    char c = tpl[i];
    switch (upperAscii(c)) {
      case '!':
        out += upperAscii(s[di++]);
        break;
      case 'A':
      case 'N':
      case 'X':
      case '9':
      case '#':
      case 'L':
      case 'Y':
        out += f.upper ? upperAscii(s[di]) : s[di];
        ++di;
        break;
      default:
        out += c;
        if (!f.replace) ++di;  // without @R a literal takes the place of a character
        break;
    }
  }
  return out;
}

}  // namespace

std::string transform(const Value& v, std::string_view picture, const DateSettings& dates) {
  Functions f = parseFunctions(picture);
  switch (v.type) {
    case Type::Num: return transformNumber(v, picture, f);
    case Type::Char: return transformText(v.s, picture, f);
    case Type::Date: return dateToText(v.date, dates);
    case Type::Logical: {
      if (!picture.empty()) {
        char c = upperAscii(picture[0]);
        if (c == 'Y') return v.b ? "Y" : "N";
      }
      return v.b ? "T" : "F";
    }
    default: return std::string();
  }
}

}  // namespace xbase
