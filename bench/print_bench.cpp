// 100,000 detail records through a 20-line template, into the recording
// device and into PDF.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>

#include <filesystem>
#include <fstream>

#include "engine/page_frame.h"
#include "platform/ui.h"
#include "qt/pdf_target.h"
#include "rdd/area.h"
#include "templates/template.h"
#include "xbase/cp874.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

constexpr int kRecords = 100000;

struct Setup {
  fs::path dir = fs::temp_directory_path() / "vek_print_bench";
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;

  Setup() {
    fs::create_directories(dir / "m");
    fs::create_directories(dir / "w");
    fs::create_directories(dir / "out");
    r.areas = &areas;
    platform::setUi(&ui);
    templates::registerTemplateFunctions(r);
    auto pub = [&](const char* n, Value v) { r.memvars.declarePublic(n) = std::move(v); };
    pub("CDRV1", Value::chr((dir / "m").string() + "/"));
    pub("CDRV4", Value::chr((dir / "w").string() + "/"));
    pub("CUSER", Value::chr("BENCH"));
    pub("CREPCODE", Value::chr("BENCH1"));
    pub("CREPNAME", Value::chr("รายงานทดสอบความเร็ว"_th));
    pub("CHLINE", Value::chr("บริษัท ทดสอบ จำกัด"_th));
    for (int i = 1; i <= 6; ++i) {
      std::string k = std::to_string(i);
      pub(("CFONT" + k).c_str(), Value::chr("EucrosiaUPC"));
      pub(("CWIDTH" + k).c_str(), Value::chr("0"));
      pub(("CHEIGHT" + k).c_str(), Value::chr("-10"));
    }
    pub("CPRNFAC", Value::num(2, 0));
    for (const char* p : {"CPEN1", "CPEN2", "CPEN3"}) pub(p, Value::chr("1"));
    pub("CLINEINCH", Value::chr("6"));
    pub("CREPFOOT", Value::chr("4"));
    pub("NFONTRATIO", Value::num(1, 0));
    std::string table = (dir / "w" / "D_BENCH.dbf").string();
    rdd::Area* t = areas.create(table, {{"GRP", 'C', 4, 0}, {"CODE", 'C', 10, 0}, {"NAME", 'C', 40, 0},
                                        {"QTY", 'N', 12, 2}, {"AMT", 'N', 14, 2}},
                                "RepData");
    for (int i = 0; i < kRecords; ++i) {
      t->append();
      t->putField(0, Value::chr("G" + std::to_string(i / 5000)));
      t->putField(1, Value::chr("P" + std::to_string(100000 + i)));
      t->putField(2, Value::chr(std::string("สินค้าทดสอบ รายการที่ "_th) + std::to_string(i)));
      t->putField(3, Value::num(i % 97 + 0.5, 2));
      t->putField(4, Value::num((i % 97 + 0.5) * 12.25, 2));
    }
    // Twenty lines: head, group head and sum, details with sums, foot, total.
    std::ofstream(dir / "m" / "BENCH1.txt", std::ios::binary) << fromUtf8(
        "I,GROUP RepData->GRP\n"
        "H LF SAYC2 00400 CHLINE\n"
        "H LF SAYC1 00400 CREPNAME\n"
        "H NF SAYL1 00750 \"หน้า \"+ALLTRIM(STR(NPAGE))\n"
        "H LH LINE1 00050 00775\n"
        "G LF SAYR2 00050 \"กลุ่ม \"+RepData->GRP\n"
        "D LF SAYR1 00050 RepData->CODE\n"
        "D NF SAYR1 00150 RepData->NAME\n"
        "D NF SAYL1 00550 TRANSFORM(RepData->QTY,\"999,999.99\")\n"
        "D NF SAYL1 00750 TRANSFORM(RepData->AMT,\"999,999,999.99\")\n"
        "D SM       00100 RepData->QTY\n"
        "D SM       00200 RepData->AMT\n"
        "S LF SAYR2 00150 \"รวมกลุ่ม\"\n"
        "S NF SAYL2 00750 TRANSFORM(CSUM[2],\"999,999,999.99\")\n"
        "F LH LINE1 00050 00775\n"
        "F LF SAYC1 00400 \"ต่อหน้าถัดไป\"\n"
        "T LH LINE2 00050 00775\n"
        "T LF SAYR2 00150 \"รวมทั้งสิ้น\"\n"
        "T NF SAYL2 00550 TRANSFORM(CTOT[1],\"999,999,999.99\")\n"
        "T NF SAYL2 00750 TRANSFORM(CTOT[2],\"999,999,999.99\")\n");
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

void BM_PrintToRecordingDevice(benchmark::State& state) {
  Setup& s = setup();
  platform::RecordingTarget target;
  platform::setPrintTarget(&target);
  for (auto _ : state) {
    target.jobs.clear();
    s.areas.area("RepData")->goTop();
    engine::REPSTART();
  }
  platform::setPrintTarget(nullptr);
  state.counters["pages"] = double(std::count(target.jobs.at(0).second.begin(), target.jobs.at(0).second.end(), '\n'));
}
BENCHMARK(BM_PrintToRecordingDevice)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintToPdf(benchmark::State& state) {
  Setup& s = setup();
  qt::PdfTarget target((s.dir / "out").string(), platform::Paper(), qt::FontMap::defaults(), false, false);
  platform::setPrintTarget(&target);
  for (auto _ : state) {
    s.areas.area("RepData")->goTop();
    engine::REPSTART();
  }
  platform::setPrintTarget(nullptr);
  state.counters["pdf_bytes"] = double(fs::file_size(s.dir / "out" / "BENCH1.pdf"));
}
BENCHMARK(BM_PrintToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  fs::remove_all(setup().dir);
  return 0;
}
