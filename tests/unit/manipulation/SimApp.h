// One simulated application and the quirks that steer the manipulation chains.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manipulation/WindowMover.h"
#include "manipulation/WindowResizer.h"
#include "platform/sim/Desktop.h"

namespace tugworth {

using Lines = std::vector<std::string>;
inline constexpr AXError kUnsupported = AXError::kAXErrorAttributeUnsupported;  // -25205
inline constexpr AXError kRefused = AXError::kAXErrorCannotComplete;            // -25204

struct SimApp {
    static constexpr Pid kPid = 501;
    static constexpr std::int64_t kTarget = 12;
    static constexpr Rect kFrame{100.0, 300.0, 800.0, 600.0};

    SimApp() { desktop.addProcess(kPid, "TextEdit"); }

    void addWindow(std::int64_t id, Pid pid = kPid, Rect frame = kFrame) {
        if (desktop.process(pid) == nullptr) desktop.addProcess(pid, "Helper");
        desktop.addWindow(pid, id, frame);
    }
    sim::AttributeOverride& quirk(std::int64_t id, const char* attribute) {
        return desktop.window(id)->attributes[attribute];
    }
    sim::AttributeOverride& appQuirk(Pid pid, const char* attribute) {
        return desktop.process(pid)->app[attribute];
    }
    // Positionable, but accepts no change of its geometry.
    void refuseWrites(std::int64_t id) {
        for (const char* name : {"AXFrame", "AXPosition", "AXSize"})
            quirk(id, name).write = kRefused;
    }
    // Answers no geometry at all, so it cannot be positioned either.
    void failReads(std::int64_t id) {
        for (const char* name : {"AXFrame", "AXPosition", "AXSize"})
            quirk(id, name).read = kUnsupported;
    }

    const Lines& lines() { return desktop.logCapture().lines(); }
    Rect frameOf(std::int64_t id) const { return *desktop.windowFrame(id); }

    sim::Desktop desktop;
    Log log{desktop.platform().logSink};
};

// One motion event: the pointer went right by 20 and down by 10.
inline constexpr double kDx = 20.0;
inline constexpr double kDy = -10.0;

enum class Op { Move, Resize };

inline bool manipulate(SimApp& app, Op op, std::int64_t id, Pid pid = SimApp::kPid) {
    auto& ax = app.desktop.platform().accessibility;
    if (op == Op::Move)
        return WindowMover(ax, app.log, Element::window(id), pid).manipulate(kDx, kDy);
    return WindowResizer(ax, app.log, Element::window(id), pid).manipulate(kDx, kDy);
}

}  // namespace tugworth
