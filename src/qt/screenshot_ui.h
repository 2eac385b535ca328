// Screenshots of a scripted run: every dialog, message and error box and
// the print preview are drawn with the desktop's widgets and saved as PNG
// files, while the script gives the answers.
#pragma once

#include <string>

#include "qt/qt_ui.h"

class QWidget;

namespace qt {

class ScreenshotUi : public QtUi {
 public:
  explicit ScreenshotUi(std::string folder) : folder_(std::move(folder)) {}
  void followScript(platform::Ui* script) override { script_ = script; }
  void message(std::string_view text, std::string_view caption) override;
  bool yesNo(std::string_view text, std::string_view caption) override;
  void alert(std::string_view text, std::string_view caption) override;
  int run(platform::Dialog& d) override;
  platform::ErrorChoice errorDialog(const platform::ErrorDialogContent& content) override;
  // Saves a window as the next numbered PNG with the given name.
  void save(QWidget& w, const std::string& name);

 private:
  std::string folder_;
  platform::Ui* script_ = nullptr;
  int count_ = 0;
};

}  // namespace qt
