// Every case of the reference expression file, evaluated in the environment
// its README describes, must give the same type and value.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/eval_cli.h"
#include "app/fixture_env.h"
#include "xbase/runtime.h"

namespace {

struct Case {
  std::string expr, expected;
  int line;
};

std::vector<Case> readCases() {
  std::ifstream in(std::string(VEK_FIXTURES) + "/xbase/expressions.tsv", std::ios::binary);
  std::vector<Case> cases;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    cases.push_back({line.substr(0, tab), line.substr(tab + 1), n});
  }
  return cases;
}

TEST(ExpressionFixture, EveryCaseAgrees) {
  auto cases = readCases();
  ASSERT_GT(cases.size(), 400u);
  xbase::Runtime r;
  xbase::RuntimeScope scope(r);
  app::ReferenceEnvironment env(r);
  int failed = 0;
  for (const Case& c : cases) {
    std::string got = app::describeResult(c.expr);
    if (got != c.expected) {
      ++failed;
      ADD_FAILURE() << "line " << c.line << ": " << c.expr << "\n  expected: " << c.expected << "\n  got:      " << got;
    }
  }
  EXPECT_EQ(failed, 0);
}

}  // namespace
