// Reads, writes and events of Tugworth's GNOME Shell extension over Qt D-Bus.
#include "platform/wayland/gnome/GnomeShellDriver.h"

#include <QDBusArgument>

#include "platform/wayland/gnome/ShellBridge.h"

namespace tugworth::wayland::gnome {
namespace {

// Long enough for a busy compositor, short enough that a hung one cannot freeze us for long.
constexpr int kCallTimeoutMs = 2000;

Rect readRect(const QDBusArgument& argument) {
    qint32 x = 0, y = 0, width = 0, height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return {double(x), double(y), double(width), double(height)};
}

std::vector<Rect> readRects(const QVariant& value) {
    std::vector<Rect> rects;
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) rects.push_back(readRect(argument));
    argument.endArray();
    return rects;
}

Rect shifted(Rect r, Point by) {
    r.x -= by.x;
    r.y -= by.y;
    return r;
}

}  // namespace

std::string extensionMissingMessage() {
    return std::string("The GNOME Shell extension ") + kExtensionUuid +
           " does not answer, and Tugworth cannot move windows on GNOME without it. Run "
           "\"gnome-extensions enable " +
           kExtensionUuid +
           "\" and start Tugworth again; right after a first installation, log out and back in "
           "first (GNOME Shell on Wayland finds new extensions only at log-in)";
}

GnomeShellDriver::GnomeShellDriver(QDBusConnection bus)
    : bus_(std::move(bus)),
      shellWatcher_(QString::fromLatin1(kShellBusName), bus_,
                    QDBusServiceWatcher::WatchForUnregistration) {
    connect(&shellWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &GnomeShellDriver::onShellVanished);
}

QDBusMessage GnomeShellDriver::call(const char* method, const QList<QVariant>& arguments) {
    auto message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kShellBusName), QString::fromLatin1(kBridgePath),
        QString::fromLatin1(kBridgeInterface), QString::fromLatin1(method));
    message.setArguments(arguments);
    QDBusMessage reply = bus_.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) return {};
    return reply;
}

bool GnomeShellDriver::bridgeAnswers() {
    return call("Ping").arguments().size() == 1;
}

bool GnomeShellDriver::readMonitors() {
    const auto reply = call("Monitors");
    if (reply.arguments().size() != 2) return false;
    auto monitors = readRects(reply.arguments().at(0));
    auto areas = readRects(reply.arguments().at(1));
    if (monitors.empty()) return false;
    origin_ = monitors.front().origin();
    monitors_.clear();
    workAreas_.clear();
    for (const Rect& r : monitors) monitors_.push_back(shifted(r, origin_));
    for (const Rect& r : areas) workAreas_.push_back(shifted(r, origin_));
    return true;
}

std::vector<Rect> GnomeShellDriver::monitors() {
    if (!readMonitors()) return {};
    return monitors_;
}

std::vector<Rect> GnomeShellDriver::workAreas() {
    if (!readMonitors()) return {};
    return workAreas_;
}

std::optional<std::vector<CompositorWindow>> GnomeShellDriver::windowsFrontToBack() {
    const auto reply = call("Windows");
    if (reply.arguments().size() != 1) return std::nullopt;
    std::vector<CompositorWindow> windows;
    const auto argument = reply.arguments().at(0).value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        CompositorWindow w;
        quint64 id = 0;
        qint32 pid = 0;
        QString application, title;
        quint32 flags = 0, type = 0;
        argument.beginStructure();
        argument >> id >> pid >> application >> title;
        w.frame = shifted(readRect(argument), origin_);
        argument >> flags >> type;
        argument.endStructure();
        w.id = id;
        w.pid = pid;
        w.applicationName = application.toStdString();
        w.title = title.toStdString();
        w.minimized = (flags & kFlagMinimized) != 0;
        w.maximized = (flags & kFlagMaximized) != 0;
        w.fullscreen = (flags & kFlagFullscreen) != 0;
        w.kind = kindOfWindowType(type);
        windows.push_back(std::move(w));
    }
    argument.endArray();
    return windows;
}

CompositorPointer GnomeShellDriver::pointerAt(int x, int y, uint mask) const {
    return {{double(x) - origin_.x, double(y) - origin_.y},
            modifierFlagsOfMask(mask),
            maskHoldsButton(mask)};
}

std::optional<CompositorPointer> GnomeShellDriver::pointer() {
    const auto reply = call("Pointer");
    const auto arguments = reply.arguments();
    if (arguments.size() != 3) return std::nullopt;
    return pointerAt(arguments.at(0).toInt(), arguments.at(1).toInt(), arguments.at(2).toUInt());
}

FrameWriteResult GnomeShellDriver::requestFrame(CompositorWindowId id, const Rect& frame) {
    const auto reply = call("SetFrame", {QVariant::fromValue<quint64>(id),
                                         QVariant::fromValue<qint32>(qint32(frame.x + origin_.x)),
                                         QVariant::fromValue<qint32>(qint32(frame.y + origin_.y)),
                                         QVariant::fromValue<qint32>(qint32(frame.width)),
                                         QVariant::fromValue<qint32>(qint32(frame.height))});
    if (reply.arguments().size() != 1) return FrameWriteResult::BridgeGone;
    return frameWriteResultOf(reply.arguments().at(0).toUInt());
}

void GnomeShellDriver::watch(CompositorEvents events) {
    events_ = std::move(events);
    readMonitors();
    const QString shell = QString::fromLatin1(kShellBusName);
    const QString path = QString::fromLatin1(kBridgePath);
    const QString interface = QString::fromLatin1(kBridgeInterface);
    bus_.connect(shell, path, interface, QStringLiteral("PointerMoved"), this,
                 SLOT(onPointerMoved(int, int, uint)));
    bus_.connect(shell, path, interface, QStringLiteral("ModifiersChanged"), this,
                 SLOT(onModifiersChanged(uint)));
    bus_.connect(shell, path, interface, QStringLiteral("Closing"), this, SLOT(onClosing(bool)));
}

void GnomeShellDriver::onPointerMoved(int x, int y, uint mask) {
    if (events_.pointerMoved) events_.pointerMoved(pointerAt(x, y, mask));
}

void GnomeShellDriver::onModifiersChanged(uint mask) {
    if (events_.modifiersChanged) events_.modifiersChanged(modifierFlagsOfMask(mask));
}

void GnomeShellDriver::onClosing(bool screenLocked) {
    // Locking the screen disables extensions until it is unlocked: nothing to tell then.
    if (screenLocked) return;
    lost(std::string("The GNOME Shell extension ") + kExtensionUuid +
         " was disabled: windows cannot be moved until it is enabled again (run "
         "\"gnome-extensions enable " +
         kExtensionUuid + "\")");
}

void GnomeShellDriver::onShellVanished() {
    lost("GNOME Shell has left the session bus: windows cannot be moved until it is back");
}

void GnomeShellDriver::lost(const std::string& reason) {
    if (events_.bridgeLost) events_.bridgeLost(reason);
}

}  // namespace tugworth::wayland::gnome
