#include "platform/dialog.h"

#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace platform {

std::string plainCaption(const std::string& caption) {
  std::string out;
  for (char c : caption)
    if (c != '&') out += c;
  return out;
}

Control* Dialog::find(const std::string& name) {
  std::string want = xbase::upper(plainCaption(name));
  for (Control& c : controls)
    if ((!c.variable.empty() && xbase::upper(c.variable) == want) || xbase::upper(plainCaption(c.text)) == want)
      return &c;
  return nullptr;
}

std::string editText(const Control& c) {
  const xbase::Value* v = xbase::rt().memvars.lookup(c.variable);
  if (!v) return std::string();
  if (v->isDate()) return xbase::dateToText(v->date, xbase::rt().set.dates);
  if (v->isLogical()) return v->b ? "T" : "F";
  if (v->isNum()) {
    bool numeric = !c.picture.empty() && c.picture.find_first_of("9#") != std::string::npos && c.picture[0] != '@';
    std::string t = numeric ? xbase::transform(*v, c.picture, xbase::rt().set.dates) : xbase::formatNumber(*v);
    std::size_t b = t.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : t.substr(b);
  }
  if (!v->isChar()) return std::string();
  std::string t = v->s;
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return t;
}

bool typeInto(const Control& c, const std::string& text) {
  std::string typed = text;
  if (c.picture.find('!') != std::string::npos) typed = xbase::upper(typed);
  xbase::Value* var = xbase::rt().memvars.lookup(c.variable);
  xbase::Value v;
  if (var && var->isNum()) {
    std::string digits;
    for (char ch : typed)
      if (ch != ',') digits += ch;  // a numeric picture's thousands separators
    v = xbase::parseNumber(digits);
  } else if (var && var->isDate()) {
    v = xbase::Value::dateValue(xbase::textToDate(typed, xbase::rt().set.dates));
  } else if (var && var->isLogical()) {
    v = xbase::Value::logical(!typed.empty() && (xbase::upperAscii(typed[0]) == 'T' || xbase::upperAscii(typed[0]) == 'Y'));
  } else {
    // A text field keeps its width.
    if (var && var->isChar() && !var->s.empty()) typed.resize(var->s.size(), ' ');
    v = xbase::Value::chr(typed);
  }
  xbase::rt().memvars.assign(c.variable, v, xbase::rt().depth());
  return !c.valid || c.valid();
}

}  // namespace platform
