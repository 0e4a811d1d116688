// Moves one window by a pointer delta through a fixed chain of strategies.
#pragma once

#include <array>
#include <string_view>

#include "manipulation/WindowManipulator.h"
#include "platform/AXNames.h"
#include "platform/Value.h"

namespace tugworth {

// The origin moves to (x + dx, y - dy): the delta is measured with y up, windows with y down.
// The size is never changed.
class WindowMover final : public WindowManipulator {
public:
    // Some applications take a position only under one of these names, tried in this order.
    static constexpr std::array<std::string_view, 3> alternativePositionAttributes{
        ax::kPosition, "Position", "WindowPosition"};

    using WindowManipulator::WindowManipulator;

    bool manipulate(double dx, double dy) override;

    bool moveUsingFrame(double dx, double dy);
    // (x, y) is the frame origin already read by moveUsingFrame.
    bool setPositionSeparately(double x, double y, double dx, double dy);
    bool moveUsingPosition(double dx, double dy);
    bool moveUsingFallbacks(double dx, double dy);

private:
    bool writeAlternativePositions(const Value& boxedPoint);
    bool performMoveAction();
    bool moveUsingAlternativeAttributes(double dx, double dy);
};

}  // namespace tugworth
