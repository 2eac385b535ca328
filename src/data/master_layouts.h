// The layouts of the suite's master tables, written down once: the demo
// data generator creates them and the readers' tests use them.
#pragma once

#include <string>
#include <vector>

#include "rdd/dbf.h"

namespace data {

struct MasterLayout {
  std::string table;  // file name without extension
  std::vector<rdd::FieldDef> fields;
};

const std::vector<MasterLayout>& masterLayouts();
const MasterLayout* masterLayout(const std::string& table);

}  // namespace data
