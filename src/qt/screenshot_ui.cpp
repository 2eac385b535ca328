#include "qt/screenshot_ui.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPixmap>

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "xbase/cp874.h"

namespace qt {

namespace {
QString qs(std::string_view cp874) { return QString::fromStdString(xbase::toUtf8(cp874)); }

// A file name from a window's title: letters and digits, the rest "_".
std::string fileName(const std::string& title) {
  std::string out;
  for (unsigned char c : xbase::toUtf8(title))
    out += (std::isalnum(c) || c >= 0x80) ? char(c) : '_';
  return out.empty() ? std::string("window") : out;
}
}  // namespace

void ScreenshotUi::save(QWidget& w, const std::string& name) {
  w.show();
  QApplication::processEvents();
  std::filesystem::create_directories(folder_);
  char number[16];
  std::snprintf(number, sizeof number, "%02d-", ++count_);
  w.grab().save(QString::fromStdString(folder_ + "/" + number + fileName(name) + ".png"));
  w.hide();
}

void ScreenshotUi::message(std::string_view text, std::string_view caption) {
  QMessageBox box(QMessageBox::Information, qs(caption), qs(text));
  save(box, std::string(caption));
  if (script_) script_->message(text, caption);
}

bool ScreenshotUi::yesNo(std::string_view text, std::string_view caption) {
  QMessageBox box(QMessageBox::Question, qs(caption), qs(text), QMessageBox::Yes | QMessageBox::No);
  save(box, std::string(caption));
  return script_ ? script_->yesNo(text, caption) : false;
}

void ScreenshotUi::alert(std::string_view text, std::string_view caption) {
  QMessageBox box(QMessageBox::Critical, qs(caption), qs(text));
  save(box, std::string(caption));
  if (script_) script_->alert(text, caption);
}

int ScreenshotUi::run(platform::Dialog& d) {
  {
    auto w = makeDialogWindow(d);
    save(*w, d.title);
  }
  return script_ ? script_->run(d) : 0;
}

platform::ErrorChoice ScreenshotUi::errorDialog(const platform::ErrorDialogContent& content) {
  QMessageBox box(QMessageBox::Critical, qs(content.caption), qs(content.description));
  save(box, content.caption);
  return script_ ? script_->errorDialog(content) : platform::ErrorChoice::Quit;
}

}  // namespace qt
