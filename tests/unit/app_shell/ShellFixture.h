// A program on the simulated desktop: its settings store and delegate over stored settings.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth::test {

struct Shell {
    sim::Desktop desktop;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<AppDelegate> delegate;

    explicit Shell(SettingsMap stored = {}) {
        desktop.storage().persisted() = std::move(stored);
        defaults = std::make_unique<UserDefaults>(desktop.storage());
        delegate = std::make_unique<AppDelegate>(*defaults, desktop.platform());
        toolkit().setDelegate(delegate.get());
    }
    ~Shell() { toolkit().setDelegate(nullptr); }

    sim::SimToolkit& toolkit() { return desktop.toolkit(); }
    void launch() {
        delegate->applicationWillFinishLaunching();
        delegate->applicationDidFinishLaunching();
    }
    std::vector<std::string> linesWith(std::string_view part) {
        std::vector<std::string> found;
        for (const auto& line : desktop.logCapture().lines()) {
            if (line.find(part) != std::string::npos) found.push_back(line);
        }
        return found;
    }
};

}  // namespace tugworth::test
