// The program on a Wayland session: Qt on Wayland, the compositor's driver, the core.
#include "program/WaylandStartup.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "app/EntryPoint.h"
#include "platform/qt/QtSettingsStorage.h"
#include "platform/qt/QtToolkit.h"
#include "platform/wayland/CompositorDesktop.h"
#include "platform/wayland/gnome/GnomeShellDriver.h"
#include "platform/wayland/gnome/ShellBridge.h"
#include "program/AppIdentity.h"
#include "program/QuitOnSignals.h"

namespace tugworth {
namespace {

bool listContains(std::string_view colonSeparated, std::string_view name) {
    while (!colonSeparated.empty()) {
        const auto end = colonSeparated.find(':');
        if (colonSeparated.substr(0, end) == name) return true;
        if (end == std::string_view::npos) break;
        colonSeparated.remove_prefix(end + 1);
    }
    return false;
}

bool openUrl(std::string_view url) {
    return QDesktopServices::openUrl(
        QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())), QUrl::StrictMode));
}

// Tugworth's own name on the session bus: the bridges answer only its owner. The single
// instance service of the desktop program owns it in the end; until then, here.
bool ownApplicationBusName(QDBusConnection& bus, Log& log) {
    if (bus.registerService(QString::fromLatin1(kAppId))) return true;
    log.error("Could not own the name ", kAppId, " on the session bus (",
              bus.lastError().message().toStdString(),
              "): is Tugworth running already? The compositor's bridge answers only that name");
    return false;
}

// The driver for the compositor, or null with the reason on the log.
std::unique_ptr<wayland::CompositorDriver> connectDriver(WaylandCompositor compositor,
                                                         QDBusConnection& bus, Log& log) {
    if (compositor != WaylandCompositor::GnomeShell) return nullptr;
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(wayland::gnome::kShellBusName))) {
        log.error(
            "XDG_CURRENT_DESKTOP names GNOME, but GNOME Shell is not on the session bus: "
            "Tugworth cannot move windows on this Wayland session");
        return nullptr;
    }
    auto driver = std::make_unique<wayland::gnome::GnomeShellDriver>(bus);
    if (!driver->bridgeAnswers()) {
        log.error(wayland::gnome::extensionMissingMessage());
        return nullptr;
    }
    return driver;
}

}  // namespace

WaylandCompositor detectWaylandCompositor() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland == nullptr || *wayland == '\0') return WaylandCompositor::None;
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop != nullptr && listContains(desktop, "GNOME")) return WaylandCompositor::GnomeShell;
    return WaylandCompositor::None;
}

int runOnWayland(WaylandCompositor compositor, int argc, char** argv, StdoutLogSink& logSink,
                 Log& log) {
    // Qt draws natively on the compositor; X11 through XWayland only if the plug-in is missing.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "wayland;xcb");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tugworth"));
    QApplication::setApplicationVersion(QStringLiteral(TUGWORTH_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tugworth"));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        log.error("No session bus: Tugworth reaches the compositor through it");
        return EXIT_FAILURE;
    }
    if (!ownApplicationBusName(bus, log)) return EXIT_FAILURE;
    auto driver = connectDriver(compositor, bus, log);
    if (!driver) return EXIT_FAILURE;
    wayland::CompositorDesktop desktop(std::move(driver), openUrl);

    qt::QtToolkit toolkit(logSink);
    qt::QtSettingsStorage storage(qt::QtSettingsStorage::defaultFilePath(), logSink);

    bool dispatchPosted = false;
    desktop.start(
        [&] {
            if (dispatchPosted) return;
            dispatchPosted = true;
            // After the messages already read: they join the batch and are coalesced.
            QTimer::singleShot(0, [&] {
                dispatchPosted = false;
                desktop.dispatchPendingEvents();
            });
        },
        [&log](const std::string& reason) { log.error(reason); });

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
    return runApplication(platform);
}

}  // namespace tugworth
