#include "app/eval_cli.h"

#include <fstream>
#include <iostream>

#include "app/fixture_env.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/error.h"
#include "xbase/expr.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace app {

using namespace xbase;

namespace {

std::string formatCase(const Value& v) {
  switch (v.type) {
    case Type::Char: return "C\t[" + toUtf8(v.s) + "]";
    case Type::Num: {
      std::string s = formatNumber(v);
      std::size_t b = s.find_first_not_of(' ');
      return "N\t[" + s + "] " + (b == std::string::npos ? s : s.substr(b));
    }
    case Type::Date: return std::string("D\t") + (v.date ? dateToSortable(v.date) : "(empty)");
    case Type::Logical: return std::string("L\t") + (v.b ? ".T." : ".F.");
    case Type::Array: return "A\tlen " + std::to_string(v.a->size());
    case Type::Nil: break;
  }
  return "U\tNIL";
}

std::string evalCase(std::string_view utf8) {
  try {
    Value v = evaluate(fromUtf8(utf8));
    return formatCase(v);
  } catch (const ErrorException& e) {
    const Error& err = e.error();
    return "E\t" + std::to_string(err.genCode) + " " + std::to_string(err.subCode) + " " + err.description;
  }
}

}  // namespace

std::string describeResult(std::string_view utf8Expression) { return evalCase(utf8Expression); }

int runEval(std::string_view utf8Expression, std::ostream& out) {
  Runtime r;
  RuntimeScope scope(r);
  ReferenceEnvironment env(r);
  try {
    Value v = evaluate(fromUtf8(utf8Expression));
    switch (v.type) {
      case Type::Char: out << toUtf8(v.s) << "\n"; break;
      case Type::Num: out << formatNumber(v) << "\n"; break;
      case Type::Date: out << dateToText(v.date, r.set.dates) << "\n"; break;
      case Type::Logical: out << (v.b ? ".T." : ".F.") << "\n"; break;
      case Type::Array: out << "{array of " << v.a->size() << "}\n"; break;
      case Type::Nil: out << "NIL\n"; break;
    }
    return 0;
  } catch (const ErrorException& e) {
    const Error& err = e.error();
    out << "Error " << err.subsystem << "/" << err.subCode << "  " << err.description;
    if (!err.operation.empty()) out << ": " << toUtf8(err.operation);
    out << "\n";
    return 1;
  }
}

int runEvalCases(const std::string& path, std::ostream& out, std::ostream& err) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << "cannot read " << path << "\n";
    return 1;
  }
  Runtime r;
  RuntimeScope scope(r);
  ReferenceEnvironment env(r);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    // A line of the reference file itself: only its first column is the expression.
    std::string expr = line.substr(0, line.find('\t'));
    out << expr << "\t" << evalCase(expr) << "\n";
  }
  return 0;
}

}  // namespace app
