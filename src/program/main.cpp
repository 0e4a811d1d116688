// tugworth: the program on the user's desktop. Core + X11 or Wayland platform + Qt user interface.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "app/EntryPoint.h"
#include "platform/LogSink.h"
#include "platform/qt/QtSettingsStorage.h"
#include "platform/qt/QtToolkit.h"
#include "platform/x11/X11Desktop.h"
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

int runOnDesktop(int argc, char** argv, StdoutLogSink& logSink, Log& log) {
    std::string error;
    std::unique_ptr<x11::X11Desktop> desktop = x11::X11Desktop::connect(nullptr, error);
    if (!desktop) {
        log.error(error);
        return EXIT_FAILURE;
    }
    // Qt must draw on the display the windows are moved on, never on a Wayland one.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tugworth"));
    QApplication::setApplicationVersion(QStringLiteral(TUGWORTH_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tugworth"));

    qt::QtToolkit toolkit(logSink);
    qt::QtSettingsStorage storage(qt::QtSettingsStorage::defaultFilePath(), logSink);

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
        toolkit.terminate();
    };
    QObject::connect(&xEvents, &QSocketNotifier::activated, dispatch);
    // Events read while the launch made its requests wait in the connection's queue.
    QTimer::singleShot(0, dispatch);

    // One write of the log each time the loop has nothing left to do.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [&logSink] { logSink.flush(); });

    QuitOnSignals quitOnSignals([&](int signal) {
        log.info("Quitting on ", signalName(signal));
        toolkit.terminate();
    });

    Platform platform{desktop->accessibility(),
                      desktop->windowServer(),
                      desktop->desktop(),
                      desktop->monitors(),
                      toolkit,
                      storage,
                      logSink};
    const int status = runApplication(platform);
    lostDisplayReport.desktop = nullptr;  // gone with this frame
    return lostDisplay ? EXIT_FAILURE : status;
}

}  // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a write should fail and be reported, not end the program: the
    // settings writer then keeps the previous file.
    std::signal(SIGXFSZ, SIG_IGN);
    StdoutLogSink logSink;
    Log log(logSink);
    int status = EXIT_FAILURE;
    if (argc > 1) {
        log.error("tugworth takes no command-line arguments (got ", argv[1],
                  "); its settings are in the preferences window");
        status = 2;
    } else if (const auto compositor = detectWaylandCompositor();
               compositor != WaylandCompositor::None) {
        status = runOnWayland(compositor, argc, argv, logSink, log);
    } else if (x11::checkSessionSupport(log)) {
        status = runOnDesktop(argc, argv, logSink, log);
    }
    logSink.flush();
    return status;
}
