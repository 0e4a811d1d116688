// Reading a scenario: the JSON text checked against every rule of the format before anything
// runs. A fault names the JSON path where it was found.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "Scenario.h"
#include "platform/LogFormat.h"

namespace tugworth::scenario {

struct ScenarioFault {
    std::string path;  // "steps[3].flags"; "scenario" for the document as a whole
    std::string message;

    // The one line written to standard error. Keys and parse errors quote the file, so
    // control characters and bytes that are not UTF-8 are escaped.
    std::string text() const { return escapeForLog(path + ": " + message); }
};

std::variant<Scenario, ScenarioFault> parseScenario(std::string_view json);

}  // namespace tugworth::scenario
