// The process entry of the report program: start parameters, date
// conventions, settings, data set and user, report list, shut-down.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace startup {

// The five positional start parameters; each may be absent.
using StartParameters = std::vector<std::optional<std::string>>;

// Report selection and dispatch (given the open report list "RepList");
// installed by the selection module.
void setReportSelection(std::function<void()> select);

// Runs one report program from start to shut-down; the exit status.
int MAIN(const StartParameters& params);

}  // namespace startup
