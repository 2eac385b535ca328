#include "qt/pdf_target.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QString>

#include <cmath>
#include <fstream>

#include "xbase/cp874.h"

namespace qt {

FontMap FontMap::defaults() {
  FontMap m;
  // The suite's UPC faces draw Thai small for their size: the TLWG faces
  // need about half the size to fill the same line.
  m.faces["EUCROSIAUPC"] = {"Norasi", 0.55};
  m.faces["ANGSANAUPC"] = {"Kinnari", 0.55};
  m.faces["ANGSANA NEW"] = {"Kinnari", 0.55};
  m.faces["BROWALLIAUPC"] = {"Garuda", 0.5};
  m.faces["CORDIAUPC"] = {"Loma", 0.5};
  m.faces["MS SANS SERIF"] = {"Loma", 1};
  m.faces["TAHOMA"] = {"Loma", 1};
  return m;
}

FontMap::Entry FontMap::find(const std::string& face) const {
  auto it = faces.find(xbase::upper(face));
  if (it != faces.end()) return it->second;
  return Entry{face.empty() ? std::string("Norasi") : face, 1};
}

namespace {

QString qs(const std::string& cp874) { return QString::fromUtf8(xbase::toUtf8(cp874).c_str()); }

QFont qfont(const platform::PrintFont& f, double scale, const FontMap& map) {
  FontMap::Entry e = map.find(f.face);
  QFont font(QString::fromStdString(e.family));
  // The settings give the height as in the suite: negative is points.
  double points = std::fabs(f.height) * e.scale;
  if (points <= 0) points = 10 * e.scale;
  font.setPixelSize(std::max(1, int(std::lround(points / 72.0 * 600 * scale))));
  font.setBold(f.bold);
  return font;
}

// Pages are painted into the PDF (and PNG files) as each one ends, so a job
// of any length keeps one page in memory.
class Recorder : public PageOpRecorder {
 public:
  Recorder(PdfTarget& target, std::string code, platform::Paper paper)
      : PageOpRecorder(paper), target_(target), dump_(paper) {
    while (!code.empty() && code.back() == ' ') code.pop_back();
    for (char& c : code)
      if (c == ' ' || c == '/' || c == '\\') c = '_';  // a usable file name
    base_ = target.folder() + "/" + (code.empty() ? std::string("report") : code);
  }
  ~Recorder() override {
    if (painter_) painter_->end();
  }
  void startJob(const std::string& name) override {
    dump_.startJob(name);
    writer_ = std::make_unique<QPdfWriter>(QString::fromStdString(base_ + ".pdf"));
    writer_->setResolution(paper_.dpi);
    writer_->setTitle(qs(name));
    writer_->setCreator("vekrep");
    QPageSize size(QSizeF(paper_.landscape ? paper_.heightInches : paper_.widthInches,
                          paper_.landscape ? paper_.widthInches : paper_.heightInches),
                   QPageSize::Inch);
    writer_->setPageLayout(QPageLayout(size, paper_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0)));
    if (target_.dump()) dumpFile_.open(base_ + ".dump", std::ios::binary | std::ios::trunc);
  }
  void startPage() override {
    PageOpRecorder::startPage();
    dump_.startPage();
  }
  void endPage() override {
    dump_.endPage();
    if (!painter_) {
      painter_ = std::make_unique<QPainter>(writer_.get());
    } else {
      writer_->newPage();
    }
    paintPage(*painter_, page_, paper_, 1.0, target_.fonts());
    ++pages_;
    if (target_.png()) {
      const double dpi = 100;
      QImage img(int(paper_.widthInches * dpi), int(paper_.heightInches * dpi), QImage::Format_RGB32);
      img.fill(Qt::white);
      QPainter p(&img);
      p.setRenderHint(QPainter::Antialiasing);
      p.setRenderHint(QPainter::TextAntialiasing);
      paintPage(p, page_, paper_, dpi / paper_.dpi, target_.fonts());
      p.end();
      std::string png = base_ + "-" + std::to_string(pages_) + ".png";
      img.save(QString::fromStdString(png));
      target_.noteWritten(png);
    }
    page_.clear();
    if (dumpFile_) dumpFile_ << dump_.takeDump();
  }
  // Each operation is kept for the page and, with a dump asked for, written down.
  void text(int x, int y, const std::string& s, const platform::PrintFont& f, platform::Align a) override {
    PageOpRecorder::text(x, y, s, f, a);
    if (dumpFile_) dump_.text(x, y, s, f, a);
  }
  void line(int x1, int y1, int x2, int y2, const platform::PrintPen& pen) override {
    PageOpRecorder::line(x1, y1, x2, y2, pen);
    if (dumpFile_) dump_.line(x1, y1, x2, y2, pen);
  }
  void bitmap(int x, int y, int w, int h, const std::string& file) override {
    PageOpRecorder::bitmap(x, y, w, h, file);
    if (dumpFile_) dump_.bitmap(x, y, w, h, file);
  }
  void endJob() override {
    if (!painter_) painter_ = std::make_unique<QPainter>(writer_.get());  // a job without pages: one blank page
    painter_->end();
    painter_.reset();
    writer_.reset();
    target_.noteWritten(base_ + ".pdf");
    dump_.endJob();
    if (dumpFile_) {
      dumpFile_ << dump_.takeDump();
      dumpFile_.close();
      target_.noteWritten(base_ + ".dump");
    }
  }

 private:
  PdfTarget& target_;
  std::string base_;
  std::unique_ptr<QPdfWriter> writer_;
  std::unique_ptr<QPainter> painter_;
  platform::RecordingPrinter dump_;
  std::ofstream dumpFile_;
  int pages_ = 0;
};

}  // namespace

void PageOpRecorder::text(int x, int y, const std::string& s, const platform::PrintFont& f, platform::Align a) {
  PageOp op;
  op.kind = PageOp::Kind::Text;
  op.x = x;
  op.y = y;
  op.text = s;
  op.font = f;
  op.align = a;
  page_.push_back(std::move(op));
}

void PageOpRecorder::line(int x1, int y1, int x2, int y2, const platform::PrintPen& pen) {
  PageOp op;
  op.kind = PageOp::Kind::Line;
  op.x = x1;
  op.y = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.pen = pen.width;
  page_.push_back(op);
}

void PageOpRecorder::bitmap(int x, int y, int w, int h, const std::string& file) {
  PageOp op;
  op.kind = PageOp::Kind::Bitmap;
  op.x = x;
  op.y = y;
  op.width = w;
  op.height = h;
  op.text = file;
  page_.push_back(op);
}

void paintPage(QPainter& p, const std::vector<PageOp>& page, const platform::Paper& paper, double scale,
               const FontMap& fonts) {
  const double margin = paper.marginInches * paper.dpi * scale;
  auto X = [&](int v) { return margin + v * scale; };
  for (const PageOp& op : page) {
    switch (op.kind) {
      case PageOp::Kind::Text: {
        QFont f = qfont(op.font, scale, fonts);
        p.setFont(f);
        p.setPen(Qt::black);
        QFontMetricsF m(f);
        QString s = qs(op.text);
        double w = m.horizontalAdvance(s);
        double x = X(op.x);
        if (op.align == platform::Align::Right) x -= w;
        if (op.align == platform::Align::Center) x -= w / 2;
        // The row is the text's baseline: the rule of a line, 0.3 line spaces
        // below its row, then sits just under the text of that line.
        p.drawText(QPointF(x, X(op.y)), s);
        break;
      }
      case PageOp::Kind::Line: {
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, op.pen * 600.0 / 300.0 * scale));
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QPointF(X(op.x), X(op.y)), QPointF(X(op.x2), X(op.y2)));
        break;
      }
      case PageOp::Kind::Bitmap: {
        QImage img(QString::fromUtf8(xbase::toUtf8(op.text).c_str()));
        if (!img.isNull())  // an unreadable file draws nothing
          p.drawImage(QRectF(X(op.x), X(op.y), op.width * scale, op.height * scale), img);
        break;
      }
    }
  }
}

PdfTarget::PdfTarget(std::string folder, platform::Paper paper, FontMap fonts, bool png, bool dump)
    : folder_(std::move(folder)), paper_(std::move(paper)), fonts_(std::move(fonts)), png_(png), dump_(dump) {}

std::unique_ptr<platform::Printer> PdfTarget::open(const std::string& reportCode) {
  return std::make_unique<Recorder>(*this, reportCode, paper_);
}

}  // namespace qt
