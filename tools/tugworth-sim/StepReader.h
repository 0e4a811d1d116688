// Reading what happens after launch: the steps, and the answers given to alerts (which may
// hold steps of their own).
#pragma once

#include <cstdint>
#include <vector>

#include "DeclarationReader.h"
#include "JsonReading.h"
#include "Scenario.h"

namespace tugworth::scenario {

class StepReader {
public:
    // Window and process references go to `declarations`, to be checked at the end.
    explicit StepReader(DeclarationReader& declarations) : declarations_(declarations) {}

    std::vector<Step> readSteps(const Node& node, bool topLevel);
    AlertAnswer readAlertAnswer(const Node& node);

private:
    Step readStep(const Node& node, bool topLevel);
    static std::uint64_t readModifiers(const Node& node);
    SetWindowStep readSetWindow(const Node& node);
    SetAppStep readSetApp(const Node& node);
    static PrefsStep readPrefs(const Node& node);

    DeclarationReader& declarations_;
};

}  // namespace tugworth::scenario
