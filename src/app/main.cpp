// vekrep: the report program.
#include <iostream>
#include <string>
#include <vector>

#include "app/dbf_cli.h"
#include "app/eval_cli.h"
#include "app/program.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "dbf")
    return app::runDbfCommand(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--eval") return app::runEval(args[i + 1], std::cout);
    if (args[i] == "--eval-cases") return app::runEvalCases(args[i + 1], std::cout, std::cerr);
  }
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << "usage: vekrep [settings user dataset reportlist [brand]] [--script FILE] [--transcript FILE]\n"
                 "              [--today dd/mm/yyyy] [--ui script] [--out DIR]\n"
                 "       vekrep --eval EXPR | --eval-cases FILE\n"
                 "       vekrep dbf dump|check|reindex ...\n";
    return 0;
  }
  return app::runProgram(args, std::cerr);
}
