// Opening tables, locking and appending with silent retries: the only place
// where the program waits for another station.
#pragma once

#include <string>

#include "xbase/runtime.h"

namespace rdd {
class Areas;
}

namespace data {

// The work areas the program's tables live in (the runtime's work-area set).
rdd::Areas& areas();

bool OPEN(const std::string& path, const std::string& table, const std::string& key, bool exclusive,
          const std::string& display, const std::string& indexName, const std::string& alias = "");
bool NET_USE(const std::string& file, bool exclusive, double seconds, const std::string& alias = "");
bool FIL_LOCK(double seconds);
bool REC_LOCK(double seconds);
bool ADD_REC(double seconds);
bool OPENPROD();
bool E_SEEK(const std::string& prefix);

// Makes them callable by name from template expressions.
void registerTableFunctions(xbase::Runtime& r);

}  // namespace data
