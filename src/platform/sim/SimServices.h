// The desktop-side interfaces of the simulated desktop. Reach them through Desktop::platform().
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/AccessibilityService.h"
#include "platform/Events.h"
#include "platform/WindowServer.h"

namespace tugworth::sim {

class Desktop;
struct WindowModel;

class SimAccessibility final : public AccessibilityService {
public:
    explicit SimAccessibility(Desktop& desktop) : desktop_(desktop) {}

    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(bool prompt) override;
    Element createApplication(Pid pid) override;
    AXError getPid(const Element& element, Pid& pid) override;
    AXError copyAttributeValue(const Element& element, std::string_view attribute,
                               Value& value) override;
    AXError setAttributeValue(const Element& element, std::string_view attribute,
                              const Value& value) override;
    AXError performAction(const Element& element, std::string_view action) override;

private:
    AXError readWindow(const WindowModel& window, std::string_view attribute, Value& value);
    AXError readApplication(Pid pid, std::string_view attribute, Value& value);
    AXError writeWindow(WindowModel& window, std::string_view attribute, const Value& value,
                        bool positionAliasSupported);

    Desktop& desktop_;
};

class SimWindowServer final : public WindowServer {
public:
    explicit SimWindowServer(Desktop& desktop) : desktop_(desktop) {}
    Value copyWindowListInfo(std::uint32_t options, std::uint32_t relativeToWindow) override;

private:
    Desktop& desktop_;
};

class SimDesktopServices final : public DesktopServices {
public:
    explicit SimDesktopServices(Desktop& desktop) : desktop_(desktop) {}

    Point mouseLocation() override;
    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    std::optional<std::string> runningApplicationName(Pid pid) override;
    Pid ownProcessId() override;
    bool environmentContains(std::string_view variable) override;
    bool openURL(std::string_view url) override;
    std::chrono::system_clock::time_point now() override;

private:
    Desktop& desktop_;
};

class SimEventMonitors final : public EventMonitors {
public:
    explicit SimEventMonitors(Desktop& desktop) : desktop_(desktop) {}

    void addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) override;
    void addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) override;

    // Delivers to every matching global handler, or through the chain of local handlers.
    void deliver(const Event& event, bool local);
    std::size_t globalCount() const { return global_.size(); }
    std::size_t localCount() const { return local_.size(); }
    void clear();

private:
    template <class Handler>
    struct Monitor {
        std::uint64_t mask;
        Handler handler;
    };

    Desktop& desktop_;
    std::vector<Monitor<GlobalEventHandler>> global_;
    std::vector<Monitor<LocalEventHandler>> local_;
};

}  // namespace tugworth::sim
