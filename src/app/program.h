// vekrep as a program: the start parameters and options, the user interface
// backend, the error handler, then MAIN; the exit status.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

// argv without the program name. Status 0 normally, 1 after a fatal error,
// 2 for a command line that cannot be understood.
// Options the program's entry handles itself (printing needs Qt): --out DIR,
// --png, --dump, --paper NAME are passed over here.
int runProgram(const std::vector<std::string>& args, std::ostream& err);

// Splits the printing options off the arguments.
struct OutputOptions {
  std::string folder, paper;
  bool png = false, dump = false;
};
std::vector<std::string> takeOutputOptions(const std::vector<std::string>& args, OutputOptions& out);

}  // namespace app
