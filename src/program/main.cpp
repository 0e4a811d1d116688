// tugworth: the program on the user's desktop (X11, or a Wayland compositor with Tugworth's
// bridge). Core + platform + Qt user interface.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include "platform/LogSink.h"
#include "platform/x11/X11Desktop.h"
#include "program/CommandLine.h"
#include "program/ProgramShell.h"
#include "program/QuitOnSignals.h"
#include "program/WaylandStartup.h"

namespace {

using namespace tugworth;

// Qt ends the process itself (status 1) when its own connection to the X server breaks, which
// can happen before our notifier has seen ours break: the lost display is then reported on the
// way out instead.
struct LostDisplayReport {
    x11::X11Desktop* desktop = nullptr;  // set while the event loop runs
    Log* log = nullptr;
    bool reported = false;
};
LostDisplayReport lostDisplayReport;

void reportLostDisplay(const x11::X11Desktop& desktop, Log& log) {
    log.error(desktop.connectionError().value_or("Lost the connection to the X server"));
}

extern "C" void reportLostDisplayAtExit() {
    LostDisplayReport& report = lostDisplayReport;
    // The server's sockets close one after the other as it dies: ours may lag behind Qt's.
    constexpr std::chrono::milliseconds kPatience{300};
    if (report.desktop == nullptr || report.reported ||
        !report.desktop->checkConnectionLost(kPatience)) {
        return;
    }
    report.reported = true;
    reportLostDisplay(*report.desktop, *report.log);
}

int runOnDesktop(char* programName, LogSink& logSink, Log& log) {
    std::string error;
    std::unique_ptr<x11::X11Desktop> desktop = x11::X11Desktop::connect(nullptr, error);
    if (!desktop) {
        log.error(error);
        return EXIT_FAILURE;
    }
    // Qt must draw on the display the windows are moved on, never on a Wayland one.
    qputenv("QT_QPA_PLATFORM", "xcb");
    ProgramShell shell(programName, logSink, log);
    if (const std::optional<int> status = shell.claimInstance()) return *status;

    // The X11 platform's events arrive on its own connection, watched by the Qt loop.
    bool& lostDisplay = lostDisplayReport.reported;
    lostDisplayReport = {desktop.get(), &log, false};
    std::atexit(reportLostDisplayAtExit);
    QSocketNotifier xEvents(desktop->fileDescriptor(), QSocketNotifier::Read);
    auto dispatch = [&] {
        if (lostDisplay || desktop->dispatchPendingEvents()) return;
        lostDisplay = true;
        xEvents.setEnabled(false);
        reportLostDisplay(*desktop, log);
        shell.toolkit().terminate();
    };
    QObject::connect(&xEvents, &QSocketNotifier::activated, dispatch);
    // Before the loop sleeps: the events any request read into the connection's queue (the
    // launch's, a timer's), which the socket notifier cannot see.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     dispatch);

    const int status = shell.run({desktop->accessibility(), desktop->windowServer(),
                                  desktop->desktop(), desktop->monitors()});
    lostDisplayReport.desktop = nullptr;  // gone with this frame
    return lostDisplay ? EXIT_FAILURE : status;
}

}  // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a write should fail and be reported, not end the program: the
    // settings writer then keeps the previous file.
    std::signal(SIGXFSZ, SIG_IGN);
    const CommandLine commandLine = parseCommandLine({argv + std::min(argc, 1), argv + argc});
    if (const std::optional<int> status = answerCommandLine(commandLine)) return *status;
    StdoutLogSink stdoutSink;
    LevelFilterLogSink logSink(stdoutSink, commandLine.logLevel);
    Log log(logSink);
    int status = EXIT_FAILURE;
    static char fallbackName[] = "tugworth";
    char* programName = argc > 0 ? argv[0] : fallbackName;
    if (const auto compositor = detectWaylandCompositor(std::getenv("WAYLAND_DISPLAY"),
                                                        std::getenv("XDG_CURRENT_DESKTOP"));
        compositor != WaylandCompositor::None) {
        status = runOnWayland(compositor, programName, logSink, log);
    } else if (x11::checkSessionSupport(log)) {
        status = runOnDesktop(programName, logSink, log);
    }
    logSink.flush();
    return status;
}
