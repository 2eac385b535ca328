// The work-table builds of the generic reports: the frame (work file, month
// loop, progress, failures) and the stock kinds.
#pragma once

namespace engine {

// Builds the work table "RepData" for the report code; false when it stopped.
bool REPFCREATE();

}  // namespace engine
