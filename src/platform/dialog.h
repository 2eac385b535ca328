// A modal dialog described as data: the layout's coordinates, labels, edit
// fields bound to memory variables with a picture and a validation that runs
// when the field is left, drop-downs, check boxes, tab pages, a status text,
// a progress display and buttons. A backend draws and runs it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A browse list over a work area: its columns, colour rules, navigation and
// the actions of keys and of the mouse ("Enter", "Escape", "F2", "DblClick" ...).
struct BrowseColumn {
  std::string heading;
  std::function<std::string()> text;  // the cell of the current record (cp874)
  int width = 0;
  char align = 'L';  // L, R or C
};

enum class RowColour { Normal, Deleted, Focused };

struct Browse {
  std::vector<BrowseColumn> columns;
  std::function<void()> goTop;
  std::function<void()> goBottom;
  std::function<long(long)> skip;          // moves up to n rows; the rows moved
  std::function<bool()> atEnd;             // past the last row
  std::function<RowColour()> colour;       // the rule for the current row
  std::string background;                  // "silver" where the layout gives one
  std::map<std::string, std::function<void()>> keys;
  long row = 1;                            // the focused row, counted from the top
  std::function<void()> refresh;           // set by the backend: redraw after the data changed
};

struct Control {
  enum class Kind { Label, Edit, ComboBox, CheckBox, Button, Status, Progress, List };
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
  std::shared_ptr<Browse> browse;    // a List control's browse
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
  Control& label(std::string text, int row, int col, int width = 0, int height = 0) {
    return add(make(Control::Kind::Label, std::move(text), row, col, width, height));
  }
  Control& edit(std::string variable, int row, int col, int width, int height, std::string picture = "",
                std::function<bool()> valid = nullptr) {
    Control& c = add(make(Control::Kind::Edit, "", row, col, width, height));
    c.variable = std::move(variable);
    c.picture = std::move(picture);
    c.valid = std::move(valid);
    return c;
  }
  Control& button(std::string caption, int row, int col, int width, int height, std::function<void()> action) {
    Control& c = add(make(Control::Kind::Button, std::move(caption), row, col, width, height));
    c.action = std::move(action);
    return c;
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
  static Control make(Control::Kind kind, std::string text, int row, int col, int width, int height) {
    Control c;
    c.kind = kind;
    c.text = std::move(text);
    c.row = row;
    c.col = col;
    c.width = width;
    c.height = height;
    return c;
  }
  bool closed_ = false;
  int result_ = 0;
};

// The caption without its accelerator marks.
std::string plainCaption(const std::string& caption);

// What an edit field shows of its memory variable, and what typing TEXT
// (cp874) into it does: the text becomes the variable's type (a text field
// keeps its width, "!" in the picture makes it upper case), then the
// field's validation runs. False: refused, the field keeps the focus.
std::string editText(const Control& c);
bool typeInto(const Control& c, const std::string& text);

}  // namespace platform
