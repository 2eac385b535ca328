// The stock movement report over the demo data set with many movements per
// month, end to end (report list, conditions, work table, pages) into the
// recording device, with the demo's own run script (conditions from the
// first month on). VEK_BENCH_MONTHS and VEK_BENCH_SCALE size the data
// (default 12 months of 100,000 movements); the peak memory of the process
// is reported as a counter.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/demo.h"
#include "app/program.h"
#include "platform/printer.h"
#include "rdd/paths.h"
#include "xbase/dates.h"

namespace fs = std::filesystem;

namespace {

int envInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

void BM_StockMovementReport(benchmark::State& state) {
  app::DemoSize size{envInt("VEK_BENCH_MONTHS", 12), envInt("VEK_BENCH_SCALE", 100000)};
  fs::path dir = fs::temp_directory_path() / ("vek_report_bench_" + std::to_string(size.months) + "x" +
                                              std::to_string(size.scale));
  std::ostringstream log;
  if (!fs::exists(dir / "DataSet.dbf")) {
    fs::remove_all(dir);
    app::makeDemo(dir.string(), xbase::encodeDate(2026, 12, 11), log, size);
  }
  fs::path cwd = fs::current_path();
  fs::current_path(dir);
  rdd::setDriveMapping('V', dir.string());
  std::size_t pages = 0;
  for (auto _ : state) {
    platform::RecordingTarget target;
    platform::setPrintTarget(&target);
    std::ostringstream err;
    int status = app::runProgram({"VEK_WIN.INI", "SHIFT", "01", "RepList", "--script", "scripts/IVACC1_5.txt",
                                  "--today", "11/12/2026"},
                                 err);
    platform::setPrintTarget(nullptr);
    if (status != 0 || target.jobs.empty()) {
      state.SkipWithError(("the report did not print: " + err.str()).c_str());
      break;
    }
    pages = target.jobs[0].second.size();
  }
  rdd::clearDriveMappings();
  fs::current_path(cwd);
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  state.counters["peak_MB"] = double(use.ru_maxrss) / 1024.0;
  state.counters["dump_MB"] = double(pages) / 1e6;
}
BENCHMARK(BM_StockMovementReport)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
