#include "platform/clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "xbase/dates.h"
#include "xbase/runtime.h"

namespace platform {

namespace {

int secondsOf(const std::string& hhmmss) {
  int h = 0, m = 0, s = 0;
  std::sscanf(hhmmss.c_str(), "%d:%d:%d", &h, &m, &s);
  return h * 3600 + m * 60 + s;
}

void trySystemClock(long shiftSeconds) {
  const char* allow = std::getenv("VEK_SET_SYSTEM_CLOCK");
  if (!allow || std::string(allow) != "1") return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  now.tv_sec += shiftSeconds;
  clock_settime(CLOCK_REALTIME, &now);  // refused without the right: the program's clock still moves
}

}  // namespace

void setClockDate(std::int32_t julian) {
  xbase::Runtime& r = xbase::rt();
  std::int32_t shift = julian - r.today();
  auto previous = r.today;
  r.today = [previous, shift] { return previous() + shift; };
  trySystemClock(long(shift) * 86400);
}

bool setClockTime(int hours, int minutes, int seconds) {
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) return false;
  xbase::Runtime& r = xbase::rt();
  int shift = hours * 3600 + minutes * 60 + seconds - secondsOf(r.timeOfDay());
  auto previous = r.timeOfDay;
  r.timeOfDay = [previous, shift] {
    int t = ((secondsOf(previous()) + shift) % 86400 + 86400) % 86400;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t / 3600, (t / 60) % 60, t % 60);
    return std::string(buf);
  };
  trySystemClock(shift);
  return true;
}

}  // namespace platform
