// Run-time error objects and the hook that an error handler plugs into.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "xbase/value.h"

namespace xbase {

// Generic error codes of the runtime.
enum GenCode : int {
  EG_ARG = 1,
  EG_BOUND = 2,
  EG_STROVERFLOW = 3,
  EG_NUMOVERFLOW = 4,
  EG_ZERODIV = 5,
  EG_NUMERR = 6,
  EG_SYNTAX = 7,
  EG_COMPLEXITY = 8,
  EG_MEM = 11,
  EG_NOFUNC = 12,
  EG_NOMETHOD = 13,
  EG_NOVAR = 14,
  EG_NOALIAS = 15,
  EG_NOVARMETHOD = 16,
  EG_BADALIAS = 17,
  EG_DUPALIAS = 18,
  EG_CREATE = 20,
  EG_OPEN = 21,
  EG_CLOSE = 22,
  EG_READ = 23,
  EG_WRITE = 24,
  EG_PRINT = 25,
  EG_UNSUPPORTED = 30,
  EG_LIMIT = 31,
  EG_CORRUPTION = 32,
  EG_DATATYPE = 33,
  EG_DATAWIDTH = 34,
  EG_NOTABLE = 35,
  EG_NOORDER = 36,
  EG_SHARED = 37,
  EG_UNLOCKED = 38,
  EG_READONLY = 39,
  EG_APPENDLOCK = 40,
  EG_LOCK = 41,
};

enum Severity : int { ES_WHOCARES = 0, ES_WARNING = 1, ES_ERROR = 2, ES_CATASTROPHIC = 3 };

// The standard description of a generic code ("Argument error", ...).
const char* genCodeDescription(int genCode);

struct Error {
  int severity = ES_ERROR;
  int genCode = 0;
  std::string subsystem = "BASE";
  int subCode = 0;
  std::string description;
  std::string operation;
  std::string fileName;
  int osCode = 0;
  bool canRetry = false;
  bool canDefault = false;
  bool canSubstitute = false;
  int tries = 0;
  std::vector<Value> args;

  static Error make(int genCode, int subCode, std::string operation = {}, std::vector<Value> args = {});
};

// What a handler decided.
struct ErrorOutcome {
  enum Kind { Retry, Default, Substitute } kind = Default;
  Value value;  // the result for Substitute
};

using ErrorHandler = std::function<ErrorOutcome(Error&)>;

// Raised when no handler settles an error: it unwinds to whoever ran the
// expression or routine.
class ErrorException : public std::exception {
 public:
  explicit ErrorException(Error e) : error_(std::move(e)) {}
  const Error& error() const { return error_; }
  const char* what() const noexcept override { return error_.description.c_str(); }

 private:
  Error error_;
};

// Ends the program from inside a handler (Quit in the error dialog).
class ProgramExit : public std::exception {
 public:
  explicit ProgramExit(int code) : code_(code) {}
  int code() const { return code_; }
  const char* what() const noexcept override { return "program exit"; }

 private:
  int code_;
};

}  // namespace xbase
