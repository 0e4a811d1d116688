// Resizes one window by a pointer delta through a fixed chain of strategies.
#pragma once

#include "manipulation/WindowManipulator.h"

namespace tugworth {

// The size becomes (width + dx, height - dy), each at least minimumWindowSize; the top-left
// corner stays where it is, so the bottom-right corner follows the pointer.
class WindowResizer final : public WindowManipulator {
public:
    static constexpr double minimumWindowSize = 50.0;

    using WindowManipulator::WindowManipulator;

    bool manipulate(double dx, double dy) override;

    bool resizeUsingFrame(double dx, double dy);
    bool resizeUsingSize(double dx, double dy);
    bool resizeUsingFallbacks(double dx, double dy);
};

}  // namespace tugworth
