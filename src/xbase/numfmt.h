// Number rounding and the text forms of values: STR(), VAL(), TRANSFORM().
#pragma once

#include <string>
#include <string_view>

#include "xbase/dates.h"
#include "xbase/value.h"

namespace xbase {

// Rounds half away from zero at `dec` places (negative: to tens, hundreds...),
// treating the binary neighbours of a decimal half as the half itself, as the
// runtime does (ROUND(1.005,2) = 1.01).
double roundDec(double v, int dec);

// STR(v, totalWidth, dec): right-aligned; asterisks when it does not fit.
std::string formatNumber(double v, int totalWidth, int dec);
// STR(v) with the width and decimals the value carries.
std::string formatNumber(const Value& v);

// VAL(): the number and the width and decimals the text gives it.
Value parseNumber(std::string_view text);

// TRANSFORM(value, picture).
std::string transform(const Value& v, std::string_view picture, const DateSettings& dates);

}  // namespace xbase
