// Reading a scenario: the document's top-level keys, each handed to the reader of its part.
#include "ScenarioParser.h"

#include "DeclarationReader.h"
#include "JsonReading.h"
#include "StepReader.h"

namespace tugworth::scenario {

namespace {

// Everything read from the document, and the references checked once all is known.
Scenario readScenario(const Json& root) {
    const Node top{root, ""};
    requireObject(top, {"environment", "ownPid", "trusted", "screens", "pointer", "settings",
                        "images", "statusItemHasButton", "processes", "stacking", "windowList",
                        "alerts", "steps", "finalStateDetail"});
    DeclarationReader declarations;
    StepReader steps(declarations);
    Scenario s;
    const auto given = [&top](std::string_view key, const auto& read) {
        if (top.has(key)) read(top.child(key));
    };
    given("environment",
          [&](const Node& n) { s.environment = DeclarationReader::readEnvironment(n); });
    given("ownPid", [&](const Node& n) { s.ownPid = readPid(n); });
    given("trusted", [&](const Node& n) { s.trusted = readBool(n); });
    given("screens", [&](const Node& n) { s.screens = DeclarationReader::readScreens(n); });
    given("pointer", [&](const Node& n) { s.pointer = readPoint(n); });
    given("settings", [&](const Node& n) { s.settings = DeclarationReader::readSettings(n); });
    given("images", [&](const Node& n) { s.images = readStrings(n); });
    given("statusItemHasButton", [&](const Node& n) { s.statusItemHasButton = readBool(n); });
    given("finalStateDetail", [&](const Node& n) { s.finalStateDetail = readBool(n); });
    given("processes", [&](const Node& n) { s.processes = declarations.readProcesses(n); });
    given("stacking", [&](const Node& n) { s.stacking = declarations.readStacking(n); });
    given("windowList", [&](const Node& n) {
        requireArray(n);
        s.windowList = plainValue(n);
    });
    given("alerts", [&](const Node& n) {
        for (std::size_t i = 0; i < requireArray(n); ++i)
            s.alerts.push_back(steps.readAlertAnswer(n.at(i)));
    });
    given("steps", [&](const Node& n) { s.steps = steps.readSteps(n, true); });
    declarations.checkReferences();
    return s;
}

}  // namespace

std::variant<Scenario, ScenarioFault> parseScenario(std::string_view text) {
    try {
        const Json root = parseDocument(text);
        if (!root.is_object()) wrongKind({root, "scenario"}, "an object");
        return readScenario(root);
    } catch (const Fault& f) {
        return f.fault;
    }
}

}  // namespace tugworth::scenario
