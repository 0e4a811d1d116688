#include "platform/wayland/kde/KdeSession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "platform/wayland/kde/KWinDriver.h"
#include "platform/wayland/kde/KeystateModifiers.h"

namespace tugworth::wayland::kde {

namespace {

constexpr char kScriptName[] = "tugworth-bridge.js";

QString findBridgeScript() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.filePath(QStringLiteral("../share/tugworth/kwin/") + kScriptName),
        QStringLiteral(TUGWORTH_KWIN_SCRIPT_DIR "/") + kScriptName,
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isReadable()) return QFileInfo(candidate).canonicalFilePath();
    }
    return candidates.back();  // named in the message about it missing
}

}  // namespace

bool looksLikePlasmaWayland(const char* waylandDisplay, const char* currentDesktop) {
    if (waylandDisplay == nullptr || *waylandDisplay == '\0' || currentDesktop == nullptr) {
        return false;
    }
    // A colon-separated list, e.g. "KDE" or "KDE:plasma".
    return QString::fromLocal8Bit(currentDesktop)
        .split(QLatin1Char(':'))
        .contains(QStringLiteral("KDE"), Qt::CaseInsensitive);
}

std::unique_ptr<CompositorDriver> connectKdeDriver(std::string& error) {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (bus == nullptr || !bus->isServiceRegistered(QString::fromLatin1(kKWinService)).value()) {
        error =
            "This KDE Wayland session has no KWin on the session bus (org.kde.KWin), "
            "which Tugworth needs to see and move windows";
        return nullptr;
    }
    std::unique_ptr<KeystateModifiers> modifiers = KeystateModifiers::connect(error);
    if (!modifiers) return nullptr;
    return KWinDriver::connect(findBridgeScript(), std::move(modifiers), error);
}

}  // namespace tugworth::wayland::kde
