#include "platform/wayland/kde/KWinScripting.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include "platform/wayland/kde/KWinDriver.h"

namespace tugworth::wayland::kde {

namespace {

constexpr int kCallTimeoutMs = 2000;

QDBusMessage callKWin(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kKWinService), path, interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
}

QDBusMessage callScripting(const QString& method, const QVariantList& arguments) {
    return callKWin(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"), method,
                    arguments);
}

}  // namespace

bool loadAndRunScript(const QString& path, const QString& pluginName, std::string& error) {
    const QDBusReply<int> id = callScripting(QStringLiteral("loadScript"), {path, pluginName});
    if (!id.isValid() || id.value() < 0) {
        error = "KWin did not load the bridge script " + path.toStdString() +
                (id.isValid() ? "" : ": " + id.error().message().toStdString());
        return false;
    }
    // KWin 6 names a script's object /Scripting/ScriptN, KWin 5 /N.
    const QString number = QString::number(id.value());
    const QString interface = QStringLiteral("org.kde.kwin.Script");
    for (const QString& objectPath : {QStringLiteral("/Scripting/Script") + number, "/" + number}) {
        const QDBusMessage reply = callKWin(objectPath, interface, QStringLiteral("run"));
        if (reply.type() == QDBusMessage::ReplyMessage) return true;
    }
    error = "KWin loaded the bridge script " + path.toStdString() + " but did not run it";
    unloadScript(pluginName);
    return false;
}

void unloadScript(const QString& pluginName) {
    callScripting(QStringLiteral("unloadScript"), {pluginName});
}

std::optional<bool> isScriptLoaded(const QString& pluginName) {
    const QDBusReply<bool> loaded = callScripting(QStringLiteral("isScriptLoaded"), {pluginName});
    if (!loaded.isValid()) return std::nullopt;
    return loaded.value();
}

}  // namespace tugworth::wayland::kde
