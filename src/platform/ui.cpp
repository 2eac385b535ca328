#include "platform/ui.h"

#include <iostream>

#include "xbase/cp874.h"

namespace platform {

namespace {

class ConsoleUi : public Ui {
 public:
  void message(std::string_view text, std::string_view caption) override {
    std::cerr << xbase::toUtf8(caption) << ": " << xbase::toUtf8(text) << "\n";
  }
};

Ui* g_ui = nullptr;

}  // namespace

Ui& ui() {
  static ConsoleUi console;
  return g_ui ? *g_ui : console;
}

void setUi(Ui* u) { g_ui = u; }

}  // namespace platform
