#include "platform/printer.h"

#include <cstdio>

#include "xbase/cp874.h"

namespace platform {

Paper Paper::byName(const std::string& name) {
  Paper p;
  std::string n = xbase::upper(name);
  if (n == "A4-LANDSCAPE" || n == "LANDSCAPE") {
    p.name = "A4-landscape";
    p.widthInches = 11.69;
    p.heightInches = 8.27;
    p.landscape = true;
  } else if (n == "LETTER") {
    p.name = "letter";
    p.widthInches = 8.5;
    p.heightInches = 11;
  } else if (n == "CONTINUOUS") {
    p.name = "continuous";
    p.widthInches = 15;
    p.heightInches = 11;
  }
  return p;
}

int Paper::printableWidth() const { return int((widthInches - 2 * marginInches) * dpi + 0.5); }
int Paper::printableHeight() const { return int((heightInches - 2 * marginInches) * dpi + 0.5); }

RecordingPrinter::RecordingPrinter(Paper paper) : paper_(std::move(paper)) {}

void RecordingPrinter::startJob(const std::string& documentName) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "job \"%s\" paper %s %dx%d at %d dpi\n", xbase::toUtf8(documentName).c_str(),
                paper_.name.c_str(), horizontalResolution(), verticalResolution(), paper_.dpi);
  dump_ += buf;
}

void RecordingPrinter::startPage() { dump_ += "page " + std::to_string(++pages_) + "\n"; }
void RecordingPrinter::endPage() { dump_ += "end page\n"; }

void RecordingPrinter::text(int x, int y, const std::string& s, const PrintFont& f, Align a) {
  char buf[160];
  const char* align = a == Align::Left ? "left" : a == Align::Right ? "right" : "center";
  std::snprintf(buf, sizeof buf, "  text %d,%d %s %g/%g%s %s ", x, y, f.face.c_str(), f.width, f.height,
                f.bold ? " bold" : "", align);
  dump_ += buf;
  dump_ += "\"" + xbase::toUtf8(s) + "\"\n";
}

void RecordingPrinter::line(int x1, int y1, int x2, int y2, const PrintPen& pen) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "  line %d,%d %d,%d pen %d\n", x1, y1, x2, y2, pen.width);
  dump_ += buf;
}

void RecordingPrinter::bitmap(int x, int y, int w, int h, const std::string& file) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "  bitmap %d,%d %dx%d ", x, y, w, h);
  dump_ += buf + xbase::toUtf8(file) + "\n";
}

void RecordingPrinter::endJob() {
  dump_ += "end job, " + std::to_string(pages_) + " pages\n";
  finished_ = true;
}

}  // namespace platform

namespace platform {

namespace {
PrintTarget* g_target = nullptr;
}  // namespace

class RecordingTarget::Device : public RecordingPrinter {
 public:
  Device(RecordingTarget& owner, std::string code, Paper paper)
      : RecordingPrinter(std::move(paper)), owner_(owner), code_(std::move(code)) {}
  void endJob() override {
    RecordingPrinter::endJob();
    owner_.jobs.emplace_back(code_, dump());
  }

 private:
  RecordingTarget& owner_;
  std::string code_;
};

std::unique_ptr<Printer> RecordingTarget::open(const std::string& reportCode) {
  return std::make_unique<Device>(*this, reportCode, paper_);
}

PrintTarget* printTarget() {
  static RecordingTarget fallback;
  return g_target ? g_target : &fallback;
}

void setPrintTarget(PrintTarget* t) { g_target = t; }

}  // namespace platform
