// XInput 2 raw motion/buttons and XKB state changes, turned into monitor events.
#include "platform/x11/X11EventMonitors.h"

#include <unistd.h>
#include <xcb/xinput.h>

#include "platform/x11/XkbProtocol.h"

#include <cstdlib>

namespace tugworth::x11 {
namespace {

// Motion within this distance (|dx| + |dy|) of where the pointer was when the previous event
// was delivered is held back: the handler acts only on larger steps, so a slow hand's motion
// adds up here instead of being thrown away one report at a time.
constexpr int kMotionBatchDistance = 2;
constexpr int kMaxWindowDepth = 8;
// While a chord is held and nothing is heard of the modifiers for this long, motion makes us
// ask the server which keys are really down.
constexpr std::chrono::seconds kQuietSpell{1};

std::uint64_t maskOf(EventType type) {
    return type == EventType::MouseMoved ? kEventMaskMouseMoved : kEventMaskFlagsChanged;
}

}  // namespace

bool X11EventMonitors::start(std::string& error) {
    if (!conn_.hasXInput2()) {
        error = "The X server lacks XInput 2, needed to watch pointer motion";
        return false;
    }
    if (!conn_.hasXkb()) {
        error = "The X server lacks the XKB extension, needed to watch modifier keys";
        return false;
    }
    xcb_connection_t* c = conn_.raw();
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
               XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE | XCB_INPUT_XI_EVENT_MASK_FOCUS_IN |
               XCB_INPUT_XI_EVENT_MASK_FOCUS_OUT};
    auto xiCookie = xcb_input_xi_select_events_checked(c, conn_.root(), 1, &mask.head);

    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = XCB_XKB_STATE_PART_MODIFIER_STATE | XCB_XKB_STATE_PART_MODIFIER_BASE |
                          XCB_XKB_STATE_PART_MODIFIER_LATCH | XCB_XKB_STATE_PART_MODIFIER_LOCK;
    details.stateDetails = details.affectState;
    const std::uint16_t which = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
    auto xkbCookie = xcb_xkb_select_events_aux_checked(c, XCB_XKB_ID_USE_CORE_KBD, which, 0, 0,
                                                       mapParts, mapParts, &details);
    auto stateCookie = xcb_xkb_get_state(c, XCB_XKB_ID_USE_CORE_KBD);
    auto pointerCookie = conn_.sendQueryPointer(conn_.root());

    const ReplyPtr<xcb_generic_error_t> xiError(xcb_request_check(c, xiCookie));
    const ReplyPtr<xcb_generic_error_t> xkbError(xcb_request_check(c, xkbCookie));
    const bool selected = xiError == nullptr && xkbError == nullptr;
    ReplyPtr<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(c, stateCookie, nullptr));
    auto pointer = conn_.takePointer(pointerCookie);
    if (!selected) {
        error = "The X server refused to report raw pointer motion or keyboard state";
        return false;
    }
    refreshModifierMap();
    input_.seed(pointer ? pointer->mask : 0, state ? state->mods : 0);
    if (pointer) deliveredAt_ = {pointer->rootX, pointer->rootY};
    modifiersHeard_ = std::chrono::steady_clock::now();
    return true;
}

bool X11EventMonitors::modifiersInDoubt(std::chrono::steady_clock::time_point now) const {
    if (rootFocusMoved_) return true;
    return input_.motionWaiting() && input_.holdsChordKeys() &&
           now - modifiersHeard_ >= kQuietSpell;
}

void X11EventMonitors::rereadModifiers(std::chrono::steady_clock::time_point now) {
    rootFocusMoved_ = false;
    modifiersHeard_ = now;
    xcb_connection_t* c = conn_.raw();
    ReplyPtr<xcb_xkb_get_state_reply_t> state(
        xcb_xkb_get_state_reply(c, xcb_xkb_get_state(c, XCB_XKB_ID_USE_CORE_KBD), nullptr));
    if (state) input_.modifiersConfirmed(state->mods);
}

void X11EventMonitors::refreshModifierMap() {
    xcb_connection_t* c = conn_.raw();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const std::uint8_t minKeycode = setup->min_keycode;
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto modCookie = xcb_get_modifier_mapping(c);
    auto keyCookie = xcb_get_keyboard_mapping(c, minKeycode, count);
    ReplyPtr<xcb_get_modifier_mapping_reply_t> mods(
        xcb_get_modifier_mapping_reply(c, modCookie, nullptr));
    ReplyPtr<xcb_get_keyboard_mapping_reply_t> keys(
        xcb_get_keyboard_mapping_reply(c, keyCookie, nullptr));
    if (!mods || !keys) return;
    const xcb_keycode_t* modCodes = xcb_get_modifier_mapping_keycodes(mods.get());
    const auto modLength =
        static_cast<std::size_t>(xcb_get_modifier_mapping_keycodes_length(mods.get()));
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keys.get());
    const auto symLength =
        static_cast<std::size_t>(xcb_get_keyboard_mapping_keysyms_length(keys.get()));
    input_.setModifierMap(findModifierMap(
        std::vector<std::uint8_t>(modCodes, modCodes + modLength), mods->keycodes_per_modifier,
        minKeycode, std::vector<std::uint32_t>(syms, syms + symLength), keys->keysyms_per_keycode));
}

void X11EventMonitors::addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) {
    global_.emplace_back(mask, std::move(handler));
}

void X11EventMonitors::addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) {
    local_.emplace_back(mask, std::move(handler));
}

void X11EventMonitors::dispatchPending() {
    xcb_connection_t* c = conn_.raw();
    bool any = false;
    while (ReplyPtr<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
        any = true;
        process(*event);
    }
    // Handlers make requests of their own; events read meanwhile wait in xcb's queue, where
    // the socket notifier cannot see them: they are handled before the loop sleeps. What
    // arrives on the socket meanwhile waits for the next turn of the loop.
    while (any && !conn_.broken()) {
        checkHeldState();
        deliverTaken();
        any = false;
        while (ReplyPtr<xcb_generic_event_t> event{xcb_poll_for_queued_event(c)}) {
            any = true;
            process(*event);
        }
    }
}

void X11EventMonitors::checkHeldState() {
    if (input_.anyButtonHeld()) {
        // A release can be lost (a button held when the selection began elsewhere):
        // trust the server when it says nothing is held.
        if (auto pointer = conn_.queryPointer(conn_.root());
            pointer &&
            (pointer->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) == 0) {
            input_.forgetButtons();
        }
    }
    if (const auto now = std::chrono::steady_clock::now(); modifiersInDoubt(now)) {
        rereadModifiers(now);
    }
}

void X11EventMonitors::deliverTaken() {
    const std::vector<Event> events = input_.take();
    if (events.empty()) return;
    const auto pointer = conn_.queryPointer(conn_.root());
    for (const Event& e : events) {
        if (e.type == EventType::MouseMoved && pointer &&
            std::abs(pointer->rootX - deliveredAt_.first) +
                    std::abs(pointer->rootY - deliveredAt_.second) <=
                kMotionBatchDistance) {
            continue;
        }
        deliver(e, pointer);
        if (pointer) deliveredAt_ = {pointer->rootX, pointer->rootY};
    }
}

void X11EventMonitors::process(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & kEventTypeMask;
    if (type == 0) return;  // an error of a request whose outcome nobody waits for
    windows_.observe(event);
    if (type == XCB_GE_GENERIC) {
        const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        if (ge.extension != conn_.xinputOpcode()) return;
        const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
        switch (ge.event_type) {
            case XCB_INPUT_RAW_BUTTON_PRESS:
                input_.buttonPressed(raw.detail);
                break;
            case XCB_INPUT_RAW_BUTTON_RELEASE:
                input_.buttonReleased(raw.detail);
                break;
            case XCB_INPUT_RAW_MOTION:
                input_.pointerMoved();
                break;
            // The root's focus moves when a keyboard grab begins or ends.
            case XCB_INPUT_FOCUS_IN:
            case XCB_INPUT_FOCUS_OUT:
                rootFocusMoved_ = true;
                break;
            default:
                break;
        }
        return;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        refreshModifierMap();
        return;
    }
    if (conn_.hasXkb() && type == conn_.xkbFirstEvent()) {
        const auto& xkb = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
        if (xkb.xkbType == XCB_XKB_STATE_NOTIFY) {
            modifiersHeard_ = std::chrono::steady_clock::now();
            input_.modifiersChanged(xkb.mods);
        } else if (xkb.xkbType == XCB_XKB_MAP_NOTIFY ||
                   xkb.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY) {
            refreshModifierMap();
        }
    }
}

bool X11EventMonitors::hasLocalHandler(std::uint64_t mask) const {
    for (const auto& [m, handler] : local_) {
        if ((m & mask) != 0) return true;
    }
    return false;
}

void X11EventMonitors::deliver(const Event& event, const std::optional<PointerState>& pointer) {
    // The handlers read the pointer and the target window several times per event.
    if (event.type == EventType::FlagsChanged && modifiersChanging_) modifiersChanging_();
    X11Windows::ReadScope scope(windows_);
    if (pointer) windows_.keepPointer(*pointer);
    const std::uint64_t mask = maskOf(event.type);
    if (hasLocalHandler(mask) && belongsToThisProcess(event.type)) {
        // Index loops: a handler may install further monitors while we walk the list.
        for (std::size_t i = 0, n = local_.size(); i < n; ++i) {
            if ((local_[i].first & mask) != 0) (void)local_[i].second(event);
        }
        return;
    }
    for (std::size_t i = 0, n = global_.size(); i < n; ++i) {
        if ((global_[i].first & mask) != 0) global_[i].second(event);
    }
}

bool X11EventMonitors::belongsToThisProcess(EventType type) {
    std::optional<Pid> owner;
    const auto self = static_cast<Pid>(::getpid());
    if (type == EventType::MouseMoved) {
        // Only a top-level window with one of ours inside can put us on the pointer's path:
        // elsewhere the walk down that path is spared (the usual case, one round trip).
        auto pointer = windows_.pointer();
        if (!pointer || pointer->child == XCB_NONE ||
            !windows_.subtreeHasProcess(pointer->child, self)) {
            return false;
        }
        owner = pidOfWindowChain(conn_.root(), true);
    } else if (auto focus = conn_.inputFocus();
               focus && *focus != XCB_NONE && *focus != XCB_INPUT_FOCUS_POINTER_ROOT) {
        owner = pidOfWindowChain(*focus, false);
    }
    return owner && *owner == self;
}

std::optional<Pid> X11EventMonitors::pidOfWindowChain(xcb_window_t start, bool followPointer) {
    // The first window on the way that names its process decides: down the pointer's path
    // from the root, or up from the focus window.
    const xcb_atom_t pidAtom = conn_.atoms().NET_WM_PID;
    xcb_window_t current = start;
    for (int depth = 0; depth < kMaxWindowDepth && current != XCB_NONE; ++depth) {
        auto pidCookie = conn_.sendGetProperty(current, pidAtom);
        if (followPointer) {
            auto pointerCookie = conn_.sendQueryPointer(current);
            auto pid = conn_.takeProperty(pidCookie).firstWord();
            auto pointer = conn_.takePointer(pointerCookie);
            if (pid && current != conn_.root()) return static_cast<Pid>(*pid);
            if (!pointer) return std::nullopt;
            current = pointer->child;
        } else {
            auto treeCookie = conn_.sendQueryTree(current);
            auto pid = conn_.takeProperty(pidCookie).firstWord();
            auto tree = conn_.takeTree(treeCookie);
            if (pid) return static_cast<Pid>(*pid);
            if (!tree || current == conn_.root() || tree->parent == conn_.root())
                return std::nullopt;
            current = tree->parent;
        }
    }
    return std::nullopt;
}

}  // namespace tugworth::x11
