#include "platform/wayland/kde/BridgeEndpoint.h"

#include <algorithm>

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/wayland/kde/KWinDriver.h"

namespace tugworth::wayland::kde {

namespace {

// Below the 25 s after which KWin gives up on a call and the script would stop asking.
constexpr int kHeartbeatMs = 10000;
// How soon an unloaded script is noticed.
constexpr int kScriptCheckMs = 500;

}  // namespace

BridgeEndpoint::BridgeEndpoint(QString kwinConnection, QString pluginName)
    : kwinConnection_(std::move(kwinConnection)),
      pluginName_(std::move(pluginName)),
      kwinWatcher_(QString::fromLatin1(kKWinService), QDBusConnection::sessionBus(),
                   QDBusServiceWatcher::WatchForUnregistration) {
    heartbeat_.setSingleShot(true);
    heartbeat_.setInterval(kHeartbeatMs);
    QObject::connect(&heartbeat_, &QTimer::timeout, this, [this] { sendFrames(); });
    scriptCheck_.setInterval(kScriptCheckMs);
    QObject::connect(&scriptCheck_, &QTimer::timeout, this, [this] { checkScriptLoaded(); });
    scriptCheck_.start();
    QObject::connect(&kwinWatcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        lose(
            "KWin has left the session bus, so Tugworth can no longer "
            "see or move windows; restart Tugworth when KWin is back");
    });
}

BridgeEndpoint::~BridgeEndpoint() = default;

void BridgeEndpoint::lose(const std::string& reason) {
    if (lost_) return;
    lost_ = reason;
    scriptCheck_.stop();
    heartbeat_.stop();
    if (onLost_) onLost_(reason);
}

void BridgeEndpoint::checkScriptLoaded() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kKWinService), QStringLiteral("/Scripting"),
        QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
    call.setArguments({pluginName_});
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<bool> loaded = *watcher;
        if (loaded.isValid() && !loaded.value()) {
            lose("The KWin script " + pluginName_.toStdString() +
                 " was unloaded, so Tugworth can no longer see or move windows; restart "
                 "Tugworth to load it again");
        }
    });
}

bool BridgeEndpoint::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.interface() != QLatin1String(kBridgeInterface)) return false;
    if (message.service() != kwinConnection_) {
        connection.send(message.createErrorReply(QDBusError::AccessDenied,
                                                 QStringLiteral("Only KWin may call the bridge")));
        return true;
    }
    const QString member = message.member();
    const QString text = message.arguments().value(0).toString();
    if (member == QLatin1String("nextFrames")) {
        takeFrameRequest(message);
        return true;
    }
    connection.send(message.createReply());
    if (lost_) return true;
    if (member == QLatin1String("windowsChanged")) {
        receiveWindowList(text);
    } else if (member == QLatin1String("pointerMoved") || member == QLatin1String("hello")) {
        if (const std::optional<Point> location = decodePointer(text)) {
            const bool first = !pointer_.has_value();
            pointer_ = location;
            if (!first && pointerMoved_) pointerMoved_(*location);
        }
    }
    return true;
}

QString BridgeEndpoint::introspect(const QString&) const {
    return QStringLiteral(
               "<interface name=\"%1\">"
               "<method name=\"hello\"><arg type=\"s\" direction=\"in\"/></method>"
               "<method name=\"windowsChanged\"><arg type=\"s\" direction=\"in\"/></method>"
               "<method name=\"pointerMoved\"><arg type=\"s\" direction=\"in\"/></method>"
               "<method name=\"nextFrames\"><arg type=\"s\" direction=\"in\"/>"
               "<arg type=\"s\" direction=\"out\"/></method></interface>")
        .arg(QLatin1String(kBridgeInterface));
}

void BridgeEndpoint::receiveWindowList(const QString& text) {
    std::optional<BridgeWindowList> list = decodeWindowList(text);
    if (!list) return;
    for (BridgeWindow& bridged : list->windows) {
        auto [it, added] = ids_.try_emplace(bridged.uuid, nextId_);
        if (added) ++nextId_;
        bridged.window.id = it->second;
    }
    list_ = std::move(list);
}

std::optional<std::vector<CompositorWindow>> BridgeEndpoint::windows() const {
    if (lost_ || !list_) return std::nullopt;
    std::vector<CompositorWindow> windows;
    windows.reserve(list_->windows.size());
    for (const BridgeWindow& bridged : list_->windows) windows.push_back(bridged.window);
    return windows;
}

std::vector<Rect> BridgeEndpoint::monitors() const {
    return list_ ? list_->monitors : std::vector<Rect>{};
}

std::vector<Rect> BridgeEndpoint::workAreas() const {
    return list_ ? list_->workAreas : std::vector<Rect>{};
}

FrameWriteResult BridgeEndpoint::requestFrame(CompositorWindowId id, const Rect& frame) {
    if (lost_) return FrameWriteResult::BridgeGone;
    if (!list_) return FrameWriteResult::NoSuchWindow;
    const auto window = std::find_if(list_->windows.begin(), list_->windows.end(),
                                     [id](const BridgeWindow& w) { return w.window.id == id; });
    if (window == list_->windows.end()) return FrameWriteResult::NoSuchWindow;
    // Only the newest frame of a window matters once the script asks again.
    const auto queued = std::find_if(pendingFrames_.begin(), pendingFrames_.end(),
                                     [&](const BridgeFrame& f) { return f.uuid == window->uuid; });
    if (queued != pendingFrames_.end()) {
        queued->frame = frame;
    } else {
        pendingFrames_.push_back({window->uuid, frame});
    }
    if (waitingRequest_) sendFrames();
    return FrameWriteResult::Requested;
}

void BridgeEndpoint::takeFrameRequest(const QDBusMessage& message) {
    message.setDelayedReply(true);
    waitingRequest_ = message;
    if (!pendingFrames_.empty()) {
        sendFrames();
    } else {
        heartbeat_.start();
    }
}

void BridgeEndpoint::sendFrames() {
    if (!waitingRequest_) return;
    heartbeat_.stop();
    const QDBusMessage reply = waitingRequest_->createReply(encodeFrames(pendingFrames_));
    waitingRequest_.reset();
    pendingFrames_.clear();
    QDBusConnection::sessionBus().send(reply);
}

}  // namespace tugworth::wayland::kde
