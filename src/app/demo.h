// The built-in demo data set: a small Thai trading company with its master
// tables, report list, the current month's stock status and the report
// templates of the code lists.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace app {

// How much to write: months up to today, and stock movements per month
// (0: a few per product).
struct DemoSize {
  int months = 3;
  int scale = 0;
};

// Writes the data set into `dir` (the data-set folders are V:\ paths; map V:
// to `dir` with VEK_DRIVE_V). Scripts that run each report headless go to
// dir/scripts. The exit status.
int makeDemo(const std::string& dir, std::int32_t today, std::ostream& out, const DemoSize& size = {});

}  // namespace app
