// The state of one running program: SET values, memory variables, the frames
// of its routines, the function library, the work areas, the error hook and
// the clock. Expressions and library functions reach it through rt().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xbase/dates.h"
#include "xbase/error.h"
#include "xbase/memvars.h"
#include "xbase/value.h"
#include "xbase/workarea.h"

namespace xbase {

struct Settings {
  bool exact = false;
  bool softseek = false;
  bool deleted = false;
  int decimals = 2;
  DateSettings dates;
};

using Args = std::span<Value>;
using NativeFunction = std::function<Value(Args)>;

class Expr;

// Thrown when a handler chose Retry for an error inside an expression: the
// expression is evaluated again.
struct RetryRequest {};

class Runtime {
 public:
  Runtime();
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  Settings set;
  Memvars memvars;
  std::vector<Frame> frames;
  WorkAreaSet* areas = nullptr;
  ErrorHandler handler;
  // Today's date (Julian) and the time of day as "hh:mm:ss"; the platform sets them.
  std::function<std::int32_t()> today;
  std::function<std::string()> timeOfDay;

  // Function library. Names are upper case; the program adds its own.
  void registerFunction(std::string_view name, NativeFunction fn);
  const NativeFunction* function(std::string_view upperName) const;
  std::vector<std::string> functionNames() const;

  // Errors: the handler decides; without one the error is thrown.
  ErrorOutcome raise(Error& e);
  // For errors inside an expression: Substitute and Default give the value
  // to continue with; Retry evaluates the expression again.
  Value raiseValue(Error e);

  int depth() const { return int(frames.size()); }

  // Compiled expressions, cached by their text.
  std::shared_ptr<const Expr> cached(const std::string& text) const;
  void cache(const std::string& text, std::shared_ptr<const Expr> e);

 private:
  std::unordered_map<std::string, NativeFunction> functions_;
  mutable std::unordered_map<std::string, std::shared_ptr<const Expr>> exprCache_;
};

// The current runtime (one per process; tests make their own).
Runtime& rt();
void setCurrentRuntime(Runtime* r);

// Makes a runtime current for its lifetime.
class RuntimeScope {
 public:
  explicit RuntimeScope(Runtime& r);
  ~RuntimeScope();

 private:
  Runtime* previous_;
};

// A routine of the program runs inside a frame: its privates vanish when it returns.
class FrameGuard {
 public:
  FrameGuard(std::string routine, std::string file, int line,
             std::vector<std::pair<std::string, Value>> params = {});
  ~FrameGuard();
  FrameGuard(const FrameGuard&) = delete;
  FrameGuard& operator=(const FrameGuard&) = delete;
  Frame& frame();
  void setLine(int line);

 private:
  int depth_;
};

#define XB_ROUTINE(name, ...) ::xbase::FrameGuard xbFrame_(name, __FILE__, __LINE__ __VA_OPT__(, ) __VA_ARGS__)
#define XB_LINE() xbFrame_.setLine(__LINE__)

// Declares PRIVATE variables in the innermost frame.
Value& declarePrivate(std::string_view name, Value init = Value());
Value& declarePublic(std::string_view name, Value init = Value::logical(false));

// Registers the standard functions of the library (done by Runtime's constructor).
void registerStandardFunctions(Runtime& r);

}  // namespace xbase
