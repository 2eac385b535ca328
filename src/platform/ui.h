// What the program needs of a user interface. This first part holds the
// message box; dialogs, browse lists and the printer follow with the
// platform layer proper.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class Ui {
 public:
  virtual ~Ui() = default;
  // An information box with a caption; texts are cp874.
  virtual void message(std::string_view text, std::string_view caption) = 0;
  // Plays a wave file (flags as the sound routine passes them; 1 = asynchronous).
  virtual void sound(std::string_view file, int flags) { (void)file, (void)flags; }
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
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<std::string> sounds;
};

}  // namespace platform
