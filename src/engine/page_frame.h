// The page frame all report families share: print fonts and pens, page
// metrics, the line grid, page start and change, progress, run close; and
// the generic engines that print a work table through its template.
#pragma once

#include <memory>
#include <string>

#include "platform/printer.h"
#include "templates/template.h"

namespace engine {

class PageFrame {
 public:
  // Declares the run's public variables.
  PageFrame();
  ~PageFrame();

  bool loadTemplate() { return templates::loadTemplate(tmpl_); }
  const templates::Template& tmpl() const { return tmpl_; }
  // Fonts, pens, the print job on the platform's print target.
  void setUp();
  void metrics();
  void counters();
  void pageStart(const char* alias = "RepData");
  void endPage();
  // Page-break foot (after at least one detail), end of the page, next page.
  void pageChange();
  void progress(long count, long total);
  void close();
  bool open() const { return printer_ != nullptr; }
  // For families that draw their pages themselves: the job's device, the
  // print fonts 1..6 and the pens 1..3 of the settings.
  platform::Printer& printer() { return *printer_; }
  const platform::PrintFont& font(int n) const { return context_.fonts[n - 1]; }
  const platform::PrintPen& pen(int n) const { return context_.pens[n - 1]; }

 private:
  templates::Template tmpl_;
  templates::PrintContext context_;
  std::unique_ptr<platform::Printer> printer_;
  xbase::FrameGuard frame_;
  int lastPercent_ = -1;
};

// The generic engine: page, block and group levels over "RepData".
void REPSTART();
// The stock-movement variant over "detail".
void REPIVSTART();

void registerEngineFunctions(xbase::Runtime& r);

}  // namespace engine
