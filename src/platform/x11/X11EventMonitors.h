// Event monitors over XInput 2 raw events and XKB state notifications on the root window.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Events.h"
#include "platform/x11/InputStream.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/XConnection.h"

namespace tugworth::x11 {

// The X server sends us copies of every pointer motion and modifier change on the desktop.
// Each event goes to the global handlers, except when it belongs to one of this process's own
// windows (the pointer is over it, or for modifiers it has the focus): then, when local
// handlers are installed, it goes to them instead. Either way every handler of the event's
// kind sees it exactly once. A local handler cannot swallow an X event: its answer is ignored.
class X11EventMonitors final : public EventMonitors {
public:
    X11EventMonitors(XConnection& conn, X11Windows& windows) : conn_(conn), windows_(windows) {}

    // Selects the raw events and the XKB state notifications; false with a reason on failure.
    bool start(std::string& error);

    void addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) override;
    void addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) override;
    // Called before each modifier change is delivered: a gesture may end or begin there.
    void onModifiersChanging(std::function<void()> callback) {
        modifiersChanging_ = std::move(callback);
    }

    // Reads what the server has sent without blocking and delivers it, and then everything
    // read into the connection's queue meanwhile: call it before the event loop sleeps too.
    // Pointer motion is delivered once the pointer is more than 2 px (|dx| + |dy|) from where
    // it was when the previous event was delivered.
    void dispatchPending();

private:
    void process(const xcb_generic_event_t& event);
    void checkHeldState();
    void deliverTaken();
    void refreshModifierMap();
    bool modifiersInDoubt(std::chrono::steady_clock::time_point now) const;
    void rereadModifiers(std::chrono::steady_clock::time_point now);
    void deliver(const Event& event, const std::optional<PointerState>& pointer);
    bool hasLocalHandler(std::uint64_t mask) const;
    bool belongsToThisProcess(EventType type);
    std::optional<Pid> pidOfWindowChain(xcb_window_t start, bool followPointer);

    XConnection& conn_;
    X11Windows& windows_;
    InputStream input_;
    // When the server last told us the modifier state, and whether a grab began or ended
    // since: then a release may have gone to another client unseen, and the state is re-read.
    std::chrono::steady_clock::time_point modifiersHeard_;
    bool rootFocusMoved_ = false;
    std::pair<std::int32_t, std::int32_t> deliveredAt_;  // the pointer at the last delivery
    std::vector<std::pair<std::uint64_t, GlobalEventHandler>> global_;
    std::vector<std::pair<std::uint64_t, LocalEventHandler>> local_;
    std::function<void()> modifiersChanging_;
};

}  // namespace tugworth::x11
