// The evaluator alone: compiled expressions over constants and variables.
#include <benchmark/benchmark.h>

#include "xbase/expr.h"
#include "xbase/runtime.h"

using namespace xbase;

static void BM_EvalConstants(benchmark::State& state) {
  Runtime r;
  RuntimeScope scope(r);
  auto e = compile("TRANSFORM(1234567.891,\"999,999,999.99\")+\"P-001\"");
  for (auto _ : state) benchmark::DoNotOptimize(e->eval());
}
BENCHMARK(BM_EvalConstants);

static void BM_EvalVariables(benchmark::State& state) {
  Runtime r;
  RuntimeScope scope(r);
  declarePublic("NLINE", Value::integer(5));
  declarePublic("NLSPACE", Value::integer(100));
  auto e = compile("IIF(NLINE > 3, (NLINE + 0.7) * NLSPACE, 0)");
  for (auto _ : state) benchmark::DoNotOptimize(e->eval());
}
BENCHMARK(BM_EvalVariables);

static void BM_CompileEveryTime(benchmark::State& state) {
  Runtime r;
  RuntimeScope scope(r);
  for (auto _ : state) {
    auto e = compile("TRANSFORM(1234567.891,\"999,999,999.99\")+\"P-001\"");
    benchmark::DoNotOptimize(e->eval());
  }
}
BENCHMARK(BM_CompileEveryTime);
