// Placeholder definitions until the gesture-input subsystem lands; this file is deleted then.
#include <cstdlib>

#include "app/AppDelegate.h"

namespace tugworth {
void AppDelegate::handleMouseMove(const Event&) { std::abort(); }
void AppDelegate::moveTargetWindow(double, double, const Element&) { std::abort(); }
void AppDelegate::resizeTargetWindow(double, double, const Element&) { std::abort(); }
}  // namespace tugworth
