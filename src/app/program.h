// vekrep as a program: the start parameters and options, the user interface
// backend, the error handler, then MAIN; the exit status.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace app {

// argv without the program name. Status 0 normally, 1 after a fatal error,
// 2 for a command line that cannot be understood.
// Options the program's entry handles itself (printing needs Qt): --out DIR,
// --png, --dump, --paper NAME are passed over here.
// `ui`: the front end to use ("--ui qt" needs one); without, the scripted one.
int runProgram(const std::vector<std::string>& args, std::ostream& err, platform::Ui* ui = nullptr);

// Splits the printing options off the arguments.
struct OutputOptions {
  std::string folder, paper;
  bool png = false, dump = false;
};
std::vector<std::string> takeOutputOptions(const std::vector<std::string>& args, OutputOptions& out);

}  // namespace app
