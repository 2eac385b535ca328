#include "xbase/dates.h"

#include <cctype>

namespace xbase {

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return days[month - 1];
}

std::int32_t encodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
    return 0;
  long factor = month < 3 ? -1 : 0;
  return static_cast<std::int32_t>((long(day) - 32075) + (1461 * (long(year) + 4800 + factor) / 4) +
                                   (367 * (long(month) - 2 - factor * 12) / 12) -
                                   (3 * ((long(year) + 4900 + factor) / 100) / 4));
}

DateParts decodeDate(std::int32_t julian) {
  DateParts p;
  if (julian <= 0) return p;
  long long j = julian + 68569LL;
  long long w = (j * 4) / 146097;
  j -= ((146097 * w) + 3) / 4;
  long long x = 4000 * (j + 1) / 1461001;
  j -= ((1461 * x) / 4) - 31;
  long long v = 80 * j / 2447;
  long long u = v / 11;
  p.year = int(x + u + (w - 49) * 100);
  p.month = int(v + 2 - (u * 12));
  p.day = int(j - (2447 * v / 80));
  return p;
}

int dayOfWeek(std::int32_t julian) { return julian <= 0 ? 0 : int((julian + 1) % 7 + 1); }

std::string dateToText(std::int32_t julian, const DateSettings& s) {
  DateParts p = decodeDate(julian);
  std::string out = s.format;
  // Fill each run of d, m or y in the format with the digits of that part.
  for (std::size_t i = 0; i < out.size();) {
    char c = char(std::tolower(static_cast<unsigned char>(out[i])));
    if (c != 'd' && c != 'm' && c != 'y') {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < out.size() && std::tolower(static_cast<unsigned char>(out[j])) == c) ++j;
    int value = c == 'd' ? p.day : c == 'm' ? p.month : p.year;
    for (std::size_t k = j; k-- > i;) {
      out[k] = julian ? char('0' + value % 10) : ' ';
      value /= 10;
    }
    i = j;
  }
  return out;
}

std::int32_t textToDate(std::string_view text, const DateSettings& s) {
  // The parts are taken in the order the format gives them; any run of
  // non-digits separates them.
  int order[3];
  int n = 0;
  char last = 0;
  for (char fc : s.format) {
    char c = char(std::tolower(static_cast<unsigned char>(fc)));
    if ((c == 'd' || c == 'm' || c == 'y') && c != last && n < 3) order[n++] = c;
    if (c == 'd' || c == 'm' || c == 'y') last = c;
  }
  int values[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  std::size_t pos = 0;
  for (int k = 0; k < n; ++k) {
    while (pos < text.size() && !std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      if (digits[k] < 9) values[k] = values[k] * 10 + (text[pos] - '0');
      ++digits[k];
      ++pos;
    }
  }
  int d = 0, m = 0, y = 0, yDigits = 0;
  for (int k = 0; k < n; ++k) {
    if (order[k] == 'd') d = values[k];
    if (order[k] == 'm') m = values[k];
    if (order[k] == 'y') {
      y = values[k];
      yDigits = digits[k];
    }
  }
  if (d == 0 && m == 0 && y == 0) return 0;
  if (yDigits > 0 && yDigits <= 2) {
    y += (s.epoch / 100) * 100;
    if (y < s.epoch) y += 100;
  }
  return encodeDate(y, m, d);
}

std::string dateToSortable(std::int32_t julian) {
  if (julian <= 0) return std::string(8, ' ');
  DateParts p = decodeDate(julian);
  char buf[9];
  int y = p.year;
  for (int k = 3; k >= 0; --k) {
    buf[k] = char('0' + y % 10);
    y /= 10;
  }
  buf[4] = char('0' + p.month / 10);
  buf[5] = char('0' + p.month % 10);
  buf[6] = char('0' + p.day / 10);
  buf[7] = char('0' + p.day % 10);
  return std::string(buf, 8);
}

std::int32_t sortableToDate(std::string_view t) {
  if (t.size() < 8) return 0;
  int v[8];
  for (int i = 0; i < 8; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(t[i]))) return 0;
    v[i] = t[i] - '0';
  }
  return encodeDate(v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]);
}

const char* englishMonthName(int month) {
  static const char* names[] = {"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
  return month >= 1 && month <= 12 ? names[month - 1] : "";
}

const char* englishDayName(int dow) {
  static const char* names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return dow >= 1 && dow <= 7 ? names[dow - 1] : "";
}

}  // namespace xbase
