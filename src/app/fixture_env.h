// The environment in which the reference expression cases are evaluated:
// SET values, public variables and the RepData table they name.
#pragma once

#include <filesystem>
#include <memory>

#include "xbase/runtime.h"
#include "xbase/workarea.h"

namespace app {

class ReferenceEnvironment {
 public:
  // Sets up `r` (which must stay alive and current while this object lives).
  explicit ReferenceEnvironment(xbase::Runtime& r);
  ~ReferenceEnvironment();

 private:
  std::filesystem::path folder_;
  std::unique_ptr<xbase::WorkAreaSet> areas_;
};

}  // namespace app
