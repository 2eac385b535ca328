// xBase expressions compiled at run time: report templates, index keys,
// group keys, filters and the conditions users type. An expression is
// compiled once and cached by its text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "xbase/value.h"

namespace xbase {

class Node;

class Expr {
 public:
  Expr(std::string text, std::unique_ptr<Node> root);
  ~Expr();
  const std::string& text() const { return text_; }
  // Errors go to the runtime's handler; Retry evaluates the expression again.
  Value eval() const;
  // The value of a name-only expression can be assigned (fields, variables,
  // array elements).
  bool assignable() const;
  void assign(Value v) const;

 private:
  std::string text_;
  std::unique_ptr<Node> root_;
};

// Compiles (or takes from the cache). A text that does not compile raises a
// syntax error (7, subcode 1449) through the handler and gives null.
std::shared_ptr<const Expr> compile(std::string_view text);
// As compile, but a syntax error is thrown as ErrorException.
std::shared_ptr<const Expr> compileOrThrow(std::string_view text);
// Compile and evaluate.
Value evaluate(std::string_view text);

// Limits that turn absurd input into a syntax error instead of a crash.
constexpr std::size_t kMaxExpressionLength = 64 * 1024;
constexpr int kMaxNestingDepth = 256;

}  // namespace xbase
