// The rows every report condition dialog ends with: the status text, the
// progress display (bar or "Process = nn %" text in NACTUAL), and the
// buttons "การ&พิมพ์" (printer set-up), "&ตกลง" (runs `build`; the dialog
// closes with its result) and "&ยกเลิก". The result of `build` is kept in
// `accepted`.
#pragma once

#include <functional>
#include <string>

#include "platform/dialog.h"

namespace engine {

void addBuildRows(platform::Dialog& d, const std::string& status, int statusRow, std::function<bool()> build,
                  bool& accepted);

}  // namespace engine
