#include "xbase/ops.h"

#include <algorithm>
#include <cmath>

#include "xbase/error.h"
#include "xbase/runtime.h"

namespace xbase {

namespace {

const char* opName(BinOp op) {
  switch (op) {
    case BinOp::Plus: return "+";
    case BinOp::Minus: return "-";
    case BinOp::Mul: return "*";
    case BinOp::Div: return "/";
    case BinOp::Mod: return "%";
    case BinOp::Pow: return "^";
    case BinOp::Eq: return "=";
    case BinOp::ExactEq: return "==";
    case BinOp::Ne: return "<>";
    case BinOp::Lt: return "<";
    case BinOp::Le: return "<=";
    case BinOp::Gt: return ">";
    case BinOp::Ge: return ">=";
    case BinOp::Contains: return "$";
  }
  return "?";
}

int argSubcode(BinOp op) {
  switch (op) {
    case BinOp::Plus: return 1081;
    case BinOp::Minus: return 1082;
    case BinOp::Mul: return 1083;
    case BinOp::Div: return 1084;
    case BinOp::Mod: return 1085;
    case BinOp::Pow: return 1088;
    case BinOp::ExactEq: return 1070;
    case BinOp::Eq: return 1071;
    case BinOp::Ne: return 1072;
    case BinOp::Lt: return 1073;
    case BinOp::Le: return 1074;
    case BinOp::Gt: return 1075;
    case BinOp::Ge: return 1076;
    case BinOp::Contains: return 1109;
  }
  return 0;
}

Value argError(BinOp op, const Value& a, const Value& b) {
  Error e = Error::make(EG_ARG, argSubcode(op), opName(op), {a, b});
  e.canSubstitute = true;
  return rt().raiseValue(std::move(e));
}

Value zeroDivide(BinOp op, const Value& a, const Value& b) {
  Error e = Error::make(EG_ZERODIV, op == BinOp::Mod ? 1341 : 1340, opName(op), {a, b});
  e.canSubstitute = true;
  return rt().raiseValue(std::move(e));
}

// Ordering of two values of one type; false when the types cannot be compared.
bool compareValues(BinOp op, const Value& a, const Value& b, int& result) {
  if (a.type != b.type) return false;
  switch (a.type) {
    case Type::Char: {
      bool exact = op == BinOp::ExactEq;
      if (!exact && rt().set.exact) {
        std::string_view l(a.s), r(b.s);
        while (!l.empty() && l.back() == ' ') l.remove_suffix(1);
        while (!r.empty() && r.back() == ' ') r.remove_suffix(1);
        result = compareText(l, r, true);
      } else {
        result = compareText(a.s, b.s, exact);
      }
      return true;
    }
    case Type::Num: result = a.n < b.n ? -1 : a.n > b.n ? 1 : 0; return true;
    case Type::Date: result = a.date < b.date ? -1 : a.date > b.date ? 1 : 0; return true;
    case Type::Logical: result = int(a.b) - int(b.b); return true;
    default: return false;
  }
}

}  // namespace

Value binaryOp(BinOp op, const Value& a, const Value& b) {
  switch (op) {
    case BinOp::Plus:
      if (a.isNum() && b.isNum()) return Value::num(a.n + b.n, std::max(a.dec, b.dec));
      if (a.isChar() && b.isChar()) return Value::chr(a.s + b.s);
      if (a.isDate() && b.isNum()) return Value::dateValue(a.date + std::int32_t(b.n));
      if (a.isNum() && b.isDate()) return Value::dateValue(b.date + std::int32_t(a.n));
      return argError(op, a, b);
    case BinOp::Minus:
      if (a.isNum() && b.isNum()) return Value::num(a.n - b.n, std::max(a.dec, b.dec));
      if (a.isDate() && b.isDate()) return Value::integer(a.date - b.date);
      if (a.isDate() && b.isNum()) return Value::dateValue(a.date - std::int32_t(b.n));
      if (a.isChar() && b.isChar()) {
        // The left text's trailing blanks move to the end of the result.
        std::size_t keep = a.s.find_last_not_of(' ');
        keep = keep == std::string::npos ? 0 : keep + 1;
        std::string r = a.s.substr(0, keep) + b.s;
        r.append(a.s.size() - keep, ' ');
        return Value::chr(std::move(r));
      }
      return argError(op, a, b);
    case BinOp::Mul:
      if (a.isNum() && b.isNum()) return Value::num(a.n * b.n, a.dec + b.dec);
      return argError(op, a, b);
    case BinOp::Div:
      if (a.isNum() && b.isNum()) {
        if (b.n == 0) return zeroDivide(op, a, b);
        return Value::num(a.n / b.n, rt().set.decimals);
      }
      return argError(op, a, b);
    case BinOp::Mod:
      if (a.isNum() && b.isNum()) {
        if (b.n == 0) return zeroDivide(op, a, b);
        double r = std::fmod(a.n, b.n);
        bool ints = a.dec == 0 && b.dec == 0 && a.n == std::trunc(a.n) && b.n == std::trunc(b.n);
        return Value::num(r, ints ? 0 : rt().set.decimals);
      }
      return argError(op, a, b);
    case BinOp::Pow:
      if (a.isNum() && b.isNum()) return Value::num(std::pow(a.n, b.n), rt().set.decimals);
      return argError(op, a, b);
    case BinOp::Contains:
      if (a.isChar() && b.isChar())
        return Value::logical(!a.s.empty() && b.s.find(a.s) != std::string::npos);
      return argError(op, a, b);
    default: break;
  }
  // Comparisons.
  if (a.isNil() || b.isNil()) {
    if (op == BinOp::Eq || op == BinOp::ExactEq) return Value::logical(a.isNil() && b.isNil());
    if (op == BinOp::Ne) return Value::logical(!(a.isNil() && b.isNil()));
    return argError(op, a, b);
  }
  if (op == BinOp::ExactEq && a.isArray() && b.isArray()) return Value::logical(a.a == b.a);
  int c = 0;
  if (!compareValues(op, a, b, c)) return argError(op, a, b);
  switch (op) {
    case BinOp::Eq:
    case BinOp::ExactEq: return Value::logical(c == 0);
    case BinOp::Ne: return Value::logical(c != 0);
    case BinOp::Lt: return Value::logical(c < 0);
    case BinOp::Le: return Value::logical(c <= 0);
    case BinOp::Gt: return Value::logical(c > 0);
    case BinOp::Ge: return Value::logical(c >= 0);
    default: return Value();
  }
}

Value negate(const Value& a) {
  if (a.isNum()) return Value::num(-a.n, a.dec);
  Error e = Error::make(EG_ARG, 1080, "-", {a});
  e.canSubstitute = true;
  return rt().raiseValue(std::move(e));
}

Value unaryPlus(const Value& a) {
  if (a.isNum()) return a;
  Error e = Error::make(EG_ARG, 1081, "+", {a});
  e.canSubstitute = true;
  return rt().raiseValue(std::move(e));
}

Value logicalNot(const Value& a) {
  if (a.isLogical()) return Value::logical(!a.b);
  Error e = Error::make(EG_ARG, 1077, ".NOT.", {a});
  e.canSubstitute = true;
  return rt().raiseValue(std::move(e));
}

bool logicalOperand(const Value& v, bool isAnd, const Value& other) {
  if (v.isLogical()) return v.b;
  Error e = Error::make(EG_ARG, isAnd ? 1078 : 1079, isAnd ? ".AND." : ".OR.", {v, other});
  e.canSubstitute = true;
  Value r = rt().raiseValue(std::move(e));
  return r.isLogical() && r.b;
}

}  // namespace xbase
