// A scenario of the simulated desktop, checked and ready to play: what the desktop holds at
// launch and what happens after it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/SettingsStorage.h"
#include "platform/Toolkit.h"
#include "platform/WindowServer.h"
#include "platform/sim/Model.h"

namespace tugworth::scenario {

// Window keys given in a declaration or a setWindow step, applied on top of a model.
using WindowPatch = std::function<void(sim::WindowModel&)>;

struct ProcessDeclaration {
    Pid pid = 0;
    std::optional<std::string> name;
    sim::AttributeOverrides app;
    std::vector<sim::WindowModel> windows;
};

struct Step;

struct AlertAnswer {
    int answer = kAlertFirstButtonReturn;
    std::vector<Step> steps;
};

enum class PrefsAction { Set, Save, Cancel, Close };

// The kinds of step, each holding only what it needs.
struct FlagsStep {
    std::uint64_t flags = 0;
    bool local = false;  // to the local monitors instead of the global ones
};
struct MoveStep {
    Point point;
    bool local = false;
};
struct DragStep {  // the pointer moves with a button held: no monitored event
    Point point;
};
struct PointerStep {  // the pointer is put somewhere, no event
    Point point;
    int afterReads = 0;  // > 0: it moves only after that many more readings of the pointer
};
struct TrustStep {
    bool trusted = true;
    int afterReads = 0;  // > 0: it changes only after that many more trust checks
};
struct CloseWindowStep {
    std::int64_t windowId = 0;
};
struct QuitStep {
    Pid pid = 0;
};
struct SetWindowStep {
    std::int64_t windowId = 0;
    WindowPatch patch;
};
struct SetAppStep {  // replaces the application element's attribute overrides
    Pid pid = 0;
    sim::AttributeOverrides attributes;
};
struct MenuStep {
    std::string action;
};
struct PrefsStep {
    PrefsAction action = PrefsAction::Save;
    std::vector<std::pair<std::string, Value>> values;  // for Set, in the order given
};
struct AlertStep {
    std::shared_ptr<AlertAnswer> answer;
};
struct RelaunchStep {};

struct Step {
    std::string path;  // e.g. "steps[3]", for messages while playing
    std::variant<FlagsStep, MoveStep, DragStep, PointerStep, TrustStep, CloseWindowStep, QuitStep,
                 SetWindowStep, SetAppStep, MenuStep, PrefsStep, AlertStep, RelaunchStep>
        action;

    bool isRelaunch() const { return std::holds_alternative<RelaunchStep>(action); }
};

struct Scenario {
    std::map<std::string, std::string, std::less<>> environment;
    Pid ownPid = 4242;
    bool trusted = true;
    std::vector<Screen> screens{{{0, 0, 1920, 1080}, {0, 0, 1920, 1055}}};
    Point pointer;
    SettingsMap settings;
    std::vector<std::string> images{"tugworth.iconset"};
    bool statusItemHasButton = true;
    bool finalStateDetail = false;  // adds status item counts and activations to the final state
    std::vector<ProcessDeclaration> processes;
    std::vector<std::int64_t> stacking;  // front-most first; may be partial
    std::optional<Value> windowList;     // replaces the derived list
    std::vector<AlertAnswer> alerts;
    std::vector<Step> steps;
};

}  // namespace tugworth::scenario
