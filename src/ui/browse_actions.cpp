#include "ui/browse_actions.h"

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/expr.h"

namespace ui {

using xbase::operator""_th;

std::shared_ptr<platform::Browse> browseOf(rdd::Area* area) {
  auto b = std::make_shared<platform::Browse>();
  b->goTop = [area] { area->goTop(); };
  b->goBottom = [area] { area->goBottom(); };
  b->skip = [area](long n) {
    long moved = 0;
    while (moved != n) {
      long before = area->recNo();
      area->skip(n > 0 ? 1 : -1);
      if (area->eof() || area->bof() || area->recNo() == before) {
        if (area->eof() && n > 0) area->goBottom();
        break;
      }
      moved += n > 0 ? 1 : -1;
    }
    return moved;
  };
  b->atEnd = [area] { return area->eof(); };
  b->colour = [area] { return area->deleted() ? platform::RowColour::Deleted : platform::RowColour::Normal; };
  return b;
}

void CGOTOP(platform::Browse& list, int where) {
  if (where == 0 && list.goTop) list.goTop();
  if (where == 1 && list.goBottom) list.goBottom();
  if (list.refresh) list.refresh();
}

bool SACTION(platform::Browse& list, int action, const std::string& text, const std::string& expression) {
  if (action == 1 || action == 2) {
    CGOTOP(list, action == 1 ? 0 : 1);
    return true;
  }
  if (action == 3) {
    std::string want = xbase::upper(text);
    while (!want.empty() && want.back() == ' ') want.pop_back();
    std::size_t b = want.find_first_not_of(' ');
    want = b == std::string::npos ? std::string() : want.substr(b);
    auto* areas = &data::areas();
    rdd::Area* area = areas->selected();
    auto e = xbase::compile(expression);
    if (area && e) {
      long start = area->recNo();
      bool found = false;
      for (area->skip(1); !area->eof(); area->skip(1)) {
        xbase::Value v = e->eval();
        if (v.isChar() && xbase::upper(v.s).find(want) != std::string::npos) {
          found = true;
          break;
        }
      }
      if (!found) {
        area->goTo(start);
        platform::ui().message("ไม่พบข้อความที่ระบุ"_th, "  ส่วนค้นหาข้อมูล"_th);
      }
    }
  }
  if (list.refresh) list.refresh();
  return true;
}

int SELCOLOR(bool deleted) { return deleted ? 255 : 0; }

}  // namespace ui
