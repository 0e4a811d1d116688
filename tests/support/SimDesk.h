// The program on a simulated desktop, for every unit test: the desktop, its stored settings, the
// delegate, a log over the desktop's sink, and one verb that bends how an element answers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth::test {

inline constexpr std::uint64_t kDragChord = kModifierCommand | kModifierControl;

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
    SimDesk() { desktop.toolkit().setDelegate(&delegate); }
    ~SimDesk() { desktop.toolkit().setDelegate(nullptr); }

    // The narrow pieces the core's parts take instead of the delegate.
    AccessibilityService& accessibility() { return desktop.platform().accessibility; }
    DesktopServices& services() { return desktop.platform().desktop; }

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

    sim::Desktop desktop;
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};
    Log log{desktop.platform().logSink};
};

}  // namespace tugworth::test
