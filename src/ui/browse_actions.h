// Lists over work areas and the list actions every list of the program
// shares: first and last record, forward search, the deleted-row colour.
#pragma once

#include <memory>
#include <string>

#include "platform/dialog.h"

namespace rdd {
class Area;
}

namespace ui {

// A browse over a work area, in its current order; deleted rows are red.
std::shared_ptr<platform::Browse> browseOf(rdd::Area* area);

// Positions a list: 0 first record, 1 last record; then refreshes it.
void CGOTOP(platform::Browse& list, int where);
// Action 1 first, 2 last, 3 forward search of `text` in the upper-cased value
// of `expression` (evaluated by name); at end of file the list stays and
// "ไม่พบข้อความที่ระบุ" is shown.
bool SACTION(platform::Browse& list, int action, const std::string& text, const std::string& expression);
// The text colour of a row: 255 (red) for a deleted record, 0 otherwise.
int SELCOLOR(bool deleted);

}  // namespace ui
