// What the program needs of a user interface. This first part holds the
// message box; dialogs, browse lists and the printer follow with the
// platform layer proper.
#pragma once

#include <string>
#include <string_view>
#include <optional>
#include <utility>
#include <vector>

#include "platform/dialog.h"

namespace platform {

// The run-time error dialog: its description line, the "Called from"
// lines, and which extra buttons the error allows.
struct ErrorDialogContent {
  std::string caption;
  std::string description;
  std::vector<std::string> stack;
  bool canRetry = false;
  bool canDefault = false;
};
enum class ErrorChoice { Quit, Retry, Default };

class Ui {
 public:
  virtual ~Ui() = default;
  // An information box with a caption; texts are cp874.
  virtual void message(std::string_view text, std::string_view caption) = 0;
  // A question with Yes and No.
  virtual bool yesNo(std::string_view text, std::string_view caption) {
    (void)text, (void)caption;
    return false;
  }
  // A one-line input box; empty when cancelled.
  virtual std::optional<std::string> input(std::string_view title, std::string_view label, std::string_view dflt) {
    (void)title, (void)label;
    return std::string(dflt);
  }
  // Runs a modal dialog until one of its actions closes it; its result.
  virtual int run(Dialog& d) {
    (void)d;
    return 0;
  }
  // The printer set-up dialog behind every "การ&พิมพ์" button.
  virtual void printerSetup() {}
  // A stop box.
  virtual void alert(std::string_view text, std::string_view caption) { message(text, caption); }
  // Plays a wave file (flags as the sound routine passes them; 1 = asynchronous).
  virtual void sound(std::string_view file, int flags) { (void)file, (void)flags; }
  virtual ErrorChoice errorDialog(const ErrorDialogContent& content) {
    (void)content;
    return ErrorChoice::Quit;
  }
  // How many of the program's dialogs are open (a message loop is running).
  virtual int openDialogs() const { return 0; }
  // Opens the error log for reading ("See Error.log file").
  virtual void showFile(std::string_view path) { (void)path; }
  // A front end that shows its windows while a script gives the answers
  // (screenshots of a scripted run) is handed the scripted interface here.
  virtual void followScript(Ui* script) { (void)script; }
};

// The current interface; without one, messages go to standard error.
Ui& ui();
void setUi(Ui* u);

// Keeps every message, for tests and unattended runs.
class RecordingUi : public Ui {
 public:
  void message(std::string_view text, std::string_view caption) override {
    messages.emplace_back(std::string(text), std::string(caption));
  }
  void sound(std::string_view file, int) override { sounds.emplace_back(file); }
  void printerSetup() override { ++printerSetups; }
  int printerSetups = 0;
  ErrorChoice errorDialog(const ErrorDialogContent& content) override {
    errors.push_back(content);
    return errorChoice;
  }
  int openDialogs() const override { return dialogsOpen; }
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<std::string> sounds;
  std::vector<ErrorDialogContent> errors;
  ErrorChoice errorChoice = ErrorChoice::Quit;
  int dialogsOpen = 0;
};

}  // namespace platform
