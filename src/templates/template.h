// Report templates: the text file of a report loaded into the template table
// "RepPrn", its directive lines, and the section interpreter REPMAKE.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "xbase/expr.h"
#include "xbase/runtime.h"

namespace templates {

// One section line, read once per run (commands, operations, numbers,
// expressions compiled).
struct SectionLine {
  long recno = 0;          // its record in RepPrn
  char section = 0;        // upper case
  std::string command;     // positions 3-4, upper case
  std::string operation;   // positions 6-10, upper case
  double n[4] = {0, 0, 0, 0};  // positions 12-16, 18-22, 24-28, 30-34, each / 100
  std::string bitmap;      // positions 36-, for IMAGE
  std::shared_ptr<const xbase::Expr> expr;  // the expression its command evaluates
  std::string exprText;
};

struct Directives {
  std::string group, block, index, seek, order;  // "I,GROUP" ... from position 9
  std::string extraIndex, templateGroup;         // "INDEX," and "GROUP," from position 7
};

// The template of the running report, after loading.
class Template {
 public:
  // Reads the lines of the open "RepPrn" table.
  void read();
  const Directives& directives() const { return directives_; }
  const std::vector<SectionLine>& lines() const { return lines_; }

 private:
  std::vector<SectionLine> lines_;
  Directives directives_;
};

// Loads CDRV1 + trimmed CREPCODE + ".txt" into CDRV4 + "R_" + user and opens
// it exclusively as "RepPrn" (for the page frame). False after its message.
bool loadTemplate(Template& t);

// Interprets the lines of one section for the current record, then selects
// `alias` ("detail" when empty).
void REPMAKE(char section, const std::string& alias = "");
// Moves the line counter by n and gives an empty text.
std::string REPLINE(double n);

// What REPMAKE prints on: the device, print fonts 1 to 3 and pens 1 to 3 of
// the running print run (the page frame sets it).
struct PrintContext {
  platform::Printer* printer = nullptr;
  platform::PrintFont fonts[6];
  platform::PrintPen pens[3];
  const Template* tmpl = nullptr;
};
void setPrintContext(PrintContext* c);
PrintContext* printContext();

void registerTemplateFunctions(xbase::Runtime& r);

}  // namespace templates
