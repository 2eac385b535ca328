// The runtime's values: NIL, character (cp874 bytes), numeric (a double that
// carries a display width and decimals), date, logical and array.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xbase {

enum class Type : std::uint8_t { Nil, Char, Num, Date, Logical, Array };

struct Value;
using Array = std::vector<Value>;
using ArrayPtr = std::shared_ptr<Array>;

// Width of a computed number when nothing fixes it: the runtime gives
// 10 integer places, 20 for large magnitudes.
inline int defaultWidth(double d) { return (d >= 1e10 || d <= -1e9) ? 20 : 10; }

struct Value {
  Type type = Type::Nil;
  // Numeric: `width` is the number of places before the decimal point
  // (sign included), `dec` the decimals; STR() shows width + dec + 1.
  std::uint8_t width = 0;
  std::uint8_t dec = 0;
  bool b = false;
  std::int32_t date = 0;  // Julian day number; 0 is the empty date
  double n = 0;
  std::string s;
  ArrayPtr a;

  Value() = default;

  static Value chr(std::string text) {
    Value v;
    v.type = Type::Char;
    v.s = std::move(text);
    return v;
  }
  static Value chr(std::string_view text) { return chr(std::string(text)); }
  static Value chr(const char* text) { return chr(std::string(text)); }
  // A number with explicit width (integer places) and decimals.
  static Value num(double d, int width, int dec) {
    Value v;
    v.type = Type::Num;
    v.n = d;
    v.width = static_cast<std::uint8_t>(width <= 0 || width > 99 ? defaultWidth(d) : width);
    v.dec = static_cast<std::uint8_t>(dec < 0 ? 0 : dec > 99 ? 99 : dec);
    return v;
  }
  // A computed number with the default width.
  static Value num(double d, int dec = 0) { return num(d, 0, dec); }
  static Value integer(long long i) { return num(double(i), 0, 0); }
  static Value dateValue(std::int32_t julian) {
    Value v;
    v.type = Type::Date;
    v.date = julian;
    return v;
  }
  static Value logical(bool t) {
    Value v;
    v.type = Type::Logical;
    v.b = t;
    return v;
  }
  static Value array(std::size_t n = 0) {
    Value v;
    v.type = Type::Array;
    v.a = std::make_shared<Array>(n);
    return v;
  }

  bool isNil() const { return type == Type::Nil; }
  bool isChar() const { return type == Type::Char; }
  bool isNum() const { return type == Type::Num; }
  bool isDate() const { return type == Type::Date; }
  bool isLogical() const { return type == Type::Logical; }
  bool isArray() const { return type == Type::Array; }
};

// The type letter of VALTYPE(): C N D L A U.
char typeLetter(const Value& v);

// EMPTY(): blank text, zero, empty date, .F., empty array, NIL.
bool isEmpty(const Value& v);

// Text comparison as the runtime does it (byte order). With exact false the
// texts are compared over the length of the right one: a = b holds when a
// begins with b; a shorter left text is smaller.
int compareText(std::string_view left, std::string_view right, bool exact);

}  // namespace xbase
