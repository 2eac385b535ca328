// Tables of the IV__ layout with 1,000,000 records: append, index build,
// a filtered scan in index order, soft seeks, and one compiled template
// expression evaluated per record in index order.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "rdd/area.h"
#include "xbase/dates.h"
#include "xbase/expr.h"
#include "xbase/runtime.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

constexpr long kRecords = 1000000;
const char* kKey = "code+unit+whouse+dtos(doc_date)+stat+doc_no+indent";

std::vector<rdd::FieldDef> ivLayout() {
  return {{"CODE", 'C', 20, 0}, {"UNIT", 'C', 4, 0}, {"WHOUSE", 'C', 4, 0}, {"DOC_NO", 'C', 15, 0},
          {"DOC_DATE", 'D', 8, 0}, {"STAT", 'C', 3, 0}, {"QTY", 'N', 15, 5}, {"COST", 'N', 15, 5},
          {"INDENT", 'C', 6, 0}};
}

std::string dir() {
  static std::string d = (fs::temp_directory_path() / "vek_bench_data").string();
  fs::create_directories(d);
  return d;
}

// Writes the table once through the raw record interface (fast), with believable values.
void makeTable(const std::string& path, long n) {
  auto t = rdd::DbfTable::create(path, ivLayout());
  std::mt19937 rng(42);
  std::vector<char> rec(std::size_t(t->recordLength()));
  const char* stats[] = {"REC", "CAN", "BEG", "ISS"};
  std::int32_t base = encodeDate(2008, 1, 1);
  for (long i = 1; i <= n; ++i) {
    long r = t->appendBlank();
    t->blankRecord(rec.data());
    char code[24];
    std::snprintf(code, sizeof code, "P%05u", unsigned(rng() % 20000));
    t->putValue(rec.data(), 0, Value::chr(code));
    t->putValue(rec.data(), 1, Value::chr(rng() % 2 ? "PCS" : "BOX"));
    t->putValue(rec.data(), 2, Value::chr("A" + std::to_string(rng() % 4)));
    t->putValue(rec.data(), 3, Value::chr("D" + std::to_string(10000000 + i)));
    t->putValue(rec.data(), 4, Value::dateValue(base + std::int32_t(rng() % 90)));
    t->putValue(rec.data(), 5, Value::chr(stats[rng() % 4]));
    t->putValue(rec.data(), 6, Value::num(double(rng() % 100000) / 100.0, 5));
    t->writeRecord(r, rec.data());
  }
}

struct Fixture {
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  std::string table = dir() + "/iv_big.dbf";
  std::string index = dir() + "/iv_big.ntx";
  Fixture() {
    r.areas = &areas;
    if (!fs::exists(table)) makeTable(table, kRecords);
    if (!fs::exists(index)) {
      rdd::Area* a = areas.use(table, "pro_tran", rdd::OpenMode::Exclusive);
      a->createOrder(index, kKey);
      areas.closeAll();
    }
  }
  rdd::Area* open(rdd::OpenMode mode = rdd::OpenMode::Shared) {
    areas.closeAll();
    rdd::Area* a = areas.use(table, "pro_tran", mode);
    a->addOrder(index);
    return a;
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_TemplateExpressionPerRecord(benchmark::State& state) {
  Fixture& f = fixture();
  rdd::Area* a = f.open();
  auto e = compile("TRANSFORM(pro_tran->QTY,\"999,999,999.99\")+pro_tran->CODE");
  for (auto _ : state) {
    long n = 0;
    for (a->goTop(); !a->eof(); a->skip(1)) {
      benchmark::DoNotOptimize(e->eval());
      ++n;
    }
    state.counters["records"] = double(n);
  }
}
BENCHMARK(BM_TemplateExpressionPerRecord)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScanInIndexOrderWithFilter(benchmark::State& state) {
  Fixture& f = fixture();
  rdd::Area* a = f.open();
  auto e = compile("WHOUSE = 'A1' .AND. DOC_DATE >= CTOD('01/02/2008')");
  for (auto _ : state) {
    long hits = 0;
    for (a->goTop(); !a->eof(); a->skip(1))
      if (e->eval().b) ++hits;
    state.counters["hits"] = double(hits);
  }
}
BENCHMARK(BM_ScanInIndexOrderWithFilter)->Unit(benchmark::kMillisecond)->Iterations(1);

// Shared, as the suite's tables are opened: each seek takes and gives back
// the index's read lock, so that another station never changes a page
// under it. Exclusive: no other station, no lock.
void BM_SoftSeeks20000(benchmark::State& state) {
  Fixture& f = fixture();
  rdd::Area* a = f.open(state.range(0) ? rdd::OpenMode::Exclusive : rdd::OpenMode::Shared);
  std::mt19937 rng(1);
  for (auto _ : state) {
    for (int i = 0; i < 20000; ++i) {
      char code[24];
      std::snprintf(code, sizeof code, "P%05u", unsigned(rng() % 20000));
      a->seek(Value::chr(code), true);
    }
  }
}
BENCHMARK(BM_SoftSeeks20000)->ArgName("exclusive")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_IndexBuild(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    f.areas.closeAll();
    rdd::Area* a = f.areas.use(f.table, "pro_tran", rdd::OpenMode::Exclusive);
    a->createOrder(dir() + "/iv_build.ntx", kKey);
  }
  f.areas.closeAll();
}
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Append(benchmark::State& state) {
  for (auto _ : state) {
    std::string p = dir() + "/iv_append.dbf";
    fs::remove(p);
    makeTable(p, kRecords);
  }
}
BENCHMARK(BM_Append)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
