#include "engine/build_dialog.h"

#include "platform/ui.h"
#include "xbase/cp874.h"

namespace engine {

using xbase::operator""_th;

void addBuildRows(platform::Dialog& d, const std::string& status, int statusRow, std::function<bool()> build,
                  bool& accepted) {
  d.label(status, statusRow, 10, 180, 12).kind = platform::Control::Kind::Status;
  platform::Control progress;
  progress.kind = platform::Control::Kind::Progress;
  progress.variable = "NACTUAL";
  progress.row = statusRow + 20;
  progress.col = 10;
  progress.width = 180;
  progress.height = 12;
  d.add(progress);
  int buttons = statusRow + 40;
  accepted = false;
  d.button(std::string("การ&พิมพ์"_th), buttons, 20, 40, 12, [] { platform::ui().printerSetup(); });
  d.button(std::string("&ตกลง"_th), buttons, 80, 40, 12, [&d, &accepted, build = std::move(build)] {
     accepted = build();
     d.close(accepted ? 1 : 0);
   }).isDefault = true;
  d.button(std::string("&ยกเลิก"_th), buttons, 140, 40, 12, [&d] { d.close(0); }).isCancel = true;
}

}  // namespace engine
