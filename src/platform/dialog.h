// A modal dialog described as data: the Parts' coordinates, labels, edit
// fields bound to memory variables with a picture and a validation that runs
// when the field is left, drop-downs, check boxes, tab pages, a status text,
// a progress display and buttons. A backend draws and runs it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

struct Control {
  enum class Kind { Label, Edit, ComboBox, CheckBox, Button, Status, Progress };
  Kind kind = Kind::Label;
  std::string text;      // caption or label (cp874; "&" marks the accelerator)
  int row = 0, col = 0, width = 0, height = 0;
  std::string variable;  // the memory variable of an edit, drop-down or check box
  std::string picture;   // "@!", "99/9999", "99/99/9999", a numeric picture ...
  std::function<bool()> valid;       // when the field is left; false keeps the focus
  std::vector<std::string> items;    // drop-down entries
  std::function<void()> action;      // button
  bool isDefault = false;            // Enter
  bool isCancel = false;             // Escape
  int page = 0;                      // tab page (0 when the dialog has none)
  bool enabled = true;
};

class Dialog {
 public:
  std::string title;
  int width = 0, height = 0;
  std::string font;
  std::vector<std::string> pages;  // tab page captions; empty: no tabs
  std::vector<Control> controls;
  std::function<void()> onInit;    // when the dialog has opened

  Control& add(Control c) {
    controls.push_back(std::move(c));
    return controls.back();
  }
  // Ends the modal loop with a result (buttons call it; Escape gives 0).
  void close(int result) {
    closed_ = true;
    result_ = result;
  }
  bool closed() const { return closed_; }
  int result() const { return result_; }
  void reopen() { closed_ = false; }

  // Finds a control by its variable or its caption (with or without "&").
  Control* find(const std::string& name);

 private:
  bool closed_ = false;
  int result_ = 0;
};

// The caption without its accelerator marks.
std::string plainCaption(const std::string& caption);

}  // namespace platform
