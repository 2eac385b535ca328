// Helpers for functions of the library: argument access and argument errors.
#pragma once

#include <string>

#include "xbase/error.h"
#include "xbase/runtime.h"

namespace xbase {

inline const Value& arg(Args a, std::size_t i) {
  static const Value nil;
  return i < a.size() ? a[i] : nil;
}

// Raises an argument error for function `name` with subcode `sub`; the
// handler's value (substitute or default) is the function's result.
Value argumentError(int sub, const char* name, Args a);

// The text form that PADx and similar functions give any value.
std::string plainText(const Value& v);

}  // namespace xbase
