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
    requireObject(node,
                  {"flags", "move", "drag", "pointer", "trust", "closeWindow", "quit", "setWindow",
                   "setApp", "menu", "prefs", "alert", "relaunch", "local", "afterReads"});
    std::string kind;
    for (const auto& [key, value] : node.json.items()) {
        if (key == "local" || key == "afterReads") continue;
        if (!kind.empty())
            fail(node.path, "a step takes exactly one action, found " + inQuotes(kind) + " and " +
                                inQuotes(key));
        kind = key;
    }
    if (kind.empty()) fail(node.path, "a step needs an action");
    Step step;
    step.path = node.path;
    bool local = false;
    if (node.has("local")) {
        if (kind != "flags" && kind != "move")
            fail(node.childPath("local"), "only flags and move steps can be local");
        local = readBool(node.child("local"));
    }
    int afterReads = 0;
    if (node.has("afterReads")) {
        if (kind != "trust" && kind != "pointer")
            fail(node.childPath("afterReads"), "only trust and pointer steps can wait for reads");
        afterReads = static_cast<int>(readInteger(node.child("afterReads"), 1, 1000));
    }
    const Node arg = node.child(kind);
    if (kind == "flags") {
        step.action = FlagsStep{readModifiers(arg), local};
    } else if (kind == "move") {
        step.action = MoveStep{readPoint(arg), local};
    } else if (kind == "drag") {
        step.action = DragStep{readPoint(arg)};
    } else if (kind == "pointer") {
        step.action = PointerStep{readPoint(arg), afterReads};
    } else if (kind == "trust") {
        step.action = TrustStep{readBool(arg), afterReads};
    } else if (kind == "closeWindow") {
        const std::int64_t id = readWindowId(arg);
        declarations_.noteWindowReference(arg.path, id);
        step.action = CloseWindowStep{id};
    } else if (kind == "quit") {
        const Pid pid = readPid(arg);
        declarations_.noteProcessReference(arg.path, pid);
        step.action = QuitStep{pid};
    } else if (kind == "setWindow") {
        step.action = readSetWindow(arg);
    } else if (kind == "setApp") {
        step.action = readSetApp(arg);
    } else if (kind == "menu") {
        std::string action = readString(arg);
        if (action.empty()) fail(arg.path, "expected an action name");
        step.action = MenuStep{std::move(action)};
    } else if (kind == "prefs") {
        step.action = readPrefs(arg);
    } else if (kind == "alert") {
        step.action = AlertStep{std::make_shared<AlertAnswer>(readAlertAnswer(arg))};
    } else {
        if (!readBool(arg)) fail(arg.path, "expected true");
        if (!topLevel) fail(arg.path, "a relaunch cannot happen inside an alert");
        step.action = RelaunchStep{};
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

SetWindowStep StepReader::readSetWindow(const Node& node) {
    requireObject(node, DeclarationReader::windowKeys());
    requireKey(node, "id");
    const std::int64_t id = readWindowId(node.child("id"));
    const auto owner = declarations_.ownerOf(id);
    if (!owner) fail(node.childPath("id"), DeclarationReader::unknownWindow(id));
    return {id, declarations_.readWindowPatch(node, *owner)};
}

SetAppStep StepReader::readSetApp(const Node& node) {
    requireObject(node, {"pid", "attributes"});
    requireKey(node, "pid");
    requireKey(node, "attributes");
    const Pid pid = readPid(node.child("pid"));
    declarations_.noteProcessReference(node.childPath("pid"), pid);
    return {pid, declarations_.readOverrides(node.child("attributes"), pid)};
}

PrefsStep StepReader::readPrefs(const Node& node) {
    PrefsStep step;
    if (node.json.is_string()) {
        const std::string what = node.json.get<std::string>();
        if (what == "save")
            step.action = PrefsAction::Save;
        else if (what == "cancel")
            step.action = PrefsAction::Cancel;
        else if (what == "close")
            step.action = PrefsAction::Close;
        else
            fail(node.path, "expected \"save\", \"cancel\", \"close\" or {\"set\": {...}}");
        return step;
    }
    requireObject(node, {"set"});
    requireKey(node, "set");
    const Node set = node.child("set");
    if (!set.json.is_object()) wrongKind(set, "an object");
    step.action = PrefsAction::Set;
    for (const auto& [key, value] : set.json.items()) {
        const Node control = set.child(key);
        const settings::Setting* setting = settings::findInPreferencesWindow(key);
        if (setting != nullptr && setting->kind == settings::Kind::Text) {
            step.values.emplace_back(key, Value(readString(control)));
        } else if (setting != nullptr) {
            step.values.emplace_back(key, Value(readBool(control)));
        } else {
            fail(control.path, "no control of the preferences window is bound to " + inQuotes(key));
        }
    }
    return step;
}

}  // namespace tugworth::scenario
