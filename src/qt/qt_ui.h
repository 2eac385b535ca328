// The desktop front end: message boxes, the input box and the dialogs
// described as data, drawn with Qt widgets at their layouts' coordinates times
// one scale factor.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui.h"

class QDialog;

namespace qt {

// One factor for the whole program. A dialog's layout gives its size in
// screen pixels (title bar included) and its controls in dialog units of
// the classic 8-point dialog font (1.75 pixels across, 1.875 down): a
// 400 x 310 dialog becomes 500 x 355 pixels inside its frame.
constexpr double kDialogScale = 1.25;
constexpr double kUnitX = 1.75 * kDialogScale;   // a dialog unit in pixels
constexpr double kUnitY = 1.875 * kDialogScale;
constexpr int kTitleBar = 26;                // of the layouts' dialog heights
constexpr int kFontPixels = 16;              // the dialog font

class QtUi : public platform::Ui {
 public:
  void message(std::string_view text, std::string_view caption) override;
  bool yesNo(std::string_view text, std::string_view caption) override;
  std::optional<std::string> input(std::string_view title, std::string_view label, std::string_view dflt) override;
  void alert(std::string_view text, std::string_view caption) override;
  int run(platform::Dialog& d) override;
  int openDialogs() const override { return open_; }
  void printerSetup() override {
    if (printerSetupAction) printerSetupAction();
  }
  platform::ErrorChoice errorDialog(const platform::ErrorDialogContent& content) override;
  // What the set-up button opens (the preview's printer dialog).
  std::function<void()> printerSetupAction;

 private:
  int open_ = 0;
};

// The window of a dialog description, for the front end and for tests that
// drive it: fields show their variables, leaving a field stores and
// validates it, buttons run their actions, Enter and Escape press the
// default and the cancel button.
std::unique_ptr<QDialog> makeDialogWindow(platform::Dialog& d);

}  // namespace qt
