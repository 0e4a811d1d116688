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

struct Step {
    enum class Kind {
        Flags,
        Move,
        Drag,
        Pointer,
        Trust,
        CloseWindow,
        Quit,
        SetWindow,
        Menu,
        Prefs,
        Alert,
        Relaunch
    };

    Kind kind = Kind::Flags;
    std::string path;  // e.g. "steps[3]", for messages while playing
    std::uint64_t flags = 0;
    bool local = false;
    Point point;
    bool trusted = true;
    std::int64_t windowId = 0;  // closeWindow, setWindow
    Pid pid = 0;                // quit
    WindowPatch patch;          // setWindow
    std::string action;         // menu
    PrefsAction prefs = PrefsAction::Save;
    std::vector<std::pair<std::string, Value>> prefsValues;  // in the order given
    std::shared_ptr<AlertAnswer> alert;
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
    std::vector<ProcessDeclaration> processes;
    std::vector<std::int64_t> stacking;  // front-most first; may be partial
    std::optional<Value> windowList;     // replaces the derived list
    std::vector<AlertAnswer> alerts;
    std::vector<Step> steps;
};

}  // namespace tugworth::scenario
