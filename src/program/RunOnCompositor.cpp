#include "program/RunOnCompositor.h"

#include <cstdlib>

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "platform/wayland/CompositorDesktop.h"
#include "program/ProgramShell.h"

namespace tugworth {

int runOnCompositor(char* programName, LogSink& logSink, Log& log,
                    const DriverFactory& connectDriver) {
    ProgramShell shell(programName, logSink, log);
    if (const std::optional<int> status = shell.claimInstance()) return *status;

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

    bool bridgeLost = false;
    desktop.start(
        // Events are handed over once the loop has taken in what else arrived with them.
        [&desktop] { QTimer::singleShot(0, [&desktop] { desktop.dispatchPendingEvents(); }); },
        [&](const std::string& reason) {
            bridgeLost = true;
            log.error(reason);
            shell.toolkit().terminate();
        });

    const int status = shell.run(
        {desktop.accessibility(), desktop.windowServer(), desktop.desktop(), desktop.monitors()});
    return bridgeLost ? EXIT_FAILURE : status;
}

}  // namespace tugworth
