#include "xbase/expr.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "xbase/cp874.h"
#include "xbase/error.h"
#include "xbase/ops.h"
#include "xbase/runtime.h"

namespace xbase {

// ---------------------------------------------------------------- nodes

class Node {
 public:
  virtual ~Node() = default;
  virtual Value eval() const = 0;
  virtual bool assignable() const { return false; }
  virtual void assign(Value) const {}
};

namespace {

using NodePtr = std::unique_ptr<Node>;

Value noVariable(const std::string& name) { return rt().raiseValue(Error::make(EG_NOVAR, 1003, name)); }

class Literal final : public Node {
 public:
  explicit Literal(Value v) : v_(std::move(v)) {}
  Value eval() const override { return v_; }

 private:
  Value v_;
};

// A memory variable; the slot is looked up once per runtime.
class MemvarRef final : public Node {
 public:
  explicit MemvarRef(std::string name) : name_(std::move(name)) {}
  MemvarSlot& slot() const {
    Runtime* r = &rt();
    if (r != runtime_) {
      runtime_ = r;
      slot_ = &r->memvars.slot(name_);
    }
    return *slot_;
  }
  Value eval() const override {
    if (Value* v = slot().get()) return *v;
    return noVariable(name_);
  }
  bool assignable() const override { return true; }
  void assign(Value v) const override {
    if (Value* cur = slot().get())
      *cur = std::move(v);
    else
      rt().memvars.assign(name_, std::move(v), rt().depth());
  }

 private:
  std::string name_;
  mutable Runtime* runtime_ = nullptr;
  mutable MemvarSlot* slot_ = nullptr;
};

// Remembers the field index of a name in one work area until areas change.
struct FieldCache {
  const WorkArea* area = nullptr;
  std::uint64_t generation = ~0ull;
  int index = -1;

  int resolve(WorkArea* wa, std::uint64_t gen, const std::string& name) {
    if (wa != area || gen != generation) {
      area = wa;
      generation = gen;
      index = wa->fieldIndex(name);
    }
    return index;
  }
};

// A bare name: a field of the current work area first, then a variable.
class NameRef final : public Node {
 public:
  explicit NameRef(std::string name) : name_(name), var_(std::move(name)) {}
  Value eval() const override {
    Runtime& r = rt();
    if (r.areas)
      if (WorkArea* wa = r.areas->current()) {
        int i = cache_.resolve(wa, r.areas->generation(), name_);
        if (i >= 0) return wa->getField(i);
      }
    return var_.eval();
  }
  bool assignable() const override { return true; }
  void assign(Value v) const override {
    Runtime& r = rt();
    if (r.areas)
      if (WorkArea* wa = r.areas->current()) {
        int i = cache_.resolve(wa, r.areas->generation(), name_);
        if (i >= 0) return wa->putField(i, v);
      }
    var_.assign(std::move(v));
  }

 private:
  std::string name_;
  MemvarRef var_;
  mutable FieldCache cache_;
};

// Finds the work area of an alias; FIELD and _FIELD name the current one.
WorkArea* findArea(const std::string& alias, bool& isCurrent) {
  Runtime& r = rt();
  isCurrent = alias == "FIELD" || alias == "_FIELD";
  if (!r.areas) return nullptr;
  return isCurrent ? r.areas->current() : r.areas->byAlias(alias);
}

// alias->field
class AliasField final : public Node {
 public:
  AliasField(std::string alias, std::string field) : alias_(std::move(alias)), field_(std::move(field)) {}
  WorkArea* area() const {
    Runtime& r = rt();
    if (r.areas && r.areas->generation() == areaGen_ && runtime_ == &r && !current_) return area_;
    bool isCurrent = false;
    WorkArea* wa = findArea(alias_, isCurrent);
    current_ = isCurrent;
    runtime_ = &r;
    areaGen_ = r.areas ? r.areas->generation() : ~0ull;
    area_ = wa;
    return wa;
  }
  int index(WorkArea* wa) const { return cache_.resolve(wa, rt().areas->generation(), field_); }
  Value eval() const override {
    WorkArea* wa = area();
    if (!wa) return rt().raiseValue(Error::make(EG_NOALIAS, 1002, alias_));
    int i = index(wa);
    if (i < 0) return noVariable(field_);
    return wa->getField(i);
  }
  bool assignable() const override { return true; }
  void assign(Value v) const override {
    WorkArea* wa = area();
    if (!wa) {
      rt().raiseValue(Error::make(EG_NOALIAS, 1002, alias_));
      return;
    }
    int i = index(wa);
    if (i < 0) {
      noVariable(field_);
      return;
    }
    wa->putField(i, v);
  }

 private:
  std::string alias_, field_;
  mutable Runtime* runtime_ = nullptr;
  mutable std::uint64_t areaGen_ = ~0ull;
  mutable WorkArea* area_ = nullptr;
  mutable bool current_ = false;
  mutable FieldCache cache_;
};

// alias->(expression): evaluated with that area selected.
class AliasExpr final : public Node {
 public:
  AliasExpr(std::string alias, NodePtr inner) : alias_(std::move(alias)), inner_(std::move(inner)) {}
  Value eval() const override {
    Runtime& r = rt();
    bool isCurrent = false;
    WorkArea* wa = findArea(alias_, isCurrent);
    if (!wa) return r.raiseValue(Error::make(EG_NOALIAS, 1002, alias_));
    int previous = r.areas->currentNumber();
    r.areas->select(wa->number());
    struct Restore {
      Runtime& r;
      int n;
      ~Restore() { r.areas->select(n); }
    } restore{r, previous};
    return inner_->eval();
  }

 private:
  std::string alias_;
  NodePtr inner_;
};

class IndexNode final : public Node {
 public:
  IndexNode(NodePtr base, NodePtr index) : base_(std::move(base)), index_(std::move(index)) {}
  // Returns the element, or null after an error was raised (its value in `err`).
  Value* element(Value& base, Value& err) const {
    base = base_->eval();
    Value idx = index_->eval();
    if (!base.isArray() || !idx.isNum()) {
      Error e = Error::make(EG_ARG, 1068, "array access", {base, idx});
      e.canSubstitute = true;
      err = rt().raiseValue(std::move(e));
      return nullptr;
    }
    long i = long(idx.n);
    if (i < 1 || std::size_t(i) > base.a->size()) {
      Error e = Error::make(EG_BOUND, 1132, "array access", {base, idx});
      e.canSubstitute = true;
      err = rt().raiseValue(std::move(e));
      return nullptr;
    }
    return &(*base.a)[std::size_t(i - 1)];
  }
  Value eval() const override {
    Value base, err;
    Value* v = element(base, err);
    return v ? *v : err;
  }
  bool assignable() const override { return true; }
  void assign(Value v) const override {
    Value base, err;
    if (Value* slot = element(base, err)) *slot = std::move(v);
  }

 private:
  NodePtr base_, index_;
};

class CallNode final : public Node {
 public:
  CallNode(std::string name, std::vector<NodePtr> args) : name_(std::move(name)), args_(std::move(args)) {}
  Value eval() const override {
    Runtime& r = rt();
    if (runtime_ != &r) {
      runtime_ = &r;
      fn_ = r.function(name_);
    }
    if (!fn_) {
      fn_ = r.function(name_);  // registered later
      if (!fn_) return r.raiseValue(Error::make(EG_NOFUNC, 1001, name_));
    }
    Value buf[6];
    if (args_.size() <= 6) {
      for (std::size_t i = 0; i < args_.size(); ++i) buf[i] = args_[i]->eval();
      return (*fn_)(Args(buf, args_.size()));
    }
    std::vector<Value> vals;
    vals.reserve(args_.size());
    for (auto& a : args_) vals.push_back(a->eval());
    return (*fn_)(Args(vals));
  }

 private:
  std::string name_;
  std::vector<NodePtr> args_;
  mutable Runtime* runtime_ = nullptr;
  mutable const NativeFunction* fn_ = nullptr;
};

class IIfNode final : public Node {
 public:
  IIfNode(NodePtr c, NodePtr a, NodePtr b) : c_(std::move(c)), a_(std::move(a)), b_(std::move(b)) {}
  Value eval() const override {
    Value c = c_->eval();
    if (!c.isLogical()) {
      Error e = Error::make(EG_ARG, 1066, "IIF", {c});
      e.canSubstitute = true;
      c = rt().raiseValue(std::move(e));
    }
    if (c.isLogical() && c.b) return a_->eval();
    return b_ ? b_->eval() : Value();
  }

 private:
  NodePtr c_, a_, b_;
};

class BinaryNode final : public Node {
 public:
  BinaryNode(BinOp op, NodePtr l, NodePtr r) : op_(op), l_(std::move(l)), r_(std::move(r)) {}
  Value eval() const override {
    Value a = l_->eval();
    Value b = r_->eval();
    return binaryOp(op_, a, b);
  }

 private:
  BinOp op_;
  NodePtr l_, r_;
};

class LogicNode final : public Node {
 public:
  LogicNode(bool isAnd, NodePtr l, NodePtr r) : and_(isAnd), l_(std::move(l)), r_(std::move(r)) {}
  Value eval() const override {
    Value a = l_->eval();
    if (a.isLogical() && (and_ ? !a.b : a.b)) return a;  // short circuit
    bool left = logicalOperand(a, and_, Value());
    if (and_ ? !left : left) return Value::logical(left);
    Value b = r_->eval();
    return Value::logical(logicalOperand(b, and_, a));
  }

 private:
  bool and_;
  NodePtr l_, r_;
};

class UnaryNode final : public Node {
 public:
  UnaryNode(char op, NodePtr x) : op_(op), x_(std::move(x)) {}
  Value eval() const override {
    Value v = x_->eval();
    switch (op_) {
      case '-': return negate(v);
      case '+': return unaryPlus(v);
      default: return logicalNot(v);
    }
  }

 private:
  char op_;
  NodePtr x_;
};

class ArrayLit final : public Node {
 public:
  explicit ArrayLit(std::vector<NodePtr> items) : items_(std::move(items)) {}
  Value eval() const override {
    Value a = Value::array(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) (*a.a)[i] = items_[i] ? items_[i]->eval() : Value();
    return a;
  }

 private:
  std::vector<NodePtr> items_;
};

// (a, b, c): each in turn, the last one's value.
class ListNode final : public Node {
 public:
  explicit ListNode(std::vector<NodePtr> items) : items_(std::move(items)) {}
  Value eval() const override {
    Value v;
    for (auto& n : items_) v = n->eval();
    return v;
  }

 private:
  std::vector<NodePtr> items_;
};

// &name or &(expression): the text is compiled and evaluated.
class MacroNode final : public Node {
 public:
  explicit MacroNode(NodePtr source) : source_(std::move(source)) {}
  std::shared_ptr<const Expr> target() const {
    Value t = source_->eval();
    if (!t.isChar()) {
      Error e = Error::make(EG_ARG, 1065, "&", {t});
      rt().raiseValue(std::move(e));
      return nullptr;
    }
    return compile(t.s);
  }
  Value eval() const override {
    auto e = target();
    return e ? e->eval() : Value();
  }
  bool assignable() const override { return true; }
  void assign(Value v) const override {
    if (auto e = target()) e->assign(std::move(v));
  }

 private:
  NodePtr source_;
};

class AssignNode final : public Node {
 public:
  AssignNode(NodePtr target, NodePtr value, int op) : target_(std::move(target)), value_(std::move(value)), op_(op) {}
  Value eval() const override {
    Value v = value_->eval();
    if (op_) {
      Value cur = target_->eval();
      BinOp b = op_ == '+' ? BinOp::Plus : op_ == '-' ? BinOp::Minus : op_ == '*' ? BinOp::Mul : BinOp::Div;
      v = binaryOp(b, cur, v);
    }
    target_->assign(v);
    return v;
  }

 private:
  NodePtr target_, value_;
  int op_;
};

// ---------------------------------------------------------------- lexer

enum class Tok { End, Num, Str, Ident, Op, Logic, Nil };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier (upper case), operator, string contents
  Value value;       // literals
};

struct SyntaxError {};

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  Token next(bool bracketIsString) {
    skipSpace();
    Token t;
    if (pos_ >= s_.size()) return t;
    char c = s_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::size_t b = pos_;
      while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
      t.kind = Tok::Ident;
      t.text = upper(s_.substr(b, pos_ - b));
      if (t.text == "NIL") t.kind = Tok::Nil;
      return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1]))))
      return number();
    if (c == '.') {
      static const char* words[] = {".T.", ".F.", ".Y.", ".N.", ".AND.", ".OR.", ".NOT."};
      for (const char* w : words) {
        std::size_t n = std::strlen(w);
        if (s_.size() - pos_ >= n && upper(s_.substr(pos_, n)) == w) {
          pos_ += n;
          t.text = std::string(w).substr(1, n - 2);
          if (n == 3) {
            t.kind = Tok::Logic;
            t.value = Value::logical(t.text == "T" || t.text == "Y");
          } else {
            t.kind = Tok::Op;
          }
          return t;
        }
      }
      throw SyntaxError{};
    }
    if (c == '"' || c == '\'' || (c == '[' && bracketIsString)) {
      char close = c == '[' ? ']' : c;
      std::size_t end = s_.find(close, pos_ + 1);
      if (end == std::string_view::npos) throw SyntaxError{};
      t.kind = Tok::Str;
      t.value = Value::chr(s_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end + 1;
      return t;
    }
    static const char* ops[] = {"->", ":=", "+=", "-=", "*=", "/=", "**", "==", "!=", "<>", "<=", ">=",
                                "=",  "<",  ">",  "#",  "$",  "+",  "-",  "*",  "/",  "%",  "^",  "!",
                                "(",  ")",  "[",  "]",  "{",  "}",  ",",  "&"};
    for (const char* o : ops) {
      std::size_t n = std::strlen(o);
      if (s_.substr(pos_, n) == o) {
        pos_ += n;
        t.kind = Tok::Op;
        t.text = o;
        return t;
      }
    }
    throw SyntaxError{};
  }

 private:
  void skipSpace() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
  }

  // A literal keeps the decimals it was written with; integers up to nine
  // digits are 10 wide, longer ones one wider than their digits.
  Token number() {
    std::size_t b = pos_;
    int intDigits = 0, decDigits = 0;
    bool point = false;
    double v = 0;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
      v = v * 10 + (s_[pos_++] - '0');
      ++intDigits;
    }
    if (pos_ < s_.size() && s_[pos_] == '.' &&
        !(pos_ + 1 < s_.size() && std::isalpha(static_cast<unsigned char>(s_[pos_ + 1])))) {
      point = true;
      ++pos_;
      double digits = 0;
      while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
        digits = digits * 10 + (s_[pos_++] - '0');
        ++decDigits;
      }
      static const double p10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
      v += decDigits < 16 ? digits / p10[decDigits] : digits / std::pow(10.0, decDigits);
    }
    (void)b;
    Token t;
    t.kind = Tok::Num;
    int width = intDigits <= 9 ? 10 : std::max(10, intDigits + 1);
    t.value = Value::num(v, width, point ? decDigits : 0);
    return t;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

// ---------------------------------------------------------------- parser

class Parser {
 public:
  explicit Parser(std::string_view text) : lex_(text) { advance(); }

  NodePtr parseAll() {
    NodePtr n = expression();
    if (tok_.kind != Tok::End) throw SyntaxError{};
    return n;
  }

 private:
  void advance() {
    // '[' opens a string unless it follows something that can be subscripted.
    bool bracketIsString = !(prev_ == Tok::Ident || prevText_ == ")" || prevText_ == "]" || prevText_ == "}");
    tok_ = lex_.next(bracketIsString);
    prev_ = tok_.kind;
    prevText_ = tok_.kind == Tok::Op ? tok_.text : std::string();
    if (tok_.kind == Tok::Str) prevText_ = "\"";
  }
  bool isOp(const char* o) const { return tok_.kind == Tok::Op && tok_.text == o; }
  void expect(const char* o) {
    if (!isOp(o)) throw SyntaxError{};
    advance();
  }

  struct Depth {
    int& d;
    explicit Depth(int& x) : d(x) {
      if (++d > kMaxNestingDepth) throw SyntaxError{};
    }
    ~Depth() { --d; }
  };

  NodePtr expression() {
    Depth guard(depth_);
    NodePtr left = orExpr();
    for (const char* op : {":=", "+=", "-=", "*=", "/="}) {
      if (isOp(op)) {
        if (!left->assignable()) throw SyntaxError{};
        advance();
        NodePtr value = expression();
        return std::make_unique<AssignNode>(std::move(left), std::move(value), op[0] == ':' ? 0 : op[0]);
      }
    }
    return left;
  }

  NodePtr orExpr() {
    NodePtr l = andExpr();
    while (isOp("OR")) {
      advance();
      l = std::make_unique<LogicNode>(false, std::move(l), andExpr());
    }
    return l;
  }

  NodePtr andExpr() {
    NodePtr l = notExpr();
    while (isOp("AND")) {
      advance();
      l = std::make_unique<LogicNode>(true, std::move(l), notExpr());
    }
    return l;
  }

  NodePtr notExpr() {
    if (isOp("NOT") || isOp("!")) {
      Depth guard(depth_);
      advance();
      return std::make_unique<UnaryNode>('!', notExpr());
    }
    return relation();
  }

  NodePtr relation() {
    NodePtr l = additive();
    for (;;) {
      BinOp op;
      if (isOp("=")) op = BinOp::Eq;
      else if (isOp("==")) op = BinOp::ExactEq;
      else if (isOp("!=") || isOp("<>") || isOp("#")) op = BinOp::Ne;
      else if (isOp("<")) op = BinOp::Lt;
      else if (isOp("<=")) op = BinOp::Le;
      else if (isOp(">")) op = BinOp::Gt;
      else if (isOp(">=")) op = BinOp::Ge;
      else if (isOp("$")) op = BinOp::Contains;
      else return l;
      advance();
      l = std::make_unique<BinaryNode>(op, std::move(l), additive());
    }
  }

  NodePtr additive() {
    NodePtr l = multiplicative();
    for (;;) {
      BinOp op;
      if (isOp("+")) op = BinOp::Plus;
      else if (isOp("-")) op = BinOp::Minus;
      else return l;
      advance();
      l = std::make_unique<BinaryNode>(op, std::move(l), multiplicative());
    }
  }

  NodePtr multiplicative() {
    NodePtr l = power();
    for (;;) {
      BinOp op;
      if (isOp("*")) op = BinOp::Mul;
      else if (isOp("/")) op = BinOp::Div;
      else if (isOp("%")) op = BinOp::Mod;
      else return l;
      advance();
      l = std::make_unique<BinaryNode>(op, std::move(l), power());
    }
  }

  NodePtr power() {
    NodePtr l = unary();
    while (isOp("**") || isOp("^")) {
      advance();
      l = std::make_unique<BinaryNode>(BinOp::Pow, std::move(l), unary());
    }
    return l;
  }

  // Unary minus binds tighter than the power operator: -2^2 is 4.
  NodePtr unary() {
    if (isOp("-") || isOp("+")) {
      Depth guard(depth_);
      char op = tok_.text[0];
      advance();
      NodePtr x = unary();
      return std::make_unique<UnaryNode>(op, std::move(x));
    }
    if (isOp("!") || isOp("NOT")) {
      Depth guard(depth_);
      advance();
      return std::make_unique<UnaryNode>('!', unary());
    }
    return postfix(primary());
  }

  NodePtr postfix(NodePtr n) {
    while (isOp("[")) {
      advance();
      NodePtr idx = expression();
      n = std::make_unique<IndexNode>(std::move(n), std::move(idx));
      while (isOp(",")) {  // a[1, 2] is a[1][2]
        advance();
        n = std::make_unique<IndexNode>(std::move(n), expression());
      }
      expect("]");
    }
    return n;
  }

  std::vector<NodePtr> argumentList() {
    std::vector<NodePtr> args;
    if (isOp(")")) {
      advance();
      return args;
    }
    for (;;) {
      if (isOp(",") || isOp(")"))
        args.push_back(std::make_unique<Literal>(Value()));  // an omitted argument is NIL
      else
        args.push_back(expression());
      if (isOp(",")) {
        advance();
        if (isOp(")")) {
          args.push_back(std::make_unique<Literal>(Value()));
          advance();
          return args;
        }
        continue;
      }
      expect(")");
      return args;
    }
  }

  NodePtr primary() {
    Depth guard(depth_);
    Token t = tok_;
    switch (t.kind) {
      case Tok::Num:
      case Tok::Str:
      case Tok::Logic:
        advance();
        return std::make_unique<Literal>(t.value);
      case Tok::Nil:
        advance();
        return std::make_unique<Literal>(Value());
      case Tok::Ident: return identifier();
      case Tok::Op: break;
      case Tok::End: throw SyntaxError{};
    }
    if (isOp("(")) {
      advance();
      std::vector<NodePtr> items;
      items.push_back(expression());
      while (isOp(",")) {
        advance();
        items.push_back(expression());
      }
      expect(")");
      NodePtr inner = items.size() == 1 ? std::move(items[0]) : std::make_unique<ListNode>(std::move(items));
      return aliasSuffix(std::move(inner));
    }
    if (isOp("{")) {
      advance();
      std::vector<NodePtr> items;
      if (isOp("}")) {
        advance();
        return std::make_unique<ArrayLit>(std::move(items));
      }
      for (;;) {
        items.push_back(isOp(",") || isOp("}") ? nullptr : expression());
        if (isOp(",")) {
          advance();
          continue;
        }
        expect("}");
        return std::make_unique<ArrayLit>(std::move(items));
      }
    }
    if (isOp("&")) {
      advance();
      if (isOp("(")) {
        advance();
        NodePtr inner = expression();
        expect(")");
        return std::make_unique<MacroNode>(std::move(inner));
      }
      if (tok_.kind != Tok::Ident) throw SyntaxError{};
      std::string name = tok_.text;
      advance();
      return std::make_unique<MacroNode>(std::make_unique<MemvarRef>(name));
    }
    throw SyntaxError{};
  }

  // (expr)->field is not supported; the parenthesis stands alone.
  NodePtr aliasSuffix(NodePtr inner) {
    if (isOp("->")) throw SyntaxError{};
    return inner;
  }

  NodePtr identifier() {
    std::string name = tok_.text;
    advance();
    if (isOp("(")) {
      advance();
      std::vector<NodePtr> args = argumentList();
      if (name == "IIF" || name == "IF") {
        if (args.size() < 2 || args.size() > 3) throw SyntaxError{};
        NodePtr b = args.size() == 3 ? std::move(args[2]) : nullptr;
        return std::make_unique<IIfNode>(std::move(args[0]), std::move(args[1]), std::move(b));
      }
      return std::make_unique<CallNode>(name, std::move(args));
    }
    if (isOp("->")) {
      advance();
      if (name == "M" || name == "MEMVAR") {
        if (tok_.kind != Tok::Ident) throw SyntaxError{};
        std::string var = tok_.text;
        advance();
        return std::make_unique<MemvarRef>(var);
      }
      if (isOp("(")) {
        advance();
        std::vector<NodePtr> items;
        items.push_back(expression());
        while (isOp(",")) {
          advance();
          items.push_back(expression());
        }
        expect(")");
        NodePtr inner = items.size() == 1 ? std::move(items[0]) : std::make_unique<ListNode>(std::move(items));
        return std::make_unique<AliasExpr>(name, std::move(inner));
      }
      if (tok_.kind != Tok::Ident) throw SyntaxError{};
      std::string field = tok_.text;
      advance();
      return std::make_unique<AliasField>(name, field);
    }
    return std::make_unique<NameRef>(name);
  }

  Lexer lex_;
  Token tok_;
  Tok prev_ = Tok::End;
  std::string prevText_ = "(";
  int depth_ = 0;
};

std::shared_ptr<const Expr> build(std::string_view text) {
  if (text.size() > kMaxExpressionLength) throw SyntaxError{};
  Parser p(text);
  return std::make_shared<const Expr>(std::string(text), p.parseAll());
}

Error syntaxError(std::string_view text) {
  Error e = Error::make(EG_SYNTAX, 1449, "&");
  e.args.push_back(Value::chr(std::string(text.substr(0, 256))));
  e.canSubstitute = true;
  return e;
}

}  // namespace

Expr::Expr(std::string text, std::unique_ptr<Node> root) : text_(std::move(text)), root_(std::move(root)) {}
Expr::~Expr() = default;

Value Expr::eval() const {
  for (;;) {
    try {
      return root_->eval();
    } catch (const RetryRequest&) {
      continue;
    }
  }
}

bool Expr::assignable() const { return root_->assignable(); }
void Expr::assign(Value v) const { root_->assign(std::move(v)); }

std::shared_ptr<const Expr> compileOrThrow(std::string_view text) {
  Runtime& r = rt();
  std::string key(text);
  if (auto hit = r.cached(key)) return hit;
  try {
    auto e = build(text);
    r.cache(key, e);
    return e;
  } catch (const SyntaxError&) {
    throw ErrorException(syntaxError(text));
  }
}

std::shared_ptr<const Expr> compile(std::string_view text) {
  Runtime& r = rt();
  std::string key(text);
  if (auto hit = r.cached(key)) return hit;
  try {
    auto e = build(text);
    r.cache(key, e);
    return e;
  } catch (const SyntaxError&) {
    r.raiseValue(syntaxError(text));
    return nullptr;
  }
}

Value evaluate(std::string_view text) {
  for (;;) {
    try {
      Runtime& r = rt();
      std::string key(text);
      auto hit = r.cached(key);
      if (!hit) {
        try {
          hit = build(text);
          r.cache(key, hit);
        } catch (const SyntaxError&) {
          return r.raiseValue(syntaxError(text));
        }
      }
      return hit->eval();
    } catch (const RetryRequest&) {
      continue;
    }
  }
}

}  // namespace xbase
