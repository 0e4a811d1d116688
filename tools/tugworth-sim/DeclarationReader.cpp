#include "DeclarationReader.h"

#include <array>

#include "platform/AXNames.h"

namespace tugworth::scenario {

namespace {

// A store holds Booleans, strings, numbers, and arrays and dictionaries of them; never null.
Value readSettingValue(const Node& node) {
    if (node.json.is_null())
        wrongKind(node, "a Boolean, a string, a number, an array or an object");
    if (node.json.is_array()) {
        for (std::size_t i = 0; i < node.json.size(); ++i) readSettingValue(node.at(i));
    } else if (node.json.is_object()) {
        for (const auto& [key, value] : node.json.items()) readSettingValue(node.child(key));
    }
    return plainValue(node);
}

// How each window key other than "id" is read into a change; one row per key.
struct WindowKey {
    std::string_view key;
    WindowPatch (*read)(DeclarationReader& reader, const Node& field, Pid pid);
};

template <auto Field, class Read>
WindowPatch assign(Read read, const Node& field) {
    return [v = read(field)](sim::WindowModel& w) { w.*Field = v; };
}

const std::array<WindowKey, 13> kWindowKeys{{
    {"title", [](DeclarationReader&, const Node& f,
                 Pid) { return assign<&sim::WindowModel::title>(readString, f); }},
    {"frame", [](DeclarationReader&, const Node& f,
                 Pid) { return assign<&sim::WindowModel::frame>(readRect, f); }},
    {"minimized", [](DeclarationReader&, const Node& f,
                     Pid) { return assign<&sim::WindowModel::minimized>(readBool, f); }},
    {"hidden", [](DeclarationReader&, const Node& f,
                  Pid) { return assign<&sim::WindowModel::hidden>(readBool, f); }},
    {"onScreen", [](DeclarationReader&, const Node& f,
                    Pid) { return assign<&sim::WindowModel::onScreen>(readBool, f); }},
    {"desktopElement", [](DeclarationReader&, const Node& f,
                          Pid) { return assign<&sim::WindowModel::desktopElement>(readBool, f); }},
    {"layer", [](DeclarationReader&, const Node& f,
                 Pid) { return assign<&sim::WindowModel::layer>(readWindowId, f); }},
    {"role", [](DeclarationReader&, const Node& f,
                Pid) { return assign<&sim::WindowModel::role>(readString, f); }},
    {"subrole", [](DeclarationReader&, const Node& f,
                   Pid) { return assign<&sim::WindowModel::subrole>(readString, f); }},
    {"parent",
     [](DeclarationReader& reader, const Node& f, Pid) -> WindowPatch {
         const std::int64_t parent = readWindowId(f);
         reader.noteWindowReference(f.path, parent);
         return [parent](sim::WindowModel& w) { w.parent = parent; };
     }},
    {"actions", [](DeclarationReader&, const Node& f,
                   Pid) { return assign<&sim::WindowModel::actions>(readStrings, f); }},
    {"listName",
     [](DeclarationReader&, const Node& f, Pid) -> WindowPatch {
         std::optional<std::string> name;
         if (!f.json.is_null()) name = readString(f);
         return [name](sim::WindowModel& w) {
             w.listName = name;
             w.listNameOmitted = !name.has_value();
         };
     }},
    {"attributes",
     [](DeclarationReader& reader, const Node& f, Pid pid) -> WindowPatch {
         return [v = reader.readOverrides(f, pid)](sim::WindowModel& w) { w.attributes = v; };
     }},
}};

}  // namespace

const std::vector<std::string_view>& DeclarationReader::windowKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> all{"id"};
        for (const WindowKey& row : kWindowKeys) all.push_back(row.key);
        return all;
    }();
    return keys;
}

WindowPatch DeclarationReader::readWindowPatch(const Node& node, Pid pid) {
    std::vector<WindowPatch> changes;
    for (const auto& [key, value] : node.json.items()) {
        for (const WindowKey& row : kWindowKeys) {
            if (row.key == key) changes.push_back(row.read(*this, node.child(key), pid));
        }
    }
    return [changes = std::move(changes)](sim::WindowModel& w) {
        for (const auto& change : changes) change(w);
    };
}

std::optional<Pid> DeclarationReader::ownerOf(std::int64_t id) const {
    const auto owner = windowOwners_.find(id);
    if (owner == windowOwners_.end()) return std::nullopt;
    return owner->second;
}

void DeclarationReader::noteWindowReference(std::string path, std::int64_t id) {
    windowRefs_.push_back({std::move(path), id});
}

void DeclarationReader::noteProcessReference(std::string path, Pid pid) {
    pidRefs_.emplace_back(std::move(path), pid);
}

std::map<std::string, std::string, std::less<>> DeclarationReader::readEnvironment(
    const Node& node) {
    if (!node.json.is_object()) wrongKind(node, "an object");
    std::map<std::string, std::string, std::less<>> env;
    for (const auto& [key, value] : node.json.items()) env[key] = readString(node.child(key));
    return env;
}

std::vector<Screen> DeclarationReader::readScreens(const Node& node) {
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

SettingsMap DeclarationReader::readSettings(const Node& node) {
    if (!node.json.is_object()) wrongKind(node, "an object");
    SettingsMap settings;
    for (const auto& [key, value] : node.json.items())
        settings[key] = readSettingValue(node.child(key));
    return settings;
}

std::vector<ProcessDeclaration> DeclarationReader::readProcesses(const Node& node) {
    requireArray(node);
    std::vector<ProcessDeclaration> processes;
    for (std::size_t i = 0; i < node.json.size(); ++i) {
        const Node p = node.at(i);
        requireObject(p, {"pid", "name", "app", "windows"});
        requireKey(p, "pid");
        ProcessDeclaration process;
        process.pid = readPid(p.child("pid"));
        if (!pids_.insert(process.pid).second) fail(p.childPath("pid"), "duplicate process id");
        if (p.has("name") && !p.child("name").json.is_null())
            process.name = readString(p.child("name"));
        if (p.has("app")) process.app = readOverrides(p.child("app"), process.pid);
        if (p.has("windows")) {
            const Node windows = p.child("windows");
            requireArray(windows);
            for (std::size_t w = 0; w < windows.json.size(); ++w)
                process.windows.push_back(readWindow(windows.at(w), process.pid));
        }
        processes.push_back(std::move(process));
    }
    return processes;
}

sim::WindowModel DeclarationReader::readWindow(const Node& node, Pid pid) {
    requireObject(node, windowKeys());
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

sim::AttributeOverrides DeclarationReader::readOverrides(const Node& node, Pid pid) {
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

Value DeclarationReader::readAttributeValue(const Node& node, Pid pid) {
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
            if (e.json.get<std::string>() != "app") fail(e.path, "expected a window id or \"app\"");
            return Element::application(pid);
        }
        const std::int64_t id = readWindowId(e);
        windowRefs_.push_back({e.path, id});
        return Element::window(id);
    }
    fail(node.childPath(j.begin().key()), "unknown value box");
}

std::vector<std::int64_t> DeclarationReader::readStacking(const Node& node) {
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

void DeclarationReader::checkReferences() const {
    for (const auto& ref : windowRefs_) {
        if (!windowOwners_.contains(ref.id)) fail(ref.path, unknownWindow(ref.id));
    }
    for (const auto& [path, pid] : pidRefs_) {
        if (!pids_.contains(pid)) fail(path, "unknown process id " + std::to_string(pid));
    }
}

}  // namespace tugworth::scenario
