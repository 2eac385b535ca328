// The printer device the page engines draw on: a print job of pages with
// text at device positions, ruled lines and bitmaps. Positions are device
// pixels from the top left of the printable area.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct PrintFont {
  std::string face;   // as the settings name it ("EucrosiaUPC")
  double width = 0;   // the settings' width and height, times the factor
  double height = 0;
  bool bold = false;
};

struct PrintPen {
  int width = 1;
};

enum class Align { Left, Right, Center };

// Paper and printable area.
struct Paper {
  std::string name = "A4";
  double widthInches = 8.27, heightInches = 11.69;
  double marginInches = 0.25;  // on every side
  int dpi = 600;
  bool landscape = false;
  // A4 (portrait or landscape), letter, or "continuous" (15 x 11 inch fanfold).
  static Paper byName(const std::string& name);
  int printableWidth() const;
  int printableHeight() const;
};

class Printer {
 public:
  virtual ~Printer() = default;
  virtual void startJob(const std::string& documentName) = 0;
  virtual void startPage() = 0;
  virtual void endPage() = 0;
  virtual void text(int x, int y, const std::string& cp874, const PrintFont& font, Align align) = 0;
  virtual void line(int x1, int y1, int x2, int y2, const PrintPen& pen) = 0;
  virtual void bitmap(int x, int y, int width, int height, const std::string& file) = 0;
  // Ends the job: the preview is shown (or the pages are written).
  virtual void endJob() = 0;
  virtual int verticalResolution() const = 0;    // printable height in pixels
  virtual int horizontalResolution() const = 0;  // printable width in pixels
  virtual int pixelsPerInchY() const = 0;
  virtual int pixelsPerInchX() const = 0;
};

// Writes every page and operation as text: the page dump that golden tests compare.
class RecordingPrinter : public Printer {
 public:
  explicit RecordingPrinter(Paper paper = Paper());
  void startJob(const std::string& documentName) override;
  void startPage() override;
  void endPage() override;
  void text(int x, int y, const std::string& cp874, const PrintFont& font, Align align) override;
  void line(int x1, int y1, int x2, int y2, const PrintPen& pen) override;
  void bitmap(int x, int y, int width, int height, const std::string& file) override;
  void endJob() override;
  int verticalResolution() const override { return paper_.printableHeight(); }
  int horizontalResolution() const override { return paper_.printableWidth(); }
  int pixelsPerInchY() const override { return paper_.dpi; }
  int pixelsPerInchX() const override { return paper_.dpi; }

  const std::string& dump() const { return dump_; }
  // Hands over what was recorded so far (for writing it out as pages end).
  std::string takeDump() { return std::exchange(dump_, std::string()); }
  int pages() const { return pages_; }
  bool finished() const { return finished_; }

 private:
  Paper paper_;
  std::string dump_;
  int pages_ = 0;
  bool finished_ = false;
};

// Where print jobs go: the platform decides (preview window, PDF file, dump).
class PrintTarget {
 public:
  virtual ~PrintTarget() = default;
  virtual std::unique_ptr<Printer> open(const std::string& reportCode) = 0;
};

}  // namespace platform

namespace platform {

// The print target of the program (set by the program's entry; tests set their own).
PrintTarget* printTarget();
void setPrintTarget(PrintTarget* t);

// Collects the page dumps of every job: the default target, and the one tests use.
class RecordingTarget : public PrintTarget {
 public:
  explicit RecordingTarget(Paper paper = Paper()) : paper_(std::move(paper)) {}
  std::unique_ptr<Printer> open(const std::string& reportCode) override;
  std::vector<std::pair<std::string, std::string>> jobs;  // report code, page dump

 private:
  class Device;
  Paper paper_;
};

}  // namespace platform
