#include "platform/wayland/kde/KWinDriver.h"

#include <chrono>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFileInfo>

#include "platform/wayland/kde/BridgeEndpoint.h"
#include "platform/wayland/kde/KWinScripting.h"
#include "program/AppIdentity.h"

namespace tugworth::wayland::kde {

namespace {

constexpr int kFirstReportTimeoutMs = 3000;

QString bridgeObjectPath() {
    return QString::fromLatin1(kAppObjectPath) + "/KWin";
}

// The script calls Tugworth by its well-known name. Normally the single-instance service owns
// it already; a process without one (a test) takes it here.
bool ownAppName(QDBusConnection& bus, std::string& error) {
    const QString name = QString::fromLatin1(kAppId);
    if (bus.interface()->serviceOwner(name).value() == bus.baseService()) return true;
    if (bus.registerService(name)) return true;
    error = "Another program owns the bus name " + name.toStdString() +
            ", through which KWin's script reaches Tugworth";
    return false;
}

}  // namespace

KWinDriver::KWinDriver(std::unique_ptr<ModifierSource> modifiers)
    : modifiers_(std::move(modifiers)) {}

std::unique_ptr<KWinDriver> KWinDriver::connect(const QString& scriptPath,
                                                std::unique_ptr<ModifierSource> modifiers,
                                                std::string& error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = "Cannot reach the session D-Bus, through which Tugworth talks to KWin";
        return nullptr;
    }
    const QString kwin = bus.interface()->serviceOwner(QString::fromLatin1(kKWinService));
    if (kwin.isEmpty()) {
        error = "KWin is not on the session bus (no org.kde.KWin)";
        return nullptr;
    }
    if (!QFileInfo(scriptPath).isReadable()) {
        error = "The KWin bridge script " + scriptPath.toStdString() +
                " is missing; reinstall Tugworth";
        return nullptr;
    }
    if (!ownAppName(bus, error)) return nullptr;

    std::unique_ptr<KWinDriver> driver(new KWinDriver(std::move(modifiers)));
    const QString pluginName = QString::fromLatin1(kBridgePluginName);
    driver->endpoint_ = std::make_unique<BridgeEndpoint>(kwin, pluginName);
    if (!bus.registerVirtualObject(bridgeObjectPath(), driver->endpoint_.get())) {
        error = "Cannot register the KWin bridge's object on the session bus";
        return nullptr;
    }
    // A script left by a Tugworth that did not end cleanly would call us twice.
    unloadScript(pluginName);
    if (!loadAndRunScript(scriptPath, pluginName, error)) return nullptr;

    QDeadlineTimer deadline(kFirstReportTimeoutMs);
    while (!driver->endpoint_->reported() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    if (!driver->endpoint_->reported()) {
        error = "KWin ran the bridge script " + scriptPath.toStdString() +
                " but it did not report within " + std::to_string(kFirstReportTimeoutMs / 1000) +
                " s";
        return nullptr;
    }
    return driver;
}

KWinDriver::~KWinDriver() {
    if (!endpoint_) return;
    if (!endpoint_->lost()) unloadScript(QString::fromLatin1(kBridgePluginName));
    QDBusConnection::sessionBus().unregisterObject(bridgeObjectPath());
}

bool KWinDriver::bridgeAnswers() {
    if (endpoint_->lost()) return false;
    return isScriptLoaded(QString::fromLatin1(kBridgePluginName)).value_or(false);
}

std::optional<std::vector<CompositorWindow>> KWinDriver::windowsFrontToBack() {
    return endpoint_->windows();
}

std::optional<CompositorPointer> KWinDriver::pointer() {
    const std::optional<Point> location = endpoint_->pointerLocation();
    if (endpoint_->lost() || !location) return std::nullopt;
    return CompositorPointer{*location, modifiers_->modifierFlags()};
}

std::vector<Rect> KWinDriver::monitors() {
    return endpoint_->monitors();
}

std::vector<Rect> KWinDriver::workAreas() {
    return endpoint_->workAreas();
}

FrameWriteResult KWinDriver::requestFrame(CompositorWindowId id, const Rect& frame) {
    return endpoint_->requestFrame(id, frame);
}

void KWinDriver::watch(CompositorEvents events) {
    auto shared = std::make_shared<CompositorEvents>(std::move(events));
    endpoint_->onPointerMoved([this, shared](Point location) {
        if (shared->pointerMoved) shared->pointerMoved({location, modifiers_->modifierFlags()});
    });
    endpoint_->onLost([shared](const std::string& reason) {
        if (shared->bridgeLost) shared->bridgeLost(reason);
    });
    modifiers_->watch([shared](std::uint64_t flags) {
        if (shared->modifiersChanged) shared->modifiersChanged(flags);
    });
}

}  // namespace tugworth::wayland::kde
