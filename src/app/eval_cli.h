// The command-line evaluator: one expression, or a file of cases written in
// the reference format (expression TAB type TAB value).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "xbase/value.h"

namespace app {

// The "type TAB value" part of a case line for an expression (UTF-8 in and out).
std::string describeResult(std::string_view utf8Expression);

// Evaluates one expression and prints its value as text (UTF-8).
int runEval(std::string_view utf8Expression, std::ostream& out);

// Reads expressions one per line (blank lines and // comments skipped) and
// prints one case line for each.
int runEvalCases(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace app
