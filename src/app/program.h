// vekrep as a program: the start parameters and options, the user interface
// backend, the error handler, then MAIN; the exit status.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

// argv without the program name. Status 0 normally, 1 after a fatal error,
// 2 for a command line that cannot be understood.
int runProgram(const std::vector<std::string>& args, std::ostream& err);

}  // namespace app
