// One Tugworth per session. The first launch owns the application id on the session bus and
// serves Reopen there; a later launch calls Reopen on it and ends. Without a session bus a
// lock file in the runtime folder keeps a second launch out.
#pragma once

#include <functional>
#include <optional>

#include <QDBusConnection>
#include <QObject>

#include "platform/Log.h"

namespace tugworth {

class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tugworth.Tugworth")

public:
    // Needs the application object; call claim() next.
    explicit SingleInstance(Log& log);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Nothing when this is the only instance. Otherwise the status to end with: 0 once the
    // running instance has been asked to reopen, 1 when it could not be reached.
    std::optional<int> claim();

    // What Reopen does; until set, a call only logs.
    void setReopenHandler(std::function<void()> handler) { reopen_ = std::move(handler); }

    // The connection the application's objects are served on (the session bus).
    static QDBusConnection connection() { return QDBusConnection::sessionBus(); }

public Q_SLOTS:  // NOLINT(readability-redundant-access-specifiers): moc reads it
    // A later launch hands over: show the preferences window, as reopening an application does.
    Q_SCRIPTABLE void Reopen();

private:
    std::optional<int> claimOnBus(QDBusConnection& bus);
    std::optional<int> claimLockFile();

    Log& log_;
    std::function<void()> reopen_;
    int lockFile_ = -1;
};

}  // namespace tugworth
