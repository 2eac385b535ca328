#include "xbase/cp874.h"

namespace xbase {

char32_t cp874ToUnicode(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xA1 && b <= 0xDA) return char32_t(0x0E01 + (b - 0xA1));
  if (b >= 0xDF && b <= 0xFB) return char32_t(0x0E3F + (b - 0xDF));
  switch (b) {
    case 0x80: return 0x20AC;
    case 0x85: return 0x2026;
    case 0x91: return 0x2018;
    case 0x92: return 0x2019;
    case 0x93: return 0x201C;
    case 0x94: return 0x201D;
    case 0x95: return 0x2022;
    case 0x96: return 0x2013;
    case 0x97: return 0x2014;
    case 0xA0: return 0x00A0;
    default: return 0xFFFD;
  }
}

int unicodeToCp874(char32_t cp) { return detail::thaiFromUnicode(cp); }

static void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

void appendAsUtf8(std::string& out, std::string_view s) {
  for (unsigned char c : s) {
    if (c < 0x80)
      out += char(c);
    else
      appendUtf8(out, cp874ToUnicode(c));
  }
}

std::string toUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  appendAsUtf8(out, s);
  return out;
}

std::string fromUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += char(c);
      ++i;
      continue;
    }
    int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0) {
      out += '?';
      ++i;
      continue;
    }
    char32_t cp = c & (extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size()) { ok = false; break; }
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    i += 1 + extra;
    int b = unicodeToCp874(cp);
    out += b < 0 ? '?' : char(b);
  }
  return out;
}

std::string upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = upperAscii(c);
  return r;
}

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = lowerAscii(c);
  return r;
}

}  // namespace xbase
