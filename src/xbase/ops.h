// The operators of the expression language, with the runtime's result
// widths and error subcodes.
#pragma once

#include "xbase/value.h"

namespace xbase {

enum class BinOp { Plus, Minus, Mul, Div, Mod, Pow, Eq, ExactEq, Ne, Lt, Le, Gt, Ge, Contains };

Value binaryOp(BinOp op, const Value& a, const Value& b);
Value negate(const Value& a);
Value unaryPlus(const Value& a);
Value logicalNot(const Value& a);
// .AND. and .OR. operands must be logical (subcodes 1078, 1079).
bool logicalOperand(const Value& v, bool isAnd, const Value& other);

}  // namespace xbase
