// vekrep: the report program.
#include <cstring>
#include <iostream>
#include <string>

#include "app/eval_cli.h"

namespace {

void usage() {
  std::cerr << "usage: vekrep --eval EXPR\n"
               "       vekrep --eval-cases FILE\n";
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--eval" && i + 1 < argc) return app::runEval(argv[i + 1], std::cout);
    if (a == "--eval-cases" && i + 1 < argc) return app::runEvalCases(argv[i + 1], std::cout, std::cerr);
  }
  usage();
  return 2;
}
