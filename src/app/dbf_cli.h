// The administrator's table command: dump records or an index order, check
// an index against its table, rebuild an index.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

// vekrep dbf dump|check|reindex ...; returns the exit status.
int runDbfCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

void dumpRecords(const std::string& table, std::ostream& out);
void dumpOrder(const std::string& table, const std::string& ntx, const std::string& seeksFile, std::ostream& out);
// True when the index holds every record once, in order, with its key.
bool checkIndex(const std::string& table, const std::string& ntx, std::ostream& out);
bool reindex(const std::string& table, const std::string& ntx, const std::string& key, std::ostream& out);

}  // namespace app
