// Dates as Julian day numbers (0 = the empty date) and their text forms
// under the SET DATE format and epoch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

struct DateParts {
  int year = 0, month = 0, day = 0;
};

std::int32_t encodeDate(int year, int month, int day);  // 0 when invalid
DateParts decodeDate(std::int32_t julian);             // zeros for the empty date
int daysInMonth(int year, int month);
int dayOfWeek(std::int32_t julian);  // 1 = Sunday; 0 for the empty date

struct DateSettings {
  std::string format = "dd/mm/yyyy";  // SET DATE BRITISH with SET CENTURY ON
  int epoch = 1970;
};

std::string dateToText(std::int32_t julian, const DateSettings& s);  // DTOC
std::int32_t textToDate(std::string_view text, const DateSettings& s); // CTOD
std::string dateToSortable(std::int32_t julian);                       // DTOS
std::int32_t sortableToDate(std::string_view text);                    // STOD

const char* englishMonthName(int month);  // CMONTH
const char* englishDayName(int dow);      // CDOW

}  // namespace xbase
