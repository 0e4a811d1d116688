// The program on a simulated desktop, for every unit test: the desktop, its stored settings, the
// delegate, a log over the desktop's sink, and one verb that bends how an element answers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth::test {

inline constexpr std::uint64_t kDragChord = kModifierCommand | kModifierControl;
inline constexpr std::uint64_t kResizeChord = kDragChord | kModifierShift;

// How one attribute of an element answers instead of the model.
inline sim::AttributeOverride failsWith(AXError code) {
    sim::AttributeOverride how;
    how.read = code;
    return how;
}
inline sim::AttributeOverride reads(Value value) {
    sim::AttributeOverride how;
    how.value = std::move(value);
    return how;
}
inline sim::AttributeOverride refusesWrites(AXError code) {
    sim::AttributeOverride how;
    how.write = code;
    return how;
}

struct SimDesk {
    // `stored` is in the settings store before the program starts.
    explicit SimDesk(SettingsMap stored = {}) : defaults(seed(std::move(stored))) {
        desktop.toolkit().setDelegate(&delegate);
    }
    ~SimDesk() { desktop.toolkit().setDelegate(nullptr); }

    // The narrow pieces the core's parts take instead of the delegate.
    AccessibilityService& accessibility() { return desktop.platform().accessibility; }
    WindowServer& windowServer() { return desktop.platform().windowServer; }
    DesktopServices& services() { return desktop.platform().desktop; }

    void launch() {
        delegate.applicationWillFinishLaunching();
        delegate.applicationDidFinishLaunching();
    }
    void store(std::string_view key, Value value) { defaults.setObject(std::move(value), key); }

    // One application with one window of the same name.
    void addApp(Pid pid, const char* name, std::int64_t id, Rect frame) {
        desktop.addProcess(pid, name);
        desktop.addWindow(pid, id, frame, name);
    }
    // The one verb for overrides: the element is a window or an application.
    void bend(Element element, const std::string& attribute, sim::AttributeOverride how) {
        auto& overrides = element.isApplication()
                              ? desktop.process(static_cast<Pid>(element.id()))->app
                              : desktop.window(element.id())->attributes;
        overrides[attribute] = std::move(how);
    }
    // The pointer at a point of the Accessibility space of the 1080-high main screen.
    void pointAtAX(Point ax) { desktop.setPointer({ax.x, 1080 - ax.y}); }
    void moveBy(double dx, double dy) {
        const Point p = desktop.pointer();
        desktop.movePointer({p.x + dx, p.y + dy});
    }
    Rect frameOf(std::int64_t id) const { return desktop.windowFrame(id).value_or(Rect{}); }
    std::size_t linesWith(std::string_view part) {
        std::size_t n = 0;
        for (const auto& line : desktop.logCapture().lines())
            n += line.find(part) != std::string::npos;
        return n;
    }

    sim::Desktop desktop;
    UserDefaults defaults;
    AppDelegate delegate{defaults, desktop.platform()};
    Log log{desktop.platform().logSink};

private:
    SettingsStorage& seed(SettingsMap stored) {
        desktop.storage().persisted() = std::move(stored);
        return desktop.storage();
    }
};

}  // namespace tugworth::test
