#include "platform/printer.h"

#include <charconv>
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

namespace {

// The dump's numbers, written without printf: reports print millions of them.
void appendInt(std::string& out, int v) {
  char b[16];
  out.append(b, std::to_chars(b, b + sizeof b, v).ptr);
}

void appendNumber(std::string& out, double v) {  // as printf's %g
  char b[32];
  out.append(b, std::to_chars(b, b + sizeof b, v, std::chars_format::general, 6).ptr);
}

}  // namespace

void RecordingPrinter::text(int x, int y, const std::string& s, const PrintFont& f, Align a) {
  dump_ += "  text ";
  appendInt(dump_, x);
  dump_ += ',';
  appendInt(dump_, y);
  dump_ += ' ';
  dump_ += f.face;
  dump_ += ' ';
  appendNumber(dump_, f.width);
  dump_ += '/';
  appendNumber(dump_, f.height);
  if (f.bold) dump_ += " bold";
  dump_ += a == Align::Left ? " left \"" : a == Align::Right ? " right \"" : " center \"";
  xbase::appendAsUtf8(dump_, s);
  dump_ += "\"\n";
}

void RecordingPrinter::line(int x1, int y1, int x2, int y2, const PrintPen& pen) {
  dump_ += "  line ";
  appendInt(dump_, x1);
  dump_ += ',';
  appendInt(dump_, y1);
  dump_ += ' ';
  appendInt(dump_, x2);
  dump_ += ',';
  appendInt(dump_, y2);
  dump_ += " pen ";
  appendInt(dump_, pen.width);
  dump_ += '\n';
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
