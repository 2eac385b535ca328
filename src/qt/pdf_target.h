// Print jobs written as PDF (and PNG pages, and the page dump) through Qt.
// The pages are recorded first and painted by one routine, which the PDF,
// the PNG pages, the preview window and real printers all use.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/printer.h"

class QPainter;

namespace qt {

struct PageOp {
  enum class Kind { Text, Line, Bitmap } kind = Kind::Text;
  int x = 0, y = 0, x2 = 0, y2 = 0, width = 0, height = 0;
  std::string text;  // cp874, or the bitmap file
  platform::PrintFont font;
  platform::Align align = platform::Align::Left;
  int pen = 1;
};

struct RecordedJob {
  std::string name;
  platform::Paper paper;
  std::vector<std::vector<PageOp>> pages;
};

// Face substitutions: the settings' faces to installed Thai fonts, with a
// size factor ("EucrosiaUPC" -> "Norasi" at 0.55).
struct FontMap {
  struct Entry {
    std::string family;
    double scale = 1;
  };
  std::map<std::string, Entry> faces;  // upper-case face name
  static FontMap defaults();
  Entry find(const std::string& face) const;
};

// A printer that keeps the operations of the page being printed, on a
// paper; what happens at a page's end is the subclass's.
class PageOpRecorder : public platform::Printer {
 public:
  explicit PageOpRecorder(platform::Paper paper) : paper_(paper) {}
  void startPage() override { page_.clear(); }
  void text(int x, int y, const std::string& s, const platform::PrintFont& f, platform::Align a) override;
  void line(int x1, int y1, int x2, int y2, const platform::PrintPen& pen) override;
  void bitmap(int x, int y, int w, int h, const std::string& file) override;
  int verticalResolution() const override { return paper_.printableHeight(); }
  int horizontalResolution() const override { return paper_.printableWidth(); }
  int pixelsPerInchY() const override { return paper_.dpi; }
  int pixelsPerInchX() const override { return paper_.dpi; }

 protected:
  platform::Paper paper_;
  std::vector<PageOp> page_;
};

// Paints one recorded page; `scale` maps device pixels to the painter's.
void paintPage(QPainter& p, const std::vector<PageOp>& page, const platform::Paper& paper, double scale,
               const FontMap& fonts);

class PdfTarget : public platform::PrintTarget {
 public:
  PdfTarget(std::string folder, platform::Paper paper, FontMap fonts, bool png, bool dump);
  std::unique_ptr<platform::Printer> open(const std::string& reportCode) override;
  const std::vector<std::string>& written() const { return written_; }
  void noteWritten(const std::string& file) { written_.push_back(file); }
  const std::string& folder() const { return folder_; }
  const FontMap& fonts() const { return fonts_; }
  bool png() const { return png_; }
  bool dump() const { return dump_; }

 private:
  std::string folder_;
  platform::Paper paper_;
  FontMap fonts_;
  bool png_, dump_;
  std::vector<std::string> written_;
};

}  // namespace qt
