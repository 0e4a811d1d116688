#include "ScenarioParser.h"

#include <array>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "app/SettingsKeys.h"
#include "platform/AXNames.h"
#include "platform/Events.h"

namespace tugworth::scenario {

namespace {

using Json = nlohmann::ordered_json;

struct Fault {
    ScenarioFault fault;
};

[[noreturn]] void fail(std::string path, std::string message) {
    throw Fault{{path.empty() ? "scenario" : std::move(path), std::move(message)}};
}

std::string inQuotes(std::string_view text) {
    return Json(text).dump();
}

// A JSON value with the path that led to it.
struct Node {
    const Json& json;
    std::string path;

    Node child(std::string_view key) const {
        std::string p = path.empty() ? std::string(key) : path + "." + std::string(key);
        return {json.at(std::string(key)), std::move(p)};
    }
    Node at(std::size_t index) const {
        return {json.at(index), path + "[" + std::to_string(index) + "]"};
    }
    bool has(std::string_view key) const { return json.contains(std::string(key)); }
    std::string childPath(std::string_view key) const {
        return path.empty() ? std::string(key) : path + "." + std::string(key);
    }
};

const char* kindName(const Json& json) {
    switch (json.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return "a Boolean";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "an object";
        default:
            return "a number";
    }
}

[[noreturn]] void wrongKind(const Node& node, std::string_view expected) {
    fail(node.path, "expected " + std::string(expected) + ", found " + kindName(node.json));
}

void requireObject(const Node& node, const std::vector<std::string_view>& allowed) {
    if (!node.json.is_object()) wrongKind(node, "an object");
    for (const auto& [key, value] : node.json.items()) {
        bool known = false;
        for (std::string_view name : allowed) known = known || key == name;
        if (!known) fail(node.childPath(key), "unknown key");
    }
}

// The array's length; a fault for any other kind.
std::size_t requireArray(const Node& node) {
    if (!node.json.is_array()) wrongKind(node, "an array");
    return node.json.size();
}

void requireKey(const Node& node, std::string_view key) {
    if (!node.has(key)) fail(node.path, "missing key " + inQuotes(key));
}

bool readBool(const Node& node) {
    if (!node.json.is_boolean()) wrongKind(node, "a Boolean");
    return node.json.get<bool>();
}

std::string readString(const Node& node) {
    if (!node.json.is_string()) wrongKind(node, "a string");
    return node.json.get<std::string>();
}

std::int64_t readInteger(const Node& node, std::int64_t min, std::int64_t max) {
    if (node.json.is_number_unsigned()) {
        const auto v = node.json.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(max)) fail(node.path, "number out of range");
        return static_cast<std::int64_t>(v);
    }
    if (!node.json.is_number_integer()) wrongKind(node, "an integer");
    const auto v = node.json.get<std::int64_t>();
    if (v < min || v > max) fail(node.path, "number out of range");
    return v;
}

Pid readPid(const Node& node) {
    return static_cast<Pid>(
        readInteger(node, std::numeric_limits<Pid>::min(), std::numeric_limits<Pid>::max()));
}

std::int64_t readWindowId(const Node& node) {
    return readInteger(node, std::numeric_limits<std::int64_t>::min(),
                       std::numeric_limits<std::int64_t>::max());
}

int readInt(const Node& node) {
    return static_cast<int>(
        readInteger(node, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

AXError readCode(const Node& node) {
    return static_cast<AXError>(readInteger(node, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max()));
}

double readNumber(const Node& node) {
    if (!node.json.is_number()) wrongKind(node, "a number");
    const double v = node.json.get<double>();
    if (!std::isfinite(v)) fail(node.path, "number out of range");
    return v;
}

template <std::size_t N>
std::array<double, N> readNumbers(const Node& node, std::string_view shape) {
    if (!node.json.is_array() || node.json.size() != N)
        fail(node.path, "expected " + std::string(shape));
    std::array<double, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = readNumber(node.at(i));
    return out;
}

Point readPoint(const Node& node) {
    const auto v = readNumbers<2>(node, "[x, y]");
    return {v[0], v[1]};
}

Size readSize(const Node& node) {
    const auto v = readNumbers<2>(node, "[width, height]");
    return {v[0], v[1]};
}

Rect readRect(const Node& node) {
    const auto v = readNumbers<4>(node, "[x, y, width, height]");
    if (v[2] < 0 || v[3] < 0) fail(node.path, "width and height must not be negative");
    return {v[0], v[1], v[2], v[3]};
}

// Any JSON as a value: objects become dictionaries.
Value plainValue(const Node& node) {
    const Json& j = node.json;
    switch (j.type()) {
        case Json::value_t::null:
            return Value();
        case Json::value_t::boolean:
            return Value(j.get<bool>());
        case Json::value_t::string:
            return Value(j.get<std::string>());
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
            return Value(readInteger(node, std::numeric_limits<std::int64_t>::min(),
                                     std::numeric_limits<std::int64_t>::max()));
        case Json::value_t::number_float:
            return Value(readNumber(node));
        case Json::value_t::array: {
            Value::Array items;
            for (std::size_t i = 0; i < j.size(); ++i) items.push_back(plainValue(node.at(i)));
            return Value(std::move(items));
        }
        case Json::value_t::object: {
            Value::Dictionary entries;
            for (const auto& [key, value] : j.items()) entries[key] = plainValue(node.child(key));
            return Value(std::move(entries));
        }
        default:
            fail(node.path, "unsupported JSON value");
    }
}

// Everything read from the document, and the references checked once all is known.
class Reader {
public:
    Scenario read(const Json& root) {
        const Node top{root, ""};
        requireObject(
            top, {"environment", "ownPid", "trusted", "screens", "pointer", "settings", "images",
                  "statusItemHasButton", "processes", "stacking", "windowList", "alerts", "steps"});
        Scenario s;
        const auto given = [&top](std::string_view key, const auto& read) {
            if (top.has(key)) read(top.child(key));
        };
        given("environment", [&](const Node& n) { s.environment = readEnvironment(n); });
        given("ownPid", [&](const Node& n) { s.ownPid = readPid(n); });
        given("trusted", [&](const Node& n) { s.trusted = readBool(n); });
        given("screens", [&](const Node& n) { s.screens = readScreens(n); });
        given("pointer", [&](const Node& n) { s.pointer = readPoint(n); });
        given("settings", [&](const Node& n) { s.settings = readSettings(n); });
        given("images", [&](const Node& n) { s.images = readStrings(n); });
        given("statusItemHasButton", [&](const Node& n) { s.statusItemHasButton = readBool(n); });
        given("processes", [&](const Node& n) { s.processes = readProcesses(n); });
        given("stacking", [&](const Node& n) { s.stacking = readStacking(n); });
        given("windowList", [&](const Node& n) {
            requireArray(n);
            s.windowList = plainValue(n);
        });
        given("alerts", [&](const Node& n) {
            for (std::size_t i = 0; i < requireArray(n); ++i)
                s.alerts.push_back(readAlertAnswer(n.at(i)));
        });
        given("steps", [&](const Node& n) { s.steps = readSteps(n, true); });
        checkReferences();
        return s;
    }

private:
    struct WindowRef {
        std::string path;
        std::int64_t id;
    };

    static std::map<std::string, std::string, std::less<>> readEnvironment(const Node& node) {
        if (!node.json.is_object()) wrongKind(node, "an object");
        std::map<std::string, std::string, std::less<>> env;
        for (const auto& [key, value] : node.json.items()) env[key] = readString(node.child(key));
        return env;
    }

    static std::vector<Screen> readScreens(const Node& node) {
        requireArray(node);
        std::vector<Screen> screens;
        for (std::size_t i = 0; i < node.json.size(); ++i) {
            const Node screen = node.at(i);
            requireObject(screen, {"frame", "visibleFrame"});
            requireKey(screen, "frame");
            requireKey(screen, "visibleFrame");
            screens.push_back(
                {readRect(screen.child("frame")), readRect(screen.child("visibleFrame"))});
        }
        return screens;
    }

    static Value readSettingValue(const Node& node) {
        if (!node.json.is_boolean() && !node.json.is_string() && !node.json.is_number())
            wrongKind(node, "a Boolean, a string or a number");
        return plainValue(node);
    }

    static SettingsMap readSettings(const Node& node) {
        if (!node.json.is_object()) wrongKind(node, "an object");
        SettingsMap settings;
        for (const auto& [key, value] : node.json.items())
            settings[key] = readSettingValue(node.child(key));
        return settings;
    }

    static std::vector<std::string> readStrings(const Node& node) {
        requireArray(node);
        std::vector<std::string> out;
        for (std::size_t i = 0; i < node.json.size(); ++i) out.push_back(readString(node.at(i)));
        return out;
    }

    std::vector<ProcessSpec> readProcesses(const Node& node) {
        requireArray(node);
        std::vector<ProcessSpec> processes;
        for (std::size_t i = 0; i < node.json.size(); ++i) {
            const Node p = node.at(i);
            requireObject(p, {"pid", "name", "app", "windows"});
            requireKey(p, "pid");
            ProcessSpec spec;
            spec.pid = readPid(p.child("pid"));
            if (!pids_.insert(spec.pid).second) fail(p.childPath("pid"), "duplicate process id");
            if (p.has("name") && !p.child("name").json.is_null())
                spec.name = readString(p.child("name"));
            if (p.has("app")) spec.app = readOverrides(p.child("app"), spec.pid);
            if (p.has("windows")) {
                const Node windows = p.child("windows");
                requireArray(windows);
                for (std::size_t w = 0; w < windows.json.size(); ++w)
                    spec.windows.push_back(readWindow(windows.at(w), spec.pid));
            }
            processes.push_back(std::move(spec));
        }
        return processes;
    }

    sim::WindowModel readWindow(const Node& node, Pid pid) {
        requireObject(node, kWindowKeys);
        requireKey(node, "id");
        requireKey(node, "frame");
        sim::WindowModel window;
        window.id = readWindowId(node.child("id"));
        window.pid = pid;
        if (!windowOwners_.emplace(window.id, pid).second)
            fail(node.childPath("id"), "duplicate window id");
        readWindowPatch(node, pid)(window);
        return window;
    }

    // Every key but "id" of a window, as changes to apply.
    WindowPatch readWindowPatch(const Node& node, Pid pid) {
        std::vector<WindowPatch> changes;
        for (const auto& [key, value] : node.json.items()) {
            const Node field = node.child(key);
            if (key == "id") continue;
            if (key == "title") {
                changes.push_back([v = readString(field)](sim::WindowModel& w) { w.title = v; });
            } else if (key == "frame") {
                changes.push_back([v = readRect(field)](sim::WindowModel& w) { w.frame = v; });
            } else if (key == "minimized") {
                changes.push_back([v = readBool(field)](sim::WindowModel& w) { w.minimized = v; });
            } else if (key == "hidden") {
                changes.push_back([v = readBool(field)](sim::WindowModel& w) { w.hidden = v; });
            } else if (key == "onScreen") {
                changes.push_back([v = readBool(field)](sim::WindowModel& w) { w.onScreen = v; });
            } else if (key == "desktopElement") {
                changes.push_back(
                    [v = readBool(field)](sim::WindowModel& w) { w.desktopElement = v; });
            } else if (key == "layer") {
                changes.push_back([v = readWindowId(field)](sim::WindowModel& w) { w.layer = v; });
            } else if (key == "role") {
                changes.push_back([v = readString(field)](sim::WindowModel& w) { w.role = v; });
            } else if (key == "subrole") {
                changes.push_back([v = readString(field)](sim::WindowModel& w) { w.subrole = v; });
            } else if (key == "parent") {
                const std::int64_t parent = readWindowId(field);
                windowRefs_.push_back({field.path, parent});
                changes.push_back([parent](sim::WindowModel& w) { w.parent = parent; });
            } else if (key == "actions") {
                changes.push_back([v = readStrings(field)](sim::WindowModel& w) { w.actions = v; });
            } else if (key == "listName") {
                std::optional<std::string> name;
                if (!field.json.is_null()) name = readString(field);
                changes.push_back([name](sim::WindowModel& w) {
                    w.listName = name;
                    w.listNameOmitted = !name.has_value();
                });
            } else if (key == "attributes") {
                changes.push_back(
                    [v = readOverrides(field, pid)](sim::WindowModel& w) { w.attributes = v; });
            }
        }
        return [changes = std::move(changes)](sim::WindowModel& w) {
            for (const auto& change : changes) change(w);
        };
    }

    sim::AttributeOverrides readOverrides(const Node& node, Pid pid) {
        if (!node.json.is_object()) wrongKind(node, "an object");
        sim::AttributeOverrides overrides;
        for (const auto& [name, value] : node.json.items()) {
            const Node o = node.child(name);
            requireObject(o, {"read", "value", "write", "perform"});
            sim::AttributeOverride& override = overrides[name];
            if (o.has("read")) {
                override.read = readCode(o.child("read"));
                if (*override.read == AXError::kAXErrorSuccess)
                    fail(o.childPath("read"), "a failing read needs a non-zero code");
            }
            if (o.has("value")) override.value = readAttributeValue(o.child("value"), pid);
            if (o.has("write")) override.write = readCode(o.child("write"));
            if (o.has("perform")) {
                if (name != ax::kActions) fail(o.childPath("perform"), "only AXActions performs");
                const Node perform = o.child("perform");
                if (!perform.json.is_object()) wrongKind(perform, "an object");
                for (const auto& [action, code] : perform.json.items())
                    override.perform[action] = readCode(perform.child(action));
            }
        }
        return overrides;
    }

    // An attribute's value: plain JSON, or one of the boxes for geometry and elements.
    Value readAttributeValue(const Node& node, Pid pid) {
        const Json& j = node.json;
        if (j.is_array()) {
            Value::Array items;
            for (std::size_t i = 0; i < j.size(); ++i)
                items.push_back(readAttributeValue(node.at(i), pid));
            return Value(std::move(items));
        }
        if (!j.is_object()) return plainValue(node);
        if (j.size() != 1) fail(node.path, "expected one of point, size, rect or element");
        if (node.has("point")) return AXValue::create(readPoint(node.child("point")));
        if (node.has("size")) return AXValue::create(readSize(node.child("size")));
        if (node.has("rect")) return AXValue::create(readRect(node.child("rect")));
        if (node.has("element")) {
            const Node e = node.child("element");
            if (e.json.is_string()) {
                if (e.json.get<std::string>() != "app")
                    fail(e.path, "expected a window id or \"app\"");
                return Element::application(pid);
            }
            const std::int64_t id = readWindowId(e);
            windowRefs_.push_back({e.path, id});
            return Element::window(id);
        }
        fail(node.childPath(j.begin().key()), "unknown value box");
    }

    std::vector<std::int64_t> readStacking(const Node& node) {
        requireArray(node);
        std::vector<std::int64_t> ids;
        std::set<std::int64_t> seen;
        for (std::size_t i = 0; i < node.json.size(); ++i) {
            const Node entry = node.at(i);
            const std::int64_t id = readWindowId(entry);
            if (!seen.insert(id).second) fail(entry.path, "window listed twice");
            windowRefs_.push_back({entry.path, id});
            ids.push_back(id);
        }
        return ids;
    }

    AlertAnswer readAlertAnswer(const Node& node) {
        requireObject(node, {"answer", "steps"});
        requireKey(node, "answer");
        AlertAnswer answer;
        answer.answer = readInt(node.child("answer"));
        if (node.has("steps")) answer.steps = readSteps(node.child("steps"), false);
        return answer;
    }

    std::vector<Step> readSteps(const Node& node, bool topLevel) {
        requireArray(node);
        std::vector<Step> steps;
        for (std::size_t i = 0; i < node.json.size(); ++i)
            steps.push_back(readStep(node.at(i), topLevel));
        return steps;
    }

    Step readStep(const Node& node, bool topLevel) {
        requireObject(node, {"flags", "move", "drag", "pointer", "trust", "closeWindow", "quit",
                             "setWindow", "menu", "prefs", "alert", "relaunch", "local"});
        std::string kind;
        for (const auto& [key, value] : node.json.items()) {
            if (key == "local") continue;
            if (!kind.empty())
                fail(node.path, "a step takes exactly one action, found " + inQuotes(kind) +
                                    " and " + inQuotes(key));
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
            windowRefs_.push_back({arg.path, step.windowId});
        } else if (kind == "quit") {
            step.kind = Step::Kind::Quit;
            step.pid = readPid(arg);
            pidRefs_.push_back({arg.path, step.pid});
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

    static std::uint64_t readModifiers(const Node& node) {
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

    void readSetWindow(const Node& node, Step& step) {
        requireObject(node, kWindowKeys);
        requireKey(node, "id");
        step.kind = Step::Kind::SetWindow;
        step.windowId = readWindowId(node.child("id"));
        auto owner = windowOwners_.find(step.windowId);
        if (owner == windowOwners_.end()) fail(node.childPath("id"), unknownWindow(step.windowId));
        step.patch = readWindowPatch(node, owner->second);
    }

    static void readPrefs(const Node& node, Step& step) {
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
                fail(control.path,
                     "no control of the preferences window is bound to " + inQuotes(key));
            }
        }
    }

    static std::string unknownWindow(std::int64_t id) {
        return "unknown window id " + std::to_string(id);
    }

    void checkReferences() const {
        for (const auto& ref : windowRefs_) {
            if (!windowOwners_.contains(ref.id)) fail(ref.path, unknownWindow(ref.id));
        }
        for (const auto& [path, pid] : pidRefs_) {
            if (!pids_.contains(pid)) fail(path, "unknown process id " + std::to_string(pid));
        }
    }

    inline static const std::vector<std::string_view> kWindowKeys{
        "id",    "title", "frame",   "minimized", "hidden",  "onScreen",   "desktopElement",
        "layer", "role",  "subrole", "parent",    "actions", "attributes", "listName"};

    std::set<Pid> pids_;
    std::map<std::int64_t, Pid> windowOwners_;
    std::vector<WindowRef> windowRefs_;
    std::vector<std::pair<std::string, Pid>> pidRefs_;
};

// The reader walks values recursively: deeper documents are refused rather than left to
// exhaust the stack.
constexpr std::size_t kMaxNesting = 100;

// Duplicate keys are a fault, but the parser would keep one silently: spot them while parsing,
// tracking the path of the value being read. Nesting beyond kMaxNesting is spotted too.
class DuplicateKeyFinder {
public:
    bool operator()(int /*depth*/, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start:
            case Json::parse_event_t::array_start:
                if (frames_.size() == kMaxNesting && !tooDeep_) tooDeep_ = path();
                frames_.push_back({event == Json::parse_event_t::array_start, {}, 0, {}});
                break;
            case Json::parse_event_t::key: {
                Frame& top = frames_.back();
                top.key = parsed.get<std::string>();
                if (!top.keys.insert(top.key).second && !found_) found_ = path();
                break;
            }
            case Json::parse_event_t::object_end:
            case Json::parse_event_t::array_end:
                frames_.pop_back();
                elementDone();
                break;
            case Json::parse_event_t::value:
                elementDone();
                break;
        }
        return true;
    }

    const std::optional<std::string>& duplicate() const { return found_; }
    const std::optional<std::string>& tooDeep() const { return tooDeep_; }

private:
    struct Frame {
        bool isArray;
        std::string key;
        std::size_t index;
        std::set<std::string> keys;
    };

    void elementDone() {
        if (!frames_.empty() && frames_.back().isArray) ++frames_.back().index;
    }

    std::string path() const {
        std::string p;
        for (const Frame& f : frames_) {
            if (f.isArray)
                p += "[" + std::to_string(f.index) + "]";
            else
                p += (p.empty() ? "" : ".") + f.key;
        }
        return p;
    }

    std::vector<Frame> frames_;
    std::optional<std::string> found_;
    std::optional<std::string> tooDeep_;
};

}  // namespace

std::variant<Scenario, ScenarioFault> parseScenario(std::string_view text) {
    try {
        DuplicateKeyFinder duplicates;
        Json root;
        try {
            root = Json::parse(text.begin(), text.end(), std::ref(duplicates));
        } catch (const Json::exception& e) {
            // Mostly parse errors; also a number too large for a double (out_of_range).
            std::string what = e.what();
            // "[json.exception.parse_error.101] parse error at line 1, ..." without the tag.
            if (auto tagEnd = what.find("] "); tagEnd != std::string::npos)
                what.erase(0, tagEnd + 2);
            fail("", "not valid JSON: " + what);
        }
        if (duplicates.tooDeep())
            fail(*duplicates.tooDeep(),
                 "nested more than " + std::to_string(kMaxNesting) + " levels deep");
        if (duplicates.duplicate()) fail(*duplicates.duplicate(), "duplicate key");
        if (!root.is_object()) wrongKind({root, "scenario"}, "an object");
        return Reader().read(root);
    } catch (const Fault& f) {
        return f.fault;
    }
}

}  // namespace tugworth::scenario
