// Reading what the simulated desktop holds at launch: environment, screens, settings,
// processes with their windows, stacking. It also keeps every window and process id met, so
// that references can be checked once the whole document is known.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "JsonReading.h"
#include "Scenario.h"

namespace tugworth::scenario {

class DeclarationReader {
public:
    static std::map<std::string, std::string, std::less<>> readEnvironment(const Node& node);
    static std::vector<Screen> readScreens(const Node& node);
    static SettingsMap readSettings(const Node& node);
    std::vector<ProcessDeclaration> readProcesses(const Node& node);
    std::vector<std::int64_t> readStacking(const Node& node);

    // The keys a window declaration (and a setWindow step) may hold.
    static const std::vector<std::string_view>& windowKeys();
    // Every key but "id" of a window, as changes to apply; `pid` owns the window.
    WindowPatch readWindowPatch(const Node& node, Pid pid);
    sim::AttributeOverrides readOverrides(const Node& node, Pid pid);

    // The process owning window `id`, when it was declared.
    std::optional<Pid> ownerOf(std::int64_t id) const;
    void noteWindowReference(std::string path, std::int64_t id);
    void noteProcessReference(std::string path, Pid pid);
    // A fault for the first reference to a window or process never declared.
    void checkReferences() const;

    static std::string unknownWindow(std::int64_t id) {
        return "unknown window id " + std::to_string(id);
    }

private:
    struct WindowRef {
        std::string path;
        std::int64_t id;
    };

    sim::WindowModel readWindow(const Node& node, Pid pid);
    // An attribute's value: plain JSON, or one of the boxes for geometry and elements.
    Value readAttributeValue(const Node& node, Pid pid);

    std::set<Pid> pids_;
    std::map<std::int64_t, Pid> windowOwners_;
    std::vector<WindowRef> windowRefs_;
    std::vector<std::pair<std::string, Pid>> pidRefs_;
};

}  // namespace tugworth::scenario
