// The headless backend: dialogs answered from a script, everything shown
// written to a transcript. Tests and unattended runs use it.
//
// Script lines (UTF-8; blank lines and lines starting with # are skipped):
//   type NAME TEXT        type into the edit field NAME (its variable or
//                         label) and leave it, so that its validation runs
//   tick NAME on|off      a check box
//   choose NAME ITEM      a drop-down entry, by its text or as #n
//   press CAPTION         a button, by its caption (the & may be left out)
//   enter | escape        the default button | the cancel button or Escape
//   answer yes|no         the next yes/no question
//   input TEXT | input-cancel   the next input box
//   error quit|retry|default    the next run-time error dialog
//   row N                 focus row N of the dialog's list (from the top)
//   key NAME              a key or mouse action of the list (Enter, DblClick, F2 ...)
#pragma once

#include <deque>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace platform {

// The script has no answer for what the program shows.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HeadlessUi : public Ui {
 public:
  void setScript(std::vector<std::string> lines);
  bool loadScript(const std::string& path);
  // The transcript is also written, line by line, to this file.
  bool setTranscriptFile(const std::string& path);
  const std::vector<std::string>& transcript() const { return transcript_; }
  void note(const std::string& utf8Line);

  void message(std::string_view text, std::string_view caption) override;
  void alert(std::string_view text, std::string_view caption) override;
  bool yesNo(std::string_view text, std::string_view caption) override;
  std::optional<std::string> input(std::string_view title, std::string_view label, std::string_view dflt) override;
  int run(Dialog& d) override;
  void sound(std::string_view file, int flags) override;
  void printerSetup() override { note("printer setup"); }
  ErrorChoice errorDialog(const ErrorDialogContent& content) override;
  int openDialogs() const override { return depth_; }

 private:
  std::string next(const std::string& waitingFor, const char* verb = nullptr);
  void apply(Dialog& d, const std::string& line);

  std::deque<std::string> script_;
  std::vector<std::string> transcript_;
  std::ofstream file_;
  int depth_ = 0;
};

}  // namespace platform
