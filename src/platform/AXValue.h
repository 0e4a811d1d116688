// Boxed geometry: exactly one point, size or rectangle, as the Accessibility service passes it.
#pragma once

#include "platform/Geometry.h"

namespace tugworth {

enum class AXValueType : int {
    kAXValueCGPointType = 1,
    kAXValueCGSizeType = 2,
    kAXValueCGRectType = 3,
};

class AXValue {
public:
    static AXValue create(Point p) {
        return AXValue(AXValueType::kAXValueCGPointType, {p.x, p.y, 0, 0});
    }
    static AXValue create(Size s) {
        return AXValue(AXValueType::kAXValueCGSizeType, {0, 0, s.width, s.height});
    }
    static AXValue create(Rect r) { return AXValue(AXValueType::kAXValueCGRectType, r); }

    AXValueType type() const { return type_; }

    // Each answers false, leaving `out` untouched, for a box of another kind.
    bool getValue(Point& out) const {
        if (type_ != AXValueType::kAXValueCGPointType) return false;
        out = data_.origin();
        return true;
    }
    bool getValue(Size& out) const {
        if (type_ != AXValueType::kAXValueCGSizeType) return false;
        out = data_.size();
        return true;
    }
    bool getValue(Rect& out) const {
        if (type_ != AXValueType::kAXValueCGRectType) return false;
        out = data_;
        return true;
    }

    friend bool operator==(const AXValue&, const AXValue&) = default;

private:
    AXValue(AXValueType type, Rect data) : type_(type), data_(data) {}

    AXValueType type_;
    Rect data_;
};

}  // namespace tugworth
