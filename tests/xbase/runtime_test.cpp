// The runtime beyond single expressions: variable scope, the error hook,
// compile limits and caching, assignment and code-page text.
#include <gtest/gtest.h>

#include <string>

#include "app/memory_table.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/expr.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

using namespace xbase;

namespace {

class RuntimeTest : public ::testing::Test {
 protected:
  Runtime r;
  RuntimeScope scope{r};
};

TEST(Cp874, EveryCodePointOfThePageRoundTrips) {
  int defined = 0;
  for (int b = 0; b < 256; ++b) {
    char32_t cp = cp874ToUnicode(static_cast<unsigned char>(b));
    if (cp == 0xFFFD) continue;
    ++defined;
    std::string one(1, char(b));
    EXPECT_EQ(fromUtf8(toUtf8(one)), one) << "byte " << b;
  }
  EXPECT_EQ(defined, 128 + 97);  // ASCII plus the 97 characters of the Thai half
  EXPECT_EQ(toUtf8(std::string(1, char(0xDB))), "\xEF\xBF\xBD");  // undefined byte
  EXPECT_EQ(fromUtf8("\xE4\xB8\xAD"), "?");                      // a character the page lacks
  EXPECT_EQ(fromUtf8("\xE0\xB8"), "??");                         // cut-off sequence: each byte
}

TEST(Cp874, LiteralsAreConvertedAtCompileTime) {
  constexpr std::string_view t = "ก๙"_th;
  static_assert(t.size() == 2);
  EXPECT_EQ(t, std::string("\xA1\xF9"));
  EXPECT_EQ(std::string("บริษัท ทดสอบ"_th), fromUtf8("บริษัท ทดสอบ"));
  EXPECT_EQ(upper("abcก"_th), std::string("ABC") + "ก"_th.data());
}

TEST_F(RuntimeTest, PrivatesCoverOuterVariablesUntilTheRoutineReturns) {
  declarePublic("NLINE", Value::integer(1));
  EXPECT_EQ(evaluate("NLINE").n, 1);
  {
    XB_ROUTINE("OUTER");
    declarePrivate("NLINE", Value::integer(2));
    EXPECT_EQ(evaluate("NLINE").n, 2);
    {
      XB_ROUTINE("INNER");
      EXPECT_EQ(evaluate("NLINE").n, 2);  // dynamic scope: the caller's private is visible
      evaluate("NLINE := 3");              // assigns the visible one
      declarePrivate("CTEMP", Value::chr("x"));
      EXPECT_EQ(evaluate("CTEMP").s, "x");
    }
    EXPECT_EQ(evaluate("NLINE").n, 3);
    EXPECT_THROW(evaluate("CTEMP"), ErrorException);  // gone with INNER
  }
  EXPECT_EQ(evaluate("NLINE").n, 1);
  EXPECT_TRUE(r.frames.empty());
}

TEST_F(RuntimeTest, AssigningAnUndeclaredNameMakesAPrivateOfTheRoutine) {
  {
    XB_ROUTINE("REP");
    evaluate("NNEW := 5");
    EXPECT_EQ(evaluate("NNEW").n, 5);
  }
  EXPECT_THROW(evaluate("NNEW"), ErrorException);
}

TEST_F(RuntimeTest, ReleaseAndArraysSharedByReference) {
  declarePublic("CSUM", Value::array(3));
  evaluate("CSUM[2] := 7");
  Value copy = evaluate("CSUM");
  (*copy.a)[0] = Value::integer(9);  // same array, not a copy
  EXPECT_EQ(evaluate("CSUM[1] + CSUM[2]").n, 16);
  EXPECT_EQ(evaluate("CSUM[2] += 1").n, 8);
  r.memvars.release("CSUM");
  EXPECT_TRUE(evaluate("CSUM").isNil());  // a released public stays, as NIL
}

TEST_F(RuntimeTest, BareNamesAreFieldsOfTheCurrentAreaFirst) {
  app::MemoryAreas areas;
  auto& t = areas.open(1, "Detail", {{"NLINE", 'N', 5, 0}, {"CODE", 'C', 4, 0}});
  t.append({Value::integer(77), Value::chr("A")});
  r.areas = &areas;
  declarePublic("NLINE", Value::integer(1));
  EXPECT_EQ(evaluate("NLINE").n, 77);
  EXPECT_EQ(evaluate("M->NLINE").n, 1);
  evaluate("CODE := 'XYZ'");
  EXPECT_EQ(evaluate("detail->code").s, "XYZ ");
  evaluate("FIELD->NLINE := 12");
  EXPECT_EQ(evaluate("NLINE").n, 12);
  areas.select(2);  // an empty area: the variable shows through
  EXPECT_EQ(evaluate("NLINE").n, 1);
  EXPECT_EQ(evaluate("Detail->(NLINE)").n, 12);
  EXPECT_EQ(areas.currentNumber(), 2);  // alias->(expr) restores the selection
  r.areas = nullptr;
}

TEST_F(RuntimeTest, HandlerSettlesErrorsAndSeesTheirFields) {
  Error seen;
  r.handler = [&](Error& e) {
    seen = e;
    ErrorOutcome o;
    o.kind = ErrorOutcome::Substitute;
    o.value = Value::integer(0);
    return o;
  };
  Value v = evaluate("10 / (5 - 5) + 1");
  EXPECT_EQ(v.n, 1);  // the division yields 0 and the program goes on
  EXPECT_EQ(seen.genCode, EG_ZERODIV);
  EXPECT_EQ(seen.subCode, 1340);
  EXPECT_EQ(seen.subsystem, "BASE");
  EXPECT_EQ(seen.operation, "/");
  ASSERT_EQ(seen.args.size(), 2u);
  EXPECT_TRUE(seen.canSubstitute);

  evaluate("SUBSTR(1, 2)");
  EXPECT_EQ(seen.subCode, 1110);
  EXPECT_EQ(seen.operation, "SUBSTR");
  evaluate("NOPE->CODE");
  EXPECT_EQ(seen.genCode, EG_NOALIAS);
  EXPECT_EQ(seen.operation, "NOPE");
}

TEST_F(RuntimeTest, RetryEvaluatesTheExpressionAgain) {
  declarePublic("NDIV", Value::integer(0));
  int calls = 0;
  r.handler = [&](Error&) {
    ++calls;
    evaluate("NDIV := 4");  // the cause is mended, then Retry
    return ErrorOutcome{ErrorOutcome::Retry, Value()};
  };
  EXPECT_EQ(evaluate("8 / NDIV").n, 2);
  EXPECT_EQ(calls, 1);
}

TEST_F(RuntimeTest, SyntaxErrorsForMalformedAndAbsurdInput) {
  const std::string cases[] = {
      "(1",         "1 +",        "SUBSTR(\"A\",", "\"unterminated", "A->",  "1 2",
      ".XOR.",      "CSUM[1",     "&",             "{1,2",           ":= 3", "1E10",
      std::string(100000, '('), std::string(kMaxExpressionLength + 1, '1'),
      std::string(5000, '-') + "1",
  };
  for (const std::string& c : cases) {
    try {
      evaluate(c);
      ADD_FAILURE() << "no error for: " << c.substr(0, 40);
    } catch (const ErrorException& e) {
      EXPECT_EQ(e.error().genCode, EG_SYNTAX) << c.substr(0, 40);
      EXPECT_EQ(e.error().subCode, 1449);
    }
  }
  // Deep but reasonable nesting still compiles.
  EXPECT_EQ(evaluate(std::string(100, '(') + "1" + std::string(100, ')')).n, 1);
}

TEST_F(RuntimeTest, CompiledOnceAndCachedByText) {
  auto a = compile("1 + 2");
  auto b = compile("1 + 2");
  EXPECT_EQ(a.get(), b.get());
  EXPECT_NE(a.get(), compile("1+2").get());
}

TEST_F(RuntimeTest, MacroOperatorAndProgramFunctions) {
  declarePublic("CEXPR", Value::chr("NPAGE * 2"));
  declarePublic("NPAGE", Value::integer(21));
  EXPECT_EQ(evaluate("&CEXPR").n, 42);
  EXPECT_EQ(evaluate("&(\"NP\" + \"AGE\")").n, 21);
  r.registerFunction("twice", [](Args a) { return Value::num(a[0].n * 2, a[0].dec); });
  EXPECT_EQ(evaluate("TWICE(NPAGE)").n, 42);
  EXPECT_EQ(evaluate("TYPE('TWICE(1)')").s, "N");
  EXPECT_EQ(evaluate("TYPE('NOSUCH(1)')").s, "UI");
  EXPECT_EQ(evaluate("IIF(.T., 1, NOSUCH())").n, 1);  // the other branch is not evaluated
  EXPECT_EQ(evaluate("{1, 'a', {2}}[3][1]").n, 2);
}

TEST(Numbers, RoundingTreatsDecimalHalvesAsHalves) {
  struct {
    double v;
    int dec;
    double want;
  } cases[] = {{1.005, 2, 1.01}, {2.675, 2, 2.68}, {-2.5, 0, -3}, {0.285, 2, 0.29}, {1234.5678, -2, 1200},
               {0.4999999, 0, 0}, {-0.125, 2, -0.13}, {1e15 + 0.5, 0, 1e15 + 1}};
  for (auto& c : cases) EXPECT_DOUBLE_EQ(roundDec(c.v, c.dec), c.want) << c.v << " at " << c.dec;
}

TEST(Numbers, TransformPictures) {
  DateSettings ds;
  EXPECT_EQ(transform(Value::num(1234567, 0), "9,999,999", ds), "1,234,567");
  EXPECT_EQ(transform(Value::num(1234.5, 2), "@E 9,999.99", ds), "1.234,50");
  EXPECT_EQ(transform(Value::num(-5, 0), "@B 9999", ds), "-5  ");
  EXPECT_EQ(transform(Value::num(7, 0), "9,999", ds), "    7");
  EXPECT_EQ(transform(Value::num(-1234.5, 2), "@( 99,999.99", ds), "(1,234.50)");
  EXPECT_EQ(transform(Value::chr("ab"), "@R 9-9-9", ds), "a-b");
  // The sign stands right before the first digit, also when the digits end at a comma.
  EXPECT_EQ(transform(Value::num(-300000, 2), "999,999,999.99", ds), "   -300,000.00");
  EXPECT_EQ(transform(Value::num(-300, 2), "999,999.99", ds), "   -300.00");
}

TEST(Dates, CalendarRoundTripsAndWeekdays) {
  for (int y : {1, 1600, 1899, 1900, 1970, 2000, 2024, 2100, 9999})
    for (int m = 1; m <= 12; ++m)
      for (int d : {1, 28, daysInMonth(y, m)}) {
        DateParts p = decodeDate(encodeDate(y, m, d));
        ASSERT_EQ(p.year * 10000 + p.month * 100 + p.day, y * 10000 + m * 100 + d);
      }
  EXPECT_EQ(encodeDate(2007, 2, 29), 0);
  EXPECT_EQ(dayOfWeek(encodeDate(2026, 12, 11)), 6);  // a Friday
  DateSettings ds;
  EXPECT_EQ(dateToText(textToDate("5/1/26", ds), ds), "05/01/2026");
  EXPECT_EQ(dateToText(textToDate("31/12/1970", ds), ds), "31/12/1970");
  EXPECT_EQ(textToDate("xx", ds), 0);
}

}  // namespace
