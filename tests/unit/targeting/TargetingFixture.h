// A delegate on a simulated desktop, with helpers for reading its log and bending attributes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth::test {

inline sim::AttributeOverride failsWith(AXError code) {
    sim::AttributeOverride o;
    o.read = code;
    return o;
}

inline sim::AttributeOverride reads(Value value) {
    sim::AttributeOverride o;
    o.value = std::move(value);
    return o;
}

inline std::string debug(const std::string& text) {
    return "[DEBUG] " + text;
}

class Targeting : public ::testing::Test {
protected:
    sim::Desktop desktop;
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};

    const std::vector<std::string>& lines() { return desktop.logCapture().lines(); }
    void clearLog() { desktop.logCapture().clear(); }
    std::size_t count(const std::string& text) {
        return static_cast<std::size_t>(std::count(lines().begin(), lines().end(), debug(text)));
    }
    bool logged(const std::string& text) { return count(text) > 0; }
    bool loggedPrefix(const std::string& prefix) {
        return std::any_of(lines().begin(), lines().end(),
                           [&](const std::string& l) { return l.starts_with(debug(prefix)); });
    }
    // The `n` lines, without their level tags, that follow the first `text`.
    std::vector<std::string> after(const std::string& text, std::size_t n) {
        std::vector<std::string> found;
        auto at = std::find(lines().begin(), lines().end(), debug(text));
        while (at != lines().end() && ++at != lines().end() && found.size() < n) {
            found.push_back(at->substr(at->find(' ') + 1));
        }
        return found;
    }
    // Whether these lines appear in this order, other lines between them allowed.
    bool loggedInOrder(const std::vector<std::string>& expected) {
        auto at = lines().begin();
        for (const std::string& text : expected) {
            at = std::find(at, lines().end(), debug(text));
            if (at == lines().end()) return false;
            ++at;
        }
        return true;
    }

    // The pointer at a point of the Accessibility space of the 1080-high main screen.
    void pointAtAX(Point ax) { desktop.setPointer({ax.x, 1080 - ax.y}); }
    void bend(std::int64_t window, const std::string& attribute, sim::AttributeOverride o) {
        desktop.window(window)->attributes[attribute] = std::move(o);
    }
    void bendApp(Pid pid, const std::string& attribute, sim::AttributeOverride o) {
        desktop.process(pid)->app[attribute] = std::move(o);
    }
    void addApp(Pid pid, const char* name, std::int64_t id, Rect frame) {
        desktop.addProcess(pid, name);
        desktop.addWindow(pid, id, frame, name);
    }
};

}  // namespace tugworth::test
