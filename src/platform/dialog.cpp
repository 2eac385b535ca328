#include "platform/dialog.h"

#include "xbase/cp874.h"

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

}  // namespace platform
