// Code page 874 (Thai Windows) text: every string inside the runtime is held
// as cp874 bytes, exactly as in the data files. UTF-8 is used only at the
// edges (screen, PDF, logs, fixtures).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

// Unicode code point of a cp874 byte; 0xFFFD for the bytes the page leaves undefined.
char32_t cp874ToUnicode(unsigned char b);
// cp874 byte of a code point, or -1 when the page has none.
int unicodeToCp874(char32_t cp);

std::string toUtf8(std::string_view cp874);
// Appends the UTF-8 form of cp874 text to `out` (no temporary string).
void appendAsUtf8(std::string& out, std::string_view cp874);
// Characters the page cannot hold become '?'.
std::string fromUtf8(std::string_view utf8);

// ASCII-only case mapping, as the runtime does: Thai letters have no case.
inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
std::string upper(std::string_view s);
std::string lower(std::string_view s);

namespace detail {

constexpr int thaiFromUnicode(char32_t cp) {
  if (cp < 0x80) return int(cp);
  if (cp >= 0x0E01 && cp <= 0x0E3A) return int(cp - 0x0E01 + 0xA1);
  if (cp >= 0x0E3F && cp <= 0x0E5B) return int(cp - 0x0E3F + 0xDF);
  switch (cp) {
    case 0x20AC: return 0x80;
    case 0x2026: return 0x85;
    case 0x2018: return 0x91;
    case 0x2019: return 0x92;
    case 0x201C: return 0x93;
    case 0x201D: return 0x94;
    case 0x2022: return 0x95;
    case 0x2013: return 0x96;
    case 0x2014: return 0x97;
    case 0x00A0: return 0xA0;
    default: return -1;
  }
}

template <std::size_t N>
struct Utf8Literal {
  char text[N]{};
  consteval Utf8Literal(const char (&in)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = in[i];
  }
};

struct Cp874Buffer {
  std::array<char, 512> bytes{};
  std::size_t size = 0;
};

template <std::size_t N>
consteval Cp874Buffer convertLiteral(const Utf8Literal<N>& lit) {
  Cp874Buffer out;
  std::size_t i = 0;
  while (i + 1 < N) {  // the terminating NUL is not part of the text
    unsigned char c = static_cast<unsigned char>(lit.text[i]);
    char32_t cp = 0;
    int extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else {
      cp = c & 0x07;
      extra = 3;
    }
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(lit.text[i + k]) & 0x3F);
    i += 1 + extra;
    int b = thaiFromUnicode(cp);
    if (b < 0) throw "character outside code page 874 in a Thai literal";
    if (out.size >= out.bytes.size()) throw "Thai literal too long";
    out.bytes[out.size++] = static_cast<char>(b);
  }
  return out;
}

template <Utf8Literal L>
struct Cp874Storage {
  static constexpr Cp874Buffer value = convertLiteral(L);
};

}  // namespace detail

// "บริษัท"_th is the cp874 form of a UTF-8 literal, converted at compile time.
template <detail::Utf8Literal L>
constexpr std::string_view operator""_th() {
  return std::string_view(detail::Cp874Storage<L>::value.bytes.data(),
                          detail::Cp874Storage<L>::value.size);
}

}  // namespace xbase
