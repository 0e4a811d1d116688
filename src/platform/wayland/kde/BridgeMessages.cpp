#include "platform/wayland/kde/BridgeMessages.h"

#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tugworth::wayland::kde {

namespace {

std::optional<QJsonObject> parseObject(const QString& text) {
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject()) return std::nullopt;
    return document.object();
}

bool isFiniteNumber(const QJsonValue& value) {
    return value.isDouble() && std::isfinite(value.toDouble());
}

// A rectangle with finite numbers and no negative size; nullopt otherwise.
std::optional<Rect> decodeRect(const QJsonObject& object) {
    const QJsonValue x = object["x"], y = object["y"];
    const QJsonValue width = object["width"], height = object["height"];
    if (!isFiniteNumber(x) || !isFiniteNumber(y) || !isFiniteNumber(width) ||
        !isFiniteNumber(height) || width.toDouble() < 0 || height.toDouble() < 0) {
        return std::nullopt;
    }
    return Rect{x.toDouble(), y.toDouble(), width.toDouble(), height.toDouble()};
}

CompositorWindowKind decodeKind(const QString& kind) {
    if (kind == QLatin1String("normal")) return CompositorWindowKind::Normal;
    if (kind == QLatin1String("dialog")) return CompositorWindowKind::Dialog;
    if (kind == QLatin1String("utility")) return CompositorWindowKind::Utility;
    if (kind == QLatin1String("desktop")) return CompositorWindowKind::Desktop;
    if (kind == QLatin1String("dock")) return CompositorWindowKind::Dock;
    return CompositorWindowKind::Other;
}

std::optional<BridgeWindow> decodeWindow(const QJsonObject& object) {
    const QString uuid = object["id"].toString();
    const std::optional<Rect> frame = decodeRect(object);
    if (uuid.isEmpty() || !frame) return std::nullopt;
    BridgeWindow bridged{uuid, {}};
    CompositorWindow& window = bridged.window;
    const double pid = object["pid"].toDouble(0);
    window.pid = pid > 0 && pid < 1e9 ? static_cast<Pid>(pid) : 0;
    window.applicationName = object["app"].toString().toStdString();
    window.title = object["title"].toString().toStdString();
    window.frame = *frame;
    window.minimized = object["minimized"].toBool();
    window.maximized = object["maximized"].toBool();
    window.fullscreen = object["fullscreen"].toBool();
    window.kind = decodeKind(object["kind"].toString());
    return bridged;
}

}  // namespace

std::optional<BridgeWindowList> decodeWindowList(const QString& text) {
    const std::optional<QJsonObject> object = parseObject(text);
    if (!object) return std::nullopt;
    BridgeWindowList list;
    for (const auto& value : (*object)["windows"].toArray()) {
        if (std::optional<BridgeWindow> window = decodeWindow(value.toObject())) {
            list.windows.push_back(std::move(*window));
        }
    }
    for (const auto& [key, rects] :
         {std::pair{"monitors", &list.monitors}, std::pair{"workAreas", &list.workAreas}}) {
        for (const auto& value : (*object)[QLatin1String(key)].toArray()) {
            if (std::optional<Rect> rect = decodeRect(value.toObject())) rects->push_back(*rect);
        }
    }
    // A work area for each monitor, or none at all.
    if (list.workAreas.size() != list.monitors.size()) list.workAreas = list.monitors;
    return list;
}

std::optional<Point> decodePointer(const QString& text) {
    const std::optional<QJsonObject> object = parseObject(text);
    if (!object || !isFiniteNumber((*object)["x"]) || !isFiniteNumber((*object)["y"])) {
        return std::nullopt;
    }
    return Point{(*object)["x"].toDouble(), (*object)["y"].toDouble()};
}

QString encodeFrames(const std::vector<BridgeFrame>& frames) {
    QJsonArray array;
    for (const BridgeFrame& frame : frames) {
        // KWin places windows on whole logical pixels.
        array.append(QJsonObject{{"id", frame.uuid},
                                 {"x", std::round(frame.frame.x)},
                                 {"y", std::round(frame.frame.y)},
                                 {"width", std::round(frame.frame.width)},
                                 {"height", std::round(frame.frame.height)}});
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

}  // namespace tugworth::wayland::kde
