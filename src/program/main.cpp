// tugworth: the program on the user's X11 desktop. Core + X11 platform + Qt user interface.
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

namespace {

using namespace tugworth;

const char* signalName(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "a signal";
    }
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
    bool lostDisplay = false;
    QSocketNotifier xEvents(desktop->fileDescriptor(), QSocketNotifier::Read);
    auto dispatch = [&] {
        if (lostDisplay || desktop->dispatchPendingEvents()) return;
        lostDisplay = true;
        xEvents.setEnabled(false);
        log.error(desktop->connectionError().value_or("Lost the connection to the X server"));
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

    Platform platform{desktop->accessibility(), desktop->windowServer(), desktop->desktop(),
                      desktop->monitors(), toolkit, storage, logSink};
    const int status = runApplication(platform);
    return lostDisplay ? EXIT_FAILURE : status;
}

}  // namespace

int main(int argc, char** argv) {
    StdoutLogSink logSink;
    Log log(logSink);
    int status = EXIT_FAILURE;
    if (argc > 1) {
        log.error("tugworth takes no command-line arguments (got ", argv[1],
                  "); its settings are in the preferences window");
        status = 2;
    } else if (x11::checkSessionSupport(log)) {
        status = runOnDesktop(argc, argv, logSink, log);
    }
    logSink.flush();
    return status;
}
