#include "StepReader.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>

#include "app/SettingsKeys.h"
#include "platform/Events.h"

namespace tugworth::scenario {

AlertAnswer StepReader::readAlertAnswer(const Node& node) {
    requireObject(node, {"answer", "steps"});
    requireKey(node, "answer");
    AlertAnswer answer;
    answer.answer = readInt(node.child("answer"));
    if (node.has("steps")) answer.steps = readSteps(node.child("steps"), false);
    return answer;
}

std::vector<Step> StepReader::readSteps(const Node& node, bool topLevel) {
    requireArray(node);
    std::vector<Step> steps;
    for (std::size_t i = 0; i < node.json.size(); ++i)
        steps.push_back(readStep(node.at(i), topLevel));
    return steps;
}

Step StepReader::readStep(const Node& node, bool topLevel) {
    requireObject(node, {"flags", "move", "drag", "pointer", "trust", "closeWindow", "quit",
                         "setWindow", "menu", "prefs", "alert", "relaunch", "local"});
    std::string kind;
    for (const auto& [key, value] : node.json.items()) {
        if (key == "local") continue;
        if (!kind.empty())
            fail(node.path, "a step takes exactly one action, found " + inQuotes(kind) + " and " +
                                inQuotes(key));
        kind = key;
    }
    if (kind.empty()) fail(node.path, "a step needs an action");
    Step step;
    step.path = node.path;
    if (node.has("local")) {
        if (kind != "flags" && kind != "move")
            fail(node.childPath("local"), "only flags and move steps can be local");
        step.local = readBool(node.child("local"));
    }
    const Node arg = node.child(kind);
    if (kind == "flags") {
        step.kind = Step::Kind::Flags;
        step.flags = readModifiers(arg);
    } else if (kind == "move" || kind == "drag" || kind == "pointer") {
        step.kind = kind == "move"   ? Step::Kind::Move
                    : kind == "drag" ? Step::Kind::Drag
                                     : Step::Kind::Pointer;
        step.point = readPoint(arg);
    } else if (kind == "trust") {
        step.kind = Step::Kind::Trust;
        step.trusted = readBool(arg);
    } else if (kind == "closeWindow") {
        step.kind = Step::Kind::CloseWindow;
        step.windowId = readWindowId(arg);
        declarations_.noteWindowReference(arg.path, step.windowId);
    } else if (kind == "quit") {
        step.kind = Step::Kind::Quit;
        step.pid = readPid(arg);
        declarations_.noteProcessReference(arg.path, step.pid);
    } else if (kind == "setWindow") {
        readSetWindow(arg, step);
    } else if (kind == "menu") {
        step.kind = Step::Kind::Menu;
        step.action = readString(arg);
        if (step.action.empty()) fail(arg.path, "expected an action name");
    } else if (kind == "prefs") {
        readPrefs(arg, step);
    } else if (kind == "alert") {
        step.kind = Step::Kind::Alert;
        step.alert = std::make_shared<AlertAnswer>(readAlertAnswer(arg));
    } else {
        step.kind = Step::Kind::Relaunch;
        if (!readBool(arg)) fail(arg.path, "expected true");
        if (!topLevel) fail(arg.path, "a relaunch cannot happen inside an alert");
    }
    return step;
}

std::uint64_t StepReader::readModifiers(const Node& node) {
    static constexpr std::array<std::pair<std::string_view, std::uint64_t>, 8> kNames{{
        {"CapsLock", kModifierCapsLock},
        {"Shift", kModifierShift},
        {"Control", kModifierControl},
        {"Option", kModifierOption},
        {"Command", kModifierCommand},
        {"NumericPad", kModifierNumericPad},
        {"Help", kModifierHelp},
        {"Function", kModifierFunction},
    }};
    if (!node.json.is_array()) wrongKind(node, "an array of modifier names");
    std::uint64_t flags = 0;
    for (std::size_t i = 0; i < node.json.size(); ++i) {
        const std::string name = readString(node.at(i));
        bool known = false;
        for (const auto& [modifier, bit] : kNames) {
            if (modifier != name) continue;
            flags |= bit;
            known = true;
        }
        if (!known) fail(node.path, "unknown modifier " + inQuotes(name));
    }
    return flags;
}

void StepReader::readSetWindow(const Node& node, Step& step) {
    requireObject(node, DeclarationReader::windowKeys());
    requireKey(node, "id");
    step.kind = Step::Kind::SetWindow;
    step.windowId = readWindowId(node.child("id"));
    const auto owner = declarations_.ownerOf(step.windowId);
    if (!owner) fail(node.childPath("id"), DeclarationReader::unknownWindow(step.windowId));
    step.patch = declarations_.readWindowPatch(node, *owner);
}

void StepReader::readPrefs(const Node& node, Step& step) {
    step.kind = Step::Kind::Prefs;
    if (node.json.is_string()) {
        const std::string what = node.json.get<std::string>();
        if (what == "save")
            step.prefs = PrefsAction::Save;
        else if (what == "cancel")
            step.prefs = PrefsAction::Cancel;
        else if (what == "close")
            step.prefs = PrefsAction::Close;
        else
            fail(node.path, "expected \"save\", \"cancel\", \"close\" or {\"set\": {...}}");
        return;
    }
    requireObject(node, {"set"});
    requireKey(node, "set");
    const Node set = node.child("set");
    if (!set.json.is_object()) wrongKind(set, "an object");
    step.prefs = PrefsAction::Set;
    for (const auto& [key, value] : set.json.items()) {
        const Node control = set.child(key);
        const settings::Setting* setting = settings::findInPreferencesWindow(key);
        if (setting != nullptr && setting->kind == settings::Kind::Text) {
            step.prefsValues.emplace_back(key, Value(readString(control)));
        } else if (setting != nullptr) {
            step.prefsValues.emplace_back(key, Value(readBool(control)));
        } else {
            fail(control.path, "no control of the preferences window is bound to " + inQuotes(key));
        }
    }
}

}  // namespace tugworth::scenario
