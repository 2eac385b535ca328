// The program's clock: today's date and the time of day come from here.
// Setting it moves the program's own clock; the computer's clock is set too
// only when VEK_SET_SYSTEM_CLOCK=1 and the process is allowed to.
#pragma once

#include <cstdint>

namespace platform {

void setClockDate(std::int32_t julian);
// False for a time that does not exist.
bool setClockTime(int hours, int minutes, int seconds);

}  // namespace platform
