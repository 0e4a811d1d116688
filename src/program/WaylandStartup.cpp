// The program on a Wayland session: Qt on Wayland, the compositor's driver, the core.
#include "program/WaylandStartup.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "platform/wayland/CompositorDesktop.h"
#include "platform/wayland/gnome/GnomeShellDriver.h"
#include "platform/wayland/gnome/ShellBridge.h"
#include "platform/wayland/kde/KdeSession.h"
#include "program/ProgramShell.h"

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

std::unique_ptr<wayland::CompositorDriver> connectGnomeDriver(std::string& error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = "No session bus: Tugworth reaches the compositor through it";
        return nullptr;
    }
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(wayland::gnome::kShellBusName))) {
        error =
            "XDG_CURRENT_DESKTOP names GNOME, but GNOME Shell is not on the session bus: "
            "Tugworth cannot move windows on this Wayland session";
        return nullptr;
    }
    auto driver = std::make_unique<wayland::gnome::GnomeShellDriver>(bus);
    if (!driver->bridgeAnswers()) {
        error = wayland::gnome::extensionMissingMessage();
        return nullptr;
    }
    return driver;
}

}  // namespace

WaylandCompositor detectWaylandCompositor(const char* waylandDisplay, const char* currentDesktop) {
    if (waylandDisplay == nullptr || *waylandDisplay == '\0') return WaylandCompositor::None;
    if (currentDesktop != nullptr && listContains(currentDesktop, "GNOME")) {
        return WaylandCompositor::GnomeShell;
    }
    if (wayland::kde::looksLikePlasmaWayland(waylandDisplay, currentDesktop)) {
        return WaylandCompositor::KWin;
    }
    return WaylandCompositor::None;
}

int runOnWayland(WaylandCompositor compositor, char* programName, LogSink& logSink, Log& log) {
    // Qt draws natively on the compositor; X11 through XWayland only if the plug-in is missing.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "wayland;xcb");
    ProgramShell shell(programName, logSink, log);
    if (const std::optional<int> status = shell.claimInstance()) return *status;

    std::string error;
    std::unique_ptr<wayland::CompositorDriver> driver = compositor == WaylandCompositor::GnomeShell
                                                            ? connectGnomeDriver(error)
                                                            : wayland::kde::connectKdeDriver(error);
    if (!driver) {
        log.error(error);
        return EXIT_FAILURE;
    }
    wayland::CompositorDesktop desktop(std::move(driver), openUrl);

    // A disabled GNOME extension can be enabled again while Tugworth waits; an unloaded KWin
    // script is ours to load, which only a new start does.
    const bool endWhenBridgeLost = compositor == WaylandCompositor::KWin;
    bool bridgeLost = false;
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
        [&](const std::string& reason) {
            log.error(reason);
            if (!endWhenBridgeLost) return;
            bridgeLost = true;
            shell.toolkit().terminate();
        });

    const int status = shell.run(
        {desktop.accessibility(), desktop.windowServer(), desktop.desktop(), desktop.monitors()});
    return bridgeLost ? EXIT_FAILURE : status;
}

}  // namespace tugworth
