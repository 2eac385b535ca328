// The report list and its selection dialog, the dispatch of a report code
// to its family, and the review browse shown before printing.
#pragma once

#include <functional>
#include <string>

#include "platform/dialog.h"

namespace startup {

// Report families register their entry routines by name ("IVTAX", "GETCOND" ...).
void registerFamily(const std::string& routine, std::function<void()> entry);

// The entry routine the dispatch table gives a report code; empty when the
// code falls into a family without a matching sub-case (nothing runs).
std::string dispatchRoutine(const std::string& code);
// Runs it; a family this program does not have says "ไม่มีรายงาน " + code.
void dispatch(const std::string& code);

bool REPSELECT();
bool REPBROW(const std::string& alias, const std::string& reportName);
void REPSEEK(platform::Browse* list, const std::string& alias, const std::string& text);

// Makes MAIN select and dispatch through the above.
void installReportSelection();

}  // namespace startup
