// The program's delegate on a simulated desktop with one application under the pointer, its
// event monitors installed as at launch.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth::test {

inline constexpr std::uint64_t kCommandControl = kModifierCommand | kModifierControl;
inline constexpr std::uint64_t kCommandControlShift = kCommandControl | kModifierShift;

class GestureTest : public ::testing::Test {
protected:
    static constexpr Pid kApp = 501;
    static constexpr std::int64_t kWindow = 12;
    // Accessibility frame; on the 1080-point main screen it spans Cocoa y 380..980.
    static constexpr Rect kFrame{100.0, 100.0, 800.0, 600.0};
    static constexpr Point kOverWindow{300.0, 700.0};

    GestureTest() {
        desktop.addProcess(kApp, "TextEdit");
        desktop.addWindow(kApp, kWindow, kFrame, "Notes");
        desktop.setPointer(kOverWindow);
        desktop.toolkit().setDelegate(&delegate);
    }
    ~GestureTest() override { desktop.toolkit().setDelegate(nullptr); }

    void installMonitors() {
        delegate.setupEventMonitoring();
        desktop.logCapture().clear();
    }

    // Stores a setting as the preferences window would.
    void store(std::string_view key, Value value) { defaults.setObject(std::move(value), key); }

    // The pointer moves by (dx, dy) from where it is, delivering one mouse-moved event.
    void moveBy(double dx, double dy) {
        const Point p = desktop.pointer();
        desktop.movePointer({p.x + dx, p.y + dy});
    }

    std::vector<std::string> linesWith(std::string_view part) {
        std::vector<std::string> found;
        for (const auto& line : desktop.logCapture().lines()) {
            if (line.find(part) != std::string::npos) found.push_back(line);
        }
        return found;
    }
    const std::vector<std::string>& lines() { return desktop.logCapture().lines(); }
    Rect frameOf(std::int64_t id) const { return desktop.windowFrame(id).value_or(Rect{}); }

    sim::Desktop desktop;
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};
};

}  // namespace tugworth::test
