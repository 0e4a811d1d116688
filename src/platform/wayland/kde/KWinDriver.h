// The KDE Plasma driver: a KWin script (data/kwin/tugworth-bridge.js) loaded over D-Bus calls
// this driver's object on the session bus with the pointer and the windows, and takes the
// frames to apply in the answers to a call it keeps waiting. Reads are served from what the
// script last sent; modifiers come from a ModifierSource, since scripts cannot see them.
#pragma once

#include <memory>
#include <string>

#include <QString>

#include "platform/wayland/CompositorDriver.h"
#include "platform/wayland/kde/ModifierSource.h"

namespace tugworth::wayland::kde {

class BridgeEndpoint;

inline constexpr char kKWinService[] = "org.kde.KWin";
inline constexpr char kBridgePluginName[] = "tugworth-bridge";

class KWinDriver final : public CompositorDriver {
public:
    // Loads the script at `scriptPath` into the KWin on the session bus and waits for its first
    // report. nullptr with `error` set to one sentence for the user when that fails. Needs a
    // running Qt event loop's thread (a QCoreApplication).
    static std::unique_ptr<KWinDriver> connect(const QString& scriptPath,
                                               std::unique_ptr<ModifierSource> modifiers,
                                               std::string& error);
    ~KWinDriver() override;  // unloads the script

    std::string compositorName() const override { return "KWin"; }
    bool bridgeAnswers() override;
    std::optional<std::vector<CompositorWindow>> windowsFrontToBack() override;
    std::optional<CompositorPointer> pointer() override;
    std::vector<Rect> monitors() override;
    std::vector<Rect> workAreas() override;
    FrameWriteResult requestFrame(CompositorWindowId id, const Rect& frame) override;
    void watch(CompositorEvents events) override;

private:
    KWinDriver(std::unique_ptr<ModifierSource> modifiers);

    std::unique_ptr<ModifierSource> modifiers_;
    std::unique_ptr<BridgeEndpoint> endpoint_;
};

}  // namespace tugworth::wayland::kde
