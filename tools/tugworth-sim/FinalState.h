// The state of the simulated desktop and of the program at the end of a run, as JSON.
#pragma once

#include <nlohmann/json.hpp>

#include "platform/sim/Desktop.h"

namespace tugworth::scenario {

// Reads the program's delegate too: call it while the delegate still lives.
nlohmann::ordered_json captureFinalState(sim::Desktop& desktop);

}  // namespace tugworth::scenario
