// The compositor driver for GNOME Shell: Tugworth's extension, reached over the session bus.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>

#include "platform/wayland/CompositorDriver.h"

namespace tugworth::wayland::gnome {

// Calls wait for the answer (the core reads synchronously); the extension's signals arrive on
// the Qt event loop. Coordinates are turned from the stage's space (origin at the top-left of
// all monitors) into the primary monitor's.
class GnomeShellDriver final : public QObject, public CompositorDriver {
    Q_OBJECT

public:
    explicit GnomeShellDriver(QDBusConnection bus);

    std::string compositorName() const override { return "GNOME Shell"; }
    bool bridgeAnswers() override;
    std::optional<std::vector<CompositorWindow>> windowsFrontToBack() override;
    std::optional<CompositorPointer> pointer() override;
    std::vector<Rect> monitors() override;
    std::vector<Rect> workAreas() override;
    FrameWriteResult requestFrame(CompositorWindowId id, const Rect& frame) override;
    void watch(CompositorEvents events) override;

private Q_SLOTS:
    void onPointerMoved(int x, int y, uint mask);
    void onModifiersChanged(uint mask);
    void onClosing(bool screenLocked);
    void onShellVanished();

private:  // NOLINT(readability-redundant-access-specifiers): ends moc's slot section
    // The answer, or an empty message when the bridge gave none.
    QDBusMessage call(const char* method, const QList<QVariant>& arguments = {});
    bool readMonitors();
    CompositorPointer pointerAt(int x, int y, uint mask) const;
    void lost(const std::string& reason);

    QDBusConnection bus_;
    QDBusServiceWatcher shellWatcher_;
    CompositorEvents events_;
    // The primary monitor's top-left corner in the stage's space.
    Point origin_;
    std::vector<Rect> monitors_;
    std::vector<Rect> workAreas_;
};

// The [ERROR] sentence for when the extension does not answer: what to run to enable it.
std::string extensionMissingMessage();

}  // namespace tugworth::wayland::gnome
