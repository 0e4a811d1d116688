// floor_mover: the least an outside program can do to drag a window, as a yardstick for the
// latency harness. It listens to XInput 2 raw motion on the root; after each batch of motions
// it asks for the pointer once and, while Super+Alt is held, sends one _NET_MOVERESIZE_WINDOW
// for the frame it read when the chord was pressed (raw key events tell it). No logging, no
// toolkit, no search.
//
// Usage: floor_mover [--class XClock]     (runs until killed)
#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "XTestDesk.h"

namespace tugworth::bench {
namespace {

constexpr std::uint32_t kSuperL = 0xffeb;
constexpr std::uint32_t kAltL = 0xffe9;

struct Chord {
    std::uint8_t super = 0;
    std::uint8_t alt = 0;
    bool superDown = false;
    bool altDown = false;
    bool held() const { return superDown && altDown; }
};

struct Capture {
    std::int32_t pointerX = 0;
    std::int32_t pointerY = 0;
    FramePosition frame;
};

bool selectRawInput(xcb_connection_t* conn, xcb_window_t root) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS |
               XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
    xcb_generic_error_t* error =
        xcb_request_check(conn, xcb_input_xi_select_events_checked(conn, root, 1, &mask.head));
    const bool selected = error == nullptr;
    std::free(error);
    return selected;
}

// Reads every event that has arrived, following the chord's keys; answers whether a raw
// motion was among them.
bool drain(xcb_connection_t* conn, Chord& chord) {
    bool moved = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(conn)) {
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
            const auto* raw = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
            const bool press = raw->event_type == XCB_INPUT_RAW_KEY_PRESS;
            if (press || raw->event_type == XCB_INPUT_RAW_KEY_RELEASE) {
                if (raw->detail == chord.super) chord.superDown = press;
                if (raw->detail == chord.alt) chord.altDown = press;
            } else {
                moved = moved || raw->event_type == XCB_INPUT_RAW_MOTION;
            }
        }
        std::free(event);
    }
    return moved;
}

std::optional<Capture> capture(XTestDesk& desk) {
    const auto pointer = desk.pointer();
    const auto frame = desk.frame();
    if (!pointer || !frame) return std::nullopt;
    return Capture{pointer->x, pointer->y, *frame};
}

// One pointer query and one move request for a batch of motions.
void step(XTestDesk& desk, const Capture& from) {
    if (const auto pointer = desk.pointer()) {
        desk.placeFrame(from.frame.x + pointer->x - from.pointerX,
                        from.frame.y + pointer->y - from.pointerY);
    }
    // The desk hears of every frame move; nobody here needs them.
    std::vector<std::pair<double, FramePosition>> ignored;
    desk.drain(ignored);
}

}  // namespace
}  // namespace tugworth::bench

int main(int argc, char** argv) {
    using namespace tugworth::bench;
    std::string windowClass = "XClock";
    if (argc == 3 && std::strcmp(argv[1], "--class") == 0) {
        windowClass = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: floor_mover [--class XClock]\n");
        return 2;
    }
    std::string error;
    auto desk = XTestDesk::open(windowClass, error);
    // A connection of its own for the input stream, so that the desk's frame events stay out.
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (!desk || xcb_connection_has_error(conn) != 0) {
        std::fprintf(stderr, "floor_mover: %s\n", desk ? "cannot connect" : error.c_str());
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    const auto* xinput = xcb_get_extension_data(conn, &xcb_input_id);
    Chord chord{desk->keycodeOf(kSuperL).value_or(0), desk->keycodeOf(kAltL).value_or(0)};
    if (xinput == nullptr || xinput->present == 0 || !selectRawInput(conn, root) ||
        chord.super == 0 || chord.alt == 0) {
        std::fprintf(stderr, "floor_mover: no raw input from the X server, or no Super or Alt\n");
        return 1;
    }
    std::optional<Capture> held;
    while (xcb_connection_has_error(conn) == 0) {
        const bool moved = drain(conn, chord);
        if (!chord.held()) {
            held.reset();
        } else if (!held) {
            held = capture(*desk);  // at the chord's press
        } else if (moved) {
            step(*desk, *held);
        }
        if (!moved) {
            pollfd readable{xcb_get_file_descriptor(conn), POLLIN, 0};
            ::poll(&readable, 1, -1);
        }
    }
    return 0;
}
