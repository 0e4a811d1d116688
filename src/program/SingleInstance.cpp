#include "program/SingleInstance.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStandardPaths>

#include "program/AppIdentity.h"

namespace tugworth {

namespace {

// A running instance answers at once; one that does not within this time is stuck.
constexpr int kReopenTimeoutMs = 5000;

}  // namespace

SingleInstance::SingleInstance(Log& log) : log_(log) {}

SingleInstance::~SingleInstance() {
    if (lockFile_ >= 0) ::close(lockFile_);
}

std::optional<int> SingleInstance::claim() {
    QDBusConnection bus = connection();
    return bus.isConnected() ? claimOnBus(bus) : claimLockFile();
}

std::optional<int> SingleInstance::claimOnBus(QDBusConnection& bus) {
    // The object first, so that a launch which finds the name taken can always call it.
    if (!bus.registerObject(QString::fromLatin1(kAppObjectPath), this,
                            QDBusConnection::ExportScriptableSlots)) {
        log_.warning("Could not serve ", kAppObjectPath,
                     " on the session bus: ", bus.lastError().message().toStdString());
    }
    const auto owned = bus.interface()->registerService(
        QString::fromLatin1(kAppId), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (owned.isValid() && owned.value() == QDBusConnectionInterface::ServiceRegistered) {
        return std::nullopt;
    }
    if (!owned.isValid()) {
        // A bus that refuses the name cannot tell us about other instances either.
        log_.warning("Could not own ", kAppId, " on the session bus (",
                     owned.error().message().toStdString(), "); running without that name");
        return std::nullopt;
    }
    bus.unregisterObject(QString::fromLatin1(kAppObjectPath));
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kAppId), QString::fromLatin1(kAppObjectPath),
        QString::fromLatin1(kAppInterface), QStringLiteral("Reopen"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, kReopenTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        log_.error("Tugworth is already running but did not answer (",
                   reply.errorMessage().toStdString(), "); quit it, then start Tugworth again");
        return 1;
    }
    log_.info("Tugworth is already running; asked it to show its preferences window");
    return 0;
}

std::optional<int> SingleInstance::claimLockFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const std::string path =
        (folder + QStringLiteral("/") + QString::fromLatin1(kAppId) + QStringLiteral(".lock"))
            .toStdString();
    lockFile_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFile_ < 0) {
        log_.warning("No session bus and no lock file (", path, ": ", std::strerror(errno),
                     "); a second Tugworth would not be noticed");
        return std::nullopt;
    }
    // The lock goes with the process, however it ends: no stale lock can keep Tugworth out.
    if (::flock(lockFile_, LOCK_EX | LOCK_NB) == 0) return std::nullopt;
    const int error = errno;
    ::close(lockFile_);
    lockFile_ = -1;
    if (error != EWOULDBLOCK) {
        log_.warning("Could not lock ", path, " (", std::strerror(error),
                     "); a second Tugworth would not be noticed");
        return std::nullopt;
    }
    log_.error("Tugworth is already running (it holds ", path,
               ") and without a session bus it cannot be asked to show itself; use the "
               "running one, or quit it first");
    return 1;
}

void SingleInstance::Reopen() {
    log_.info("Opened again: showing the preferences window");
    if (reopen_) reopen_();
}

}  // namespace tugworth
