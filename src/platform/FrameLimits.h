// Which requested origins and sizes a display server can take: finite, inside the range of its
// coordinates, and a size of at least one point each way.
#pragma once

#include <cmath>

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

}  // namespace tugworth
