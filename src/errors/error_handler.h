// The run-time error handler: the silent classes, "Error.log", the error
// dialog, and the end of the program after a fatal error.
#pragma once

#include <string>

#include "xbase/error.h"
#include "xbase/runtime.h"

namespace errors {

// Installs ERRORDIALOG as the runtime's error hook (at program start).
void ERRORSYS();
xbase::ErrorOutcome ERRORDIALOG(xbase::Error& e);
// The one-line error text ("Error BASE/1081  Argument error: +").
std::string ERRORMESSAGE(const xbase::Error& e);
// One value as the log shows it.
std::string CGETINFO(const xbase::Value& v);
std::string GETCPU();
// The whole text of "Error.log" for an error (CR LF line ends).
std::string errorLogText(const xbase::Error& e);

// The network-error flag that the open and append retries test.
bool NETERR();
void setNetErr(bool on);

// Registers NETERR for expressions.
void registerErrorFunctions(xbase::Runtime& r);

}  // namespace errors
