// vekrep: the report program.
#include <cstring>
#include <iostream>
#include <string>

#include "app/dbf_cli.h"
#include "app/eval_cli.h"
#include <vector>

namespace {

void usage() {
  std::cerr << "usage: vekrep --eval EXPR\n"
               "       vekrep --eval-cases FILE\n"
               "       vekrep dbf dump|check|reindex ...\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "dbf")
    return app::runDbfCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--eval" && i + 1 < argc) return app::runEval(argv[i + 1], std::cout);
    if (a == "--eval-cases" && i + 1 < argc) return app::runEvalCases(argv[i + 1], std::cout, std::cerr);
  }
  usage();
  return 2;
}
