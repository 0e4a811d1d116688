// The JSON texts the KWin bridge script and the KDE driver exchange, decoded and encoded in one
// place. Anything malformed is dropped: the script runs inside another program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "platform/Geometry.h"
#include "platform/wayland/CompositorDriver.h"

namespace tugworth::wayland::kde {

// A window as the script names it (KWin's internal id, a UUID).
struct BridgeWindow {
    QString uuid;
    CompositorWindow window;  // without its id: the driver gives those
};

struct BridgeWindowList {
    std::vector<BridgeWindow> windows;  // front-most first
    std::vector<Rect> monitors;
    std::vector<Rect> workAreas;  // in the order of monitors
};

struct BridgeFrame {
    QString uuid;
    Rect frame;
};

std::optional<BridgeWindowList> decodeWindowList(const QString& text);
std::optional<Point> decodePointer(const QString& text);
QString encodeFrames(const std::vector<BridgeFrame>& frames);

}  // namespace tugworth::wayland::kde
