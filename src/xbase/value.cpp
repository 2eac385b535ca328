#include "xbase/value.h"

#include <algorithm>
#include <cstring>

namespace xbase {

char typeLetter(const Value& v) {
  switch (v.type) {
    case Type::Char: return 'C';
    case Type::Num: return 'N';
    case Type::Date: return 'D';
    case Type::Logical: return 'L';
    case Type::Array: return 'A';
    case Type::Nil: break;
  }
  return 'U';
}

bool isEmpty(const Value& v) {
  switch (v.type) {
    case Type::Char:
      return std::all_of(v.s.begin(), v.s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    case Type::Num: return v.n == 0;
    case Type::Date: return v.date == 0;
    case Type::Logical: return !v.b;
    case Type::Array: return !v.a || v.a->empty();
    case Type::Nil: break;
  }
  return true;
}

int compareText(std::string_view left, std::string_view right, bool exact) {
  std::size_t n = std::min(left.size(), right.size());
  if (n) {
    int c = std::memcmp(left.data(), right.data(), n);
    if (c) return c < 0 ? -1 : 1;
  }
  if (left.size() < right.size()) return -1;
  if (exact && left.size() > right.size()) return 1;
  return 0;
}

}  // namespace xbase
