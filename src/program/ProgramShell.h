// What the program is on every desktop it runs on: the Qt application, one instance per
// session, the user interface, the settings file, and the core run over a desktop's services.
#pragma once

#include <memory>
#include <optional>

#include <QApplication>

#include "platform/AccessibilityService.h"
#include "platform/Events.h"
#include "platform/Log.h"
#include "platform/LogSink.h"
#include "platform/WindowServer.h"
#include "platform/qt/QtSettingsStorage.h"
#include "platform/qt/QtToolkit.h"
#include "program/SingleInstance.h"

namespace tugworth {

class ProgramShell {
public:
    // Starts Qt with the program's name only: Qt reads options of its own from the arguments.
    ProgramShell(char* programName, LogSink& logSink, Log& log);
    ProgramShell(const ProgramShell&) = delete;
    ProgramShell& operator=(const ProgramShell&) = delete;

    // Nothing when this is the only instance; otherwise the status to end with.
    std::optional<int> claimInstance();

    qt::QtToolkit& toolkit() { return toolkit_; }

    struct DesktopServicesSet {
        AccessibilityService& accessibility;
        WindowServer& windowServer;
        DesktopServices& desktop;
        EventMonitors& monitors;
    };
    // Runs the core until it terminates; answers its exit status.
    int run(const DesktopServicesSet& services);

private:
    int argc_ = 1;
    char* argv_[2];
    LogSink& logSink_;
    Log& log_;
    QApplication application_;
    SingleInstance instance_;
    qt::QtToolkit toolkit_;
    qt::QtSettingsStorage storage_;
};

}  // namespace tugworth
