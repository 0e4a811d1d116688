// The window list, the desktop services and the event monitors of the simulated desktop.
#include <algorithm>

#include "platform/sim/Desktop.h"
#include "platform/sim/SimServices.h"

namespace tugworth::sim {

namespace {

Value boundsOf(const Rect& frame) {
    return Value::Dictionary{
        {"X", frame.x}, {"Y", frame.y}, {"Width", frame.width}, {"Height", frame.height}};
}

}  // namespace

Value SimWindowServer::copyWindowListInfo(std::uint32_t options, std::uint32_t relativeToWindow) {
    desktop_.counter_.count();
    if (desktop_.windowListReplacement_) return *desktop_.windowListReplacement_;
    const bool excludeDesktop = (options & kCGWindowListExcludeDesktopElements) != 0;
    // Only what lies above the given window, when one is named.
    const bool aboveOnly = (options & kCGWindowListOptionOnScreenAboveWindow) != 0 &&
                           relativeToWindow != kCGNullWindowID;
    Value::Array list;
    for (std::int64_t id : desktop_.stacking_) {
        if (aboveOnly && id == static_cast<std::int64_t>(relativeToWindow)) break;
        const WindowModel& window = *desktop_.window(id);
        if (!window.onScreen || window.minimized || window.hidden) continue;
        if (excludeDesktop && window.desktopElement) continue;
        Value::Dictionary entry;
        const ProcessModel* owner = desktop_.process(window.pid);
        if (owner != nullptr && owner->name) entry.emplace(windowkeys::kOwnerName, *owner->name);
        entry.emplace(windowkeys::kOwnerPID, Value(window.pid));
        entry.emplace(windowkeys::kNumber, Value(window.id));
        if (!window.listNameOmitted)
            entry.emplace(windowkeys::kName, window.listName ? *window.listName : window.title);
        entry.emplace(windowkeys::kLayer, Value(window.layer));
        entry.emplace(windowkeys::kIsOnscreen, Value(true));
        entry.emplace(windowkeys::kBounds, boundsOf(window.frame));
        list.emplace_back(std::move(entry));
    }
    return list;
}

Point SimDesktopServices::mouseLocation() {
    desktop_.counter_.count();
    return desktop_.readPointer();
}

std::vector<Screen> SimDesktopServices::screens() {
    desktop_.counter_.count();
    return desktop_.screens_;
}

std::optional<Screen> SimDesktopServices::mainScreen() {
    desktop_.counter_.count();
    if (desktop_.screens_.empty()) return std::nullopt;
    return desktop_.screens_.front();
}

std::optional<std::string> SimDesktopServices::runningApplicationName(Pid pid) {
    desktop_.counter_.count();
    const ProcessModel* process = desktop_.process(pid);
    if (process == nullptr) return std::nullopt;
    return process->name;
}

Pid SimDesktopServices::ownProcessId() {
    desktop_.counter_.count();
    return desktop_.ownPid_;
}

bool SimDesktopServices::environmentContains(std::string_view variable) {
    desktop_.counter_.count();
    return desktop_.environment_.contains(variable);
}

bool SimDesktopServices::openURL(std::string_view url) {
    desktop_.counter_.count();
    desktop_.openedURLs_.emplace_back(url);
    return true;
}

std::chrono::system_clock::time_point SimDesktopServices::now() {
    desktop_.counter_.count();
    return desktop_.now_;
}

void SimEventMonitors::addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) {
    desktop_.counter_.count();
    global_.push_back({mask, std::move(handler)});
}

void SimEventMonitors::addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) {
    desktop_.counter_.count();
    local_.push_back({mask, std::move(handler)});
}

void SimEventMonitors::deliver(const Event& event, bool local) {
    const std::uint64_t bit = 1ULL << static_cast<unsigned>(event.type);
    if (!local) {
        // A handler may install another monitor: call a copy, and index rather than iterate.
        for (std::size_t i = 0; i < global_.size(); ++i) {
            if ((global_[i].mask & bit) == 0) continue;
            const GlobalEventHandler handler = global_[i].handler;
            handler(event);
        }
        return;
    }
    Event current = event;
    for (std::size_t i = 0; i < local_.size(); ++i) {
        if ((local_[i].mask & bit) == 0) continue;
        const LocalEventHandler handler = local_[i].handler;
        const Event* next = handler(current);
        if (next == nullptr) return;  // swallowed: later monitors do not see it
        current = *next;
    }
}

void SimEventMonitors::clear() {
    global_.clear();
    local_.clear();
}

}  // namespace tugworth::sim
