// Which requested origins and sizes a display server can take (finite, inside the range of its
// coordinates, and a size of at least one point each way), and what a geometry write asks for.
#pragma once

#include <cmath>
#include <optional>
#include <string_view>

#include "platform/AXNames.h"
#include "platform/AXValue.h"
#include "platform/Geometry.h"

namespace tugworth {

inline bool originWithin(Point p, double limit) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= limit &&
           std::fabs(p.y) <= limit;
}

inline bool sizeWithin(Size s, double limit) {
    return std::isfinite(s.width) && std::isfinite(s.height) && s.width >= 1.0 && s.height >= 1.0 &&
           s.width <= limit && s.height <= limit;
}

// A new origin, a new size, or both (a frame), in the coordinates the write gave them.
struct FrameChange {
    std::optional<Point> origin;
    std::optional<Size> size;

    Rect appliedTo(Rect frame) const {
        if (origin) frame = {origin->x, origin->y, frame.width, frame.height};
        if (size) frame = {frame.x, frame.y, size->width, size->height};
        return frame;
    }
};

// What writing `box` to the position, size or frame attribute asks for; nothing for a box of
// another kind, a value outside `limit`, or another attribute.
inline std::optional<FrameChange> frameChangeFor(std::string_view attribute, const AXValue& box,
                                                 double limit) {
    Point origin;
    Size size;
    Rect frame;
    if (attribute == ax::kPosition && box.getValue(origin) && originWithin(origin, limit)) {
        return FrameChange{origin, std::nullopt};
    }
    if (attribute == ax::kSize && box.getValue(size) && sizeWithin(size, limit)) {
        return FrameChange{std::nullopt, size};
    }
    if (attribute == ax::kFrame && box.getValue(frame) && originWithin(frame.origin(), limit) &&
        sizeWithin(frame.size(), limit)) {
        return FrameChange{frame.origin(), frame.size()};
    }
    return std::nullopt;
}

}  // namespace tugworth
