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

// The recording device, its pages counted and let go as each one ends: the
// memory measured is the program's, not that of a half-gigabyte dump.
class CountingTarget : public platform::PrintTarget {
 public:
  std::unique_ptr<platform::Printer> open(const std::string&) override { return std::make_unique<Device>(*this); }
  std::size_t bytes = 0;
  int pages = 0;
  bool finished = false;

 private:
  class Device : public platform::RecordingPrinter {
   public:
    explicit Device(CountingTarget& t) : t_(t) {}
    void endPage() override {
      RecordingPrinter::endPage();
      t_.bytes += takeDump().size();
      ++t_.pages;
    }
    void endJob() override {
      RecordingPrinter::endJob();
      t_.bytes += takeDump().size();
      t_.finished = true;
    }

   private:
    CountingTarget& t_;
  };
};

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
  std::size_t bytes = 0;
  int pages = 0;
  for (auto _ : state) {
    CountingTarget target;
    platform::setPrintTarget(&target);
    std::ostringstream err;
    int status = app::runProgram({"VEK_WIN.INI", "SHIFT", "01", "RepList", "--script", "scripts/IVACC1_5.txt",
                                  "--today", "11/12/2026"},
                                 err);
    platform::setPrintTarget(nullptr);
    if (status != 0 || !target.finished) {
      state.SkipWithError(("the report did not print: " + err.str()).c_str());
      break;
    }
    bytes = target.bytes;
    pages = target.pages;
  }
  rdd::clearDriveMappings();
  fs::current_path(cwd);
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  state.counters["peak_MB"] = double(use.ru_maxrss) / 1024.0;
  state.counters["dump_MB"] = double(bytes) / 1e6;
  state.counters["pages"] = pages;
}
BENCHMARK(BM_StockMovementReport)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
