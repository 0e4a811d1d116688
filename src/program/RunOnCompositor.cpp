#include "program/RunOnCompositor.h"

#include <cstdlib>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "app/EntryPoint.h"
#include "platform/qt/QtSettingsStorage.h"
#include "platform/qt/QtToolkit.h"
#include "platform/wayland/CompositorDesktop.h"
#include "program/QuitOnSignals.h"

namespace tugworth {

int runOnCompositor(int argc, char** argv, StdoutLogSink& logSink, Log& log,
                    const DriverFactory& connectDriver) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tugworth"));
    QApplication::setApplicationVersion(QStringLiteral(TUGWORTH_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tugworth"));

    std::string error;
    std::unique_ptr<wayland::CompositorDriver> driver = connectDriver(error);
    if (!driver) {
        log.error(error);
        return EXIT_FAILURE;
    }
    wayland::CompositorDesktop desktop(std::move(driver), [](std::string_view url) {
        return QDesktopServices::openUrl(
            QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
    });
    qt::QtToolkit toolkit(logSink);
    qt::QtSettingsStorage storage(qt::QtSettingsStorage::defaultFilePath(), logSink);

    bool bridgeLost = false;
    desktop.start(
        // Events are handed over once the loop has taken in what else arrived with them.
        [&desktop] { QTimer::singleShot(0, [&desktop] { desktop.dispatchPendingEvents(); }); },
        [&](const std::string& reason) {
            bridgeLost = true;
            log.error(reason);
            toolkit.terminate();
        });
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [&logSink] { logSink.flush(); });
    QuitOnSignals quitOnSignals([&](int signal) {
        log.info("Quitting on ", signalName(signal));
        toolkit.terminate();
    });

    Platform platform{desktop.accessibility(),
                      desktop.windowServer(),
                      desktop.desktop(),
                      desktop.monitors(),
                      toolkit,
                      storage,
                      logSink};
    const int status = runApplication(platform);
    return bridgeLost ? EXIT_FAILURE : status;
}

}  // namespace tugworth
