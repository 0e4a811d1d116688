// Placeholder definitions until the targeting subsystem lands; this file is deleted then.
#include <cstdlib>

#include "app/AppDelegate.h"

namespace tugworth {
void AppDelegate::captureWindow() { std::abort(); }
void AppDelegate::logWindowInfo(const Element&) { std::abort(); }
std::optional<WindowSearchResult> AppDelegate::findWindowUnderPointer() { std::abort(); }
std::vector<Element> AppDelegate::getAllAccessibleWindows(Pid) { std::abort(); }
std::string AppDelegate::processName(Pid) { std::abort(); }
void AppDelegate::logWindowFrames(const Element&, std::int64_t) { std::abort(); }
bool AppDelegate::isWindowUnderMouse(const Element&, Point) { std::abort(); }
std::optional<Element> AppDelegate::getFinderWindow(Pid) { std::abort(); }
}  // namespace tugworth
