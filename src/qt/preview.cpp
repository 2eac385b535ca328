#include "qt/preview.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>

#include "xbase/cp874.h"

namespace qt {

namespace {

// Keeps every page of a job, then hands the job to the target's `show`.
class PageRecorder : public PageOpRecorder {
 public:
  PageRecorder(PreviewTarget& target, platform::Paper paper) : PageOpRecorder(paper), target_(target) {
    job_.paper = paper;
  }
  void startJob(const std::string& name) override { job_.name = name; }
  void endPage() override { job_.pages.push_back(std::move(page_)); }
  void endJob() override {
    if (target_.show) target_.show(job_);
  }

 private:
  PreviewTarget& target_;
  RecordedJob job_;
};

}  // namespace

PreviewTarget::PreviewTarget(platform::Paper paper, FontMap fonts) : paper_(paper), fonts_(std::move(fonts)) {
  show = [this](const RecordedJob& job) { makePreview(job, printer(), fonts_)->exec(); };
}

std::unique_ptr<QPrintPreviewDialog> makePreview(const RecordedJob& job, QPrinter& p, const FontMap& fonts) {
  p.setDocName(QString::fromStdString(xbase::toUtf8(job.name)));
  // The page as the job was laid out: its paper in portrait measures, then
  // turned when the job is landscape; no margins (the job keeps its own).
  QPageSize size(QSizeF(std::min(job.paper.widthInches, job.paper.heightInches),
                        std::max(job.paper.widthInches, job.paper.heightInches)),
                 QPageSize::Inch);
  p.setFullPage(true);
  p.setPageSize(size);
  p.setPageOrientation(job.paper.widthInches > job.paper.heightInches ? QPageLayout::Landscape : QPageLayout::Portrait);
  p.setPageMargins(QMarginsF(0, 0, 0, 0));
  auto preview = std::make_unique<QPrintPreviewDialog>(&p);
  preview->setWindowTitle(QString::fromStdString(xbase::toUtf8(job.name)));
  preview->resize(1000, 800);
  // The job is copied: the window may outlive the printer that recorded it.
  QObject::connect(preview.get(), &QPrintPreviewDialog::paintRequested, preview.get(),
                   [job, fonts](QPrinter* device) {
                     QPainter painter(device);
                     const double scale = double(device->resolution()) / job.paper.dpi;
                     for (std::size_t i = 0; i < job.pages.size(); ++i) {
                       if (i > 0) device->newPage();
                       paintPage(painter, job.pages[i], job.paper, scale, fonts);
                     }
                   });
  return preview;
}

PreviewTarget::~PreviewTarget() = default;

std::unique_ptr<platform::Printer> PreviewTarget::open(const std::string&) {
  return std::make_unique<PageRecorder>(*this, paper_);
}

QPrinter& PreviewTarget::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void printerSetupDialog(PreviewTarget& target) {
  QPrintDialog dialog(&target.printer());
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  dialog.exec();
}

}  // namespace qt
