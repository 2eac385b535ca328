// The print preview of the desktop: a job's pages are recorded, then shown
// in Qt's preview window (zoom, page navigation, printing through the
// system's print dialog, which also saves as PDF), painted by the same
// routine as the PDF files.
#pragma once

#include <functional>
#include <memory>

#include "platform/printer.h"
#include "qt/pdf_target.h"

class QPrinter;
class QPrintPreviewDialog;

namespace qt {

class PreviewTarget : public platform::PrintTarget {
 public:
  PreviewTarget(platform::Paper paper, FontMap fonts);
  ~PreviewTarget() override;
  std::unique_ptr<platform::Printer> open(const std::string& reportCode) override;
  // The printer the set-up dialog chose, used by the preview's print button.
  QPrinter& printer();
  // Shows a recorded job (the printers' end of job calls it); tests may
  // replace it to look at the pages instead.
  std::function<void(const RecordedJob&)> show;

 private:
  platform::Paper paper_;
  FontMap fonts_;
  std::unique_ptr<QPrinter> printer_;
};

// The preview window of a recorded job on a printer (its pages painted on
// demand at the printer's resolution).
std::unique_ptr<QPrintPreviewDialog> makePreview(const RecordedJob& job, QPrinter& printer, const FontMap& fonts);

// The printer set-up dialog of every "การ&พิมพ์" button, on the preview's printer.
void printerSetupDialog(PreviewTarget& target);

}  // namespace qt
