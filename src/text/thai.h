// Thai text, number and date helpers: amounts in words, setting-dependent
// rounding, quarter rounding, chained discounts, fixed-width number texts,
// Thai month names and Buddhist-era dates, month boundaries, field splitting.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/runtime.h"

namespace text {

std::string BAHT(double amount);
double XROUND(double value, int decimals);
double STANG(double value);
double DISC(double gross, const std::string& discount);
std::string ZERO(double number, int width);
std::string MAINFORM(double number, int width, int decimals = 0);
std::string MONTHNAME(int month);
std::string BCYEAR(std::int32_t date);
std::int32_t FIRSTDAY(std::int32_t date);
std::int32_t LASTDAY(std::int32_t date);
xbase::Value SPLIT(const std::string& text, int field, const std::string& separator = ",",
                   const std::string& type = "N");
std::string REFNAME(const std::string& docNo, const std::string& list, const std::string& newRef);
bool EQCHECK(const std::string& message, double a, double b, bool skip);
bool TSOUND(int number, int flags = 1);
// The dialog that sets the date and the time.
void DTSET2();

// Makes every helper callable by name from template expressions.
void registerThaiFunctions(xbase::Runtime& r);

}  // namespace text
