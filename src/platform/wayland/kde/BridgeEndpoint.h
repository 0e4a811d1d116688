// The object the bridge script calls (kAppObjectPath + "/KWin"): keeps what the script last
// reported and the frames waiting for it. Only KWin's own connection is answered.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>

#include "platform/wayland/CompositorDriver.h"
#include "platform/wayland/kde/BridgeMessages.h"

namespace tugworth::wayland::kde {

inline constexpr char kBridgeInterface[] = "org.tugworth.Tugworth.KWinBridge";

class BridgeEndpoint final : public QDBusVirtualObject {
public:
    // `kwinConnection`: KWin's unique bus name, the only caller answered.
    BridgeEndpoint(QString kwinConnection, QString pluginName);
    ~BridgeEndpoint() override;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& path) const override;

    bool reported() const { return list_.has_value() && pointer_.has_value(); }
    const std::optional<std::string>& lost() const { return lost_; }
    // Marks the bridge gone and tells the listener once.
    void lose(const std::string& reason);

    std::optional<std::vector<CompositorWindow>> windows() const;
    std::optional<Point> pointerLocation() const { return pointer_; }
    std::vector<Rect> monitors() const;
    std::vector<Rect> workAreas() const;
    FrameWriteResult requestFrame(CompositorWindowId id, const Rect& frame);

    void onPointerMoved(std::function<void(Point)> moved) { pointerMoved_ = std::move(moved); }
    void onLost(std::function<void(const std::string&)> lost) { onLost_ = std::move(lost); }

private:
    void receiveWindowList(const QString& text);
    void takeFrameRequest(const QDBusMessage& message);
    void sendFrames();
    void checkScriptLoaded();

    QString kwinConnection_;
    QString pluginName_;
    std::optional<BridgeWindowList> list_;
    std::map<QString, CompositorWindowId> ids_;  // KWin's UUIDs, ours for as long as we run
    CompositorWindowId nextId_ = 1;
    std::optional<Point> pointer_;
    std::vector<BridgeFrame> pendingFrames_;
    std::optional<QDBusMessage> waitingRequest_;
    QTimer heartbeat_;  // answers the waiting request before KWin's call times out
    QTimer scriptCheck_;
    QDBusServiceWatcher kwinWatcher_;
    std::optional<std::string> lost_;
    std::function<void(Point)> pointerMoved_;
    std::function<void(const std::string&)> onLost_;
};

}  // namespace tugworth::wayland::kde
