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

// Device pixels of a recorded page are 600 per inch on the paper's printable area.
class Recorder : public platform::Printer {
 public:
  Recorder(PdfTarget& target, std::string code, platform::Paper paper)
      : target_(target), code_(std::move(code)), dump_(paper) {
    job_.paper = paper;
  }
  void startJob(const std::string& name) override {
    job_.name = name;
    dump_.startJob(name);
  }
  void startPage() override {
    job_.pages.emplace_back();
    dump_.startPage();
  }
  void endPage() override { dump_.endPage(); }
  void text(int x, int y, const std::string& s, const platform::PrintFont& f, platform::Align a) override {
    PageOp op;
    op.kind = PageOp::Kind::Text;
    op.x = x;
    op.y = y;
    op.text = s;
    op.font = f;
    op.align = a;
    page().push_back(op);
    dump_.text(x, y, s, f, a);
  }
  void line(int x1, int y1, int x2, int y2, const platform::PrintPen& pen) override {
    PageOp op;
    op.kind = PageOp::Kind::Line;
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.pen = pen.width;
    page().push_back(op);
    dump_.line(x1, y1, x2, y2, pen);
  }
  void bitmap(int x, int y, int w, int h, const std::string& file) override {
    PageOp op;
    op.kind = PageOp::Kind::Bitmap;
    op.x = x;
    op.y = y;
    op.width = w;
    op.height = h;
    op.text = file;
    page().push_back(op);
    dump_.bitmap(x, y, w, h, file);
  }
  void endJob() override {
    dump_.endJob();
    std::string base = code_;
    while (!base.empty() && base.back() == ' ') base.pop_back();
    target_.write(job_, base.empty() ? std::string("report") : base, dump_.dump());
  }
  int verticalResolution() const override { return job_.paper.printableHeight(); }
  int horizontalResolution() const override { return job_.paper.printableWidth(); }
  int pixelsPerInchY() const override { return job_.paper.dpi; }
  int pixelsPerInchX() const override { return job_.paper.dpi; }

 private:
  std::vector<PageOp>& page() {
    if (job_.pages.empty()) job_.pages.emplace_back();
    return job_.pages.back();
  }
  PdfTarget& target_;
  std::string code_;
  RecordedJob job_;
  platform::RecordingPrinter dump_;
};

}  // namespace

void paintPage(QPainter& p, const RecordedJob& job, std::size_t index, double scale, const FontMap& fonts) {
  const double margin = job.paper.marginInches * job.paper.dpi * scale;
  auto X = [&](int v) { return margin + v * scale; };
  for (const PageOp& op : job.pages[index]) {
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
        // The position is the top of the text cell, as the suite's printer places it.
        p.drawText(QPointF(x, X(op.y) + m.ascent()), s);
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

std::vector<std::string> PdfTarget::write(const RecordedJob& job, const std::string& base, const std::string& dump) {
  std::vector<std::string> files;
  std::string pdf = folder_ + "/" + base + ".pdf";
  {
    QPdfWriter writer(QString::fromStdString(pdf));
    writer.setResolution(job.paper.dpi);
    writer.setTitle(qs(job.name));
    writer.setCreator("vekrep");
    QPageSize size(QSizeF(job.paper.landscape ? job.paper.heightInches : job.paper.widthInches,
                          job.paper.landscape ? job.paper.widthInches : job.paper.heightInches),
                   QPageSize::Inch);
    writer.setPageLayout(QPageLayout(size, job.paper.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    for (std::size_t i = 0; i < job.pages.size(); ++i) {
      if (i) writer.newPage();
      paintPage(painter, job, i, 1.0, fonts_);
    }
    painter.end();
  }
  files.push_back(pdf);
  if (png_) {
    const double dpi = 100;
    for (std::size_t i = 0; i < job.pages.size(); ++i) {
      QImage img(int(job.paper.widthInches * dpi), int(job.paper.heightInches * dpi), QImage::Format_RGB32);
      img.fill(Qt::white);
      QPainter painter(&img);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setRenderHint(QPainter::TextAntialiasing);
      paintPage(painter, job, i, dpi / job.paper.dpi, fonts_);
      painter.end();
      std::string png = folder_ + "/" + base + "-" + std::to_string(i + 1) + ".png";
      img.save(QString::fromStdString(png));
      files.push_back(png);
    }
  }
  if (dump_) {
    std::string path = folder_ + "/" + base + ".dump";
    std::ofstream(path, std::ios::binary) << dump;
    files.push_back(path);
  }
  written_.insert(written_.end(), files.begin(), files.end());
  return files;
}

}  // namespace qt
