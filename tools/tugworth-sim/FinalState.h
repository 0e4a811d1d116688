// The state of the simulated desktop and of the program at the end of a run, as JSON.
#pragma once

#include <nlohmann/json.hpp>

#include "platform/sim/Desktop.h"

namespace tugworth::scenario {

// Reads the program's delegate too: call it while the delegate still lives. `detail` adds how
// many status items are in the menu bar and were removed, and how often the program activated
// itself.
nlohmann::ordered_json captureFinalState(sim::Desktop& desktop, bool detail);

}  // namespace tugworth::scenario
