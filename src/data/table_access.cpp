#include "data/table_access.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/file.h"
#include "xbase/cp874.h"
#include "xbase/error.h"
#include "xbase/library.h"

namespace data {

using xbase::operator""_th;

namespace {

const std::string kOpenCaption(std::string("  ส่วนการเปิดแฟ้ม"_th));

double secondsOfDay() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  double frac = std::chrono::duration<double>(now.time_since_epoch()).count();
  frac -= std::floor(frac);
  return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + frac;
}

// The retry frame: a wait of 0 seconds has no limit; elapsed time is the
// absolute difference of two times of day, so a wait over midnight ends too.
template <class Attempt>
bool retry(double seconds, Attempt attempt, bool firstAtOnce) {
  if (firstAtOnce && attempt()) return true;
  double start = secondsOfDay();
  while (seconds == 0 || seconds - std::fabs(secondsOfDay() - start) > 0) {
    if (attempt()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // yield to the station holding it
  }
  return false;
}

rdd::Area* current() { return areas().selected(); }


}  // namespace

rdd::Areas& areas() {
  xbase::Runtime& r = xbase::rt();
  if (!r.areas) {
    static rdd::Areas fallback;
    r.areas = &fallback;
  }
  return *static_cast<rdd::Areas*>(r.areas);
}

bool NET_USE(const std::string& file, bool exclusive, double seconds, const std::string& alias) {
  return retry(
      seconds,
      [&] {
        try {
          // An open that another station prevents gives null (the handler
          // settles it as a network error) or throws when no handler runs.
          return areas().use(file + ".DBF", alias, exclusive ? rdd::OpenMode::Exclusive : rdd::OpenMode::Shared,
                             false) != nullptr;
        } catch (const xbase::ErrorException& e) {
          const xbase::Error& x = e.error();
          if (x.genCode == xbase::EG_OPEN && (x.osCode == rdd::kOsSharingViolation || x.osCode == rdd::kOsAccessDenied))
            return false;
          throw;
        }
      },
      false);
}

bool OPEN(const std::string& path, const std::string& table, const std::string& key, bool exclusive,
          const std::string& display, const std::string& indexName, const std::string& aliasIn) {
  std::string alias = aliasIn.empty() ? table : aliasIn;
  rdd::Areas& a = areas();
  if (rdd::Area* open = a.area(alias)) a.close(open->number());
  std::string file = path + table;
  std::string index = path + indexName;
  auto releaseAll = [&] {
    for (int n = 1; n < 256; ++n)
      if (rdd::Area* x = a.area(n)) x->table().unlockAll();
  };
  if (!rdd::fileExists(file + ".DBF")) {
    platform::ui().message(std::string("ไม่พบแฟ้ม "_th) + display, kOpenCaption);
    releaseAll();
    return false;
  }
  a.select(a.freeArea());
  if (!NET_USE(file, exclusive, 20, alias)) {
    platform::ui().message(std::string("ไม่สามารถเปิดแฟ้ม "_th) + display, kOpenCaption);
    releaseAll();
    return false;
  }
  rdd::Area* area = a.selected();
  area->clearOrders();
  bool ok = (!rdd::fileExists(index + ".NTX") || exclusive) ? area->createOrder(index + ".NTX", key)
                                                            : area->addOrder(index + ".NTX");
  releaseAll();
  if (!ok) return false;
  area->setOrder(1);
  area->goTop();
  a.select(area->number());
  return true;
}

bool FIL_LOCK(double seconds) {
  rdd::Area* a = current();
  if (!a) return false;
  return retry(seconds, [&] { return a->table().lockFile(); }, true);
}

bool REC_LOCK(double seconds) {
  rdd::Area* a = current();
  if (!a) return false;
  return retry(
      seconds, [&] { return a->table().lockRecord(a->recNo()) && a->table().lockFile(); }, true);
}

bool ADD_REC(double seconds) {
  rdd::Area* a = current();
  if (!a) return false;
  return retry(
      seconds,
      [&] {
        try {
          return a->append() != 0;
        } catch (const xbase::ErrorException& e) {
          if (e.error().genCode == xbase::EG_APPENDLOCK) return false;
          throw;
        }
      },
      true);
}

bool OPENPROD() {
  rdd::Areas& a = areas();
  if (rdd::Area* p = a.area("PRODUCT")) {
    a.select(p->number());
    return true;
  }
  xbase::Value* drv = xbase::rt().memvars.lookup("CDRV1");
  std::string folder = drv && drv->isChar() ? drv->s : std::string();
  auto releaseAll = [&] {
    for (int n = 1; n < 256; ++n)
      if (rdd::Area* x = a.area(n)) x->table().unlockAll();
  };
  if (!rdd::fileExists(folder + "PRODUCT.DBF")) {
    platform::ui().message("ไม่พบแฟ้มรหัสสินค้า"_th, kOpenCaption);
    releaseAll();
    return false;
  }
  a.select(a.freeArea());
  if (!NET_USE(folder + "PRODUCT", false, 10, "PRODUCT")) {
    platform::ui().message("ไม่สามารถเปิดแฟ้มรหัสสินค้า"_th, kOpenCaption);
    releaseAll();
    return false;
  }
  rdd::Area* p = a.selected();
  const char* files[] = {"PRODUCT", "PRODUCT1", "PRODUCT2"};
  const char* keys[] = {"product->code", "product->code2", "product->Barcode"};
  for (int i = 0; i < 3; ++i) {
    std::string ntx = folder + files[i] + ".NTX";
    bool ok = rdd::fileExists(ntx) ? p->addOrder(ntx) : p->createOrder(ntx, keys[i]);
    if (!ok) {
      releaseAll();
      return false;
    }
  }
  p->setOrder(1);
  p->goTop();
  releaseAll();
  a.select(p->number());
  return true;
}

bool E_SEEK(const std::string& prefix) {
  rdd::Area* a = current();
  if (!a) return true;
  if (!prefix.empty()) {
    std::string key = prefix;
    key.back() = char(static_cast<unsigned char>(key.back()) + 1);
    a->seek(xbase::Value::chr(key), true);
  } else {
    a->goBottom();
    a->skip(1);
  }
  return true;
}

void registerTableFunctions(xbase::Runtime& r) {
  using xbase::Args;
  using xbase::Value;
  auto text = [](Args a, std::size_t i) { return xbase::arg(a, i).isChar() ? xbase::arg(a, i).s : std::string(); };
  auto number = [](Args a, std::size_t i) { return xbase::arg(a, i).isNum() ? xbase::arg(a, i).n : 0.0; };
  r.registerFunction("OPEN", [=](Args a) {
    return Value::logical(OPEN(text(a, 0), text(a, 1), text(a, 2), xbase::arg(a, 3).isLogical() && xbase::arg(a, 3).b,
                               text(a, 4), text(a, 5), text(a, 6)));
  });
  r.registerFunction("NET_USE", [=](Args a) {
    return Value::logical(
        NET_USE(text(a, 0), xbase::arg(a, 1).isLogical() && xbase::arg(a, 1).b, number(a, 2), text(a, 3)));
  });
  r.registerFunction("FIL_LOCK", [=](Args a) { return Value::logical(FIL_LOCK(number(a, 0))); });
  r.registerFunction("REC_LOCK", [=](Args a) { return Value::logical(REC_LOCK(number(a, 0))); });
  r.registerFunction("ADD_REC", [=](Args a) { return Value::logical(ADD_REC(number(a, 0))); });
  r.registerFunction("OPENPROD", [](Args) { return Value::logical(OPENPROD()); });
  r.registerFunction("E_SEEK", [=](Args a) { return Value::logical(E_SEEK(text(a, 0))); });
}

}  // namespace data
