// A top-level window that misbehaves as a hostile or broken client can: a title of any bytes
// (--title-file), a _NET_WM_PID naming another process, 0 or a negative number (--pid), a size
// that never stops changing (--jitter). --name is its plain WM_NAME, to find it by. Prints
// "ready" once the window is viewable, then serves events until killed.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

[[noreturn]] void fail(const std::string& why) {
    std::cerr << "hostile_window: " << why << '\n';
    std::exit(2);
}

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr),
                                               &std::free);
    return reply ? reply->atom : XCB_NONE;
}

void setProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                 std::uint8_t format, const void* data, std::size_t units) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, format,
                        static_cast<std::uint32_t>(units), data);
}

bool viewable(xcb_connection_t* c, xcb_window_t w) {
    const Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

}  // namespace

int main(int argc, char** argv) {
    std::string name, geometry = "300x200+100+100";
    std::optional<std::string> title;
    std::optional<std::uint32_t> pid;
    bool jitter = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--jitter") {
            jitter = true;
            continue;
        }
        if (i + 1 >= argc) fail("missing a value after " + arg);
        const std::string value = argv[++i];
        if (arg == "--name") {
            name = value;
        } else if (arg == "--geometry") {
            geometry = value;
        } else if (arg == "--pid") {
            pid = static_cast<std::uint32_t>(std::stol(value));  // a negative one wraps, as sent
        } else if (arg == "--title-file") {
            std::ifstream in(value, std::ios::binary);
            if (!in) fail("cannot read " + value);
            title = std::string(std::istreambuf_iterator<char>(in), {});
        } else {
            fail("unknown option " + arg);
        }
    }
    unsigned width = 0, height = 0;
    int x = 0, y = 0;
    if (name.empty() || std::sscanf(geometry.c_str(), "%ux%u+%d+%d", &width, &height, &x, &y) != 4)
        fail("usage: --name NAME [--title-file PATH] [--pid N] [--geometry WxH+X+Y] [--jitter]");

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) fail("cannot connect to the display");
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    setProperty(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, name.data(), name.size());
    const char wmClass[] = "hostile\0Hostile";
    setProperty(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass, sizeof wmClass);
    if (title) {
        setProperty(c, w, intern(c, "_NET_WM_NAME"), intern(c, "UTF8_STRING"), 8, title->data(),
                    title->size());
    }
    if (pid) setProperty(c, w, intern(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, &*pid, 1);
    // Placed where asked, also under a window manager: USPosition, USSize and PMinSize.
    std::uint32_t hints[18] = {1U | 2U | 16U, 0, 0, 0, 0, 10, 10};
    setProperty(c, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, hints, 18);
    xcb_map_window(c, w);
    xcb_flush(c);

    bool ready = false;
    for (std::uint32_t step = 0; xcb_connection_has_error(c) == 0; ++step) {
        if (!ready && viewable(c, w)) {
            ready = true;
            std::cout << "ready" << std::endl;
        }
        if (ready && jitter) {
            // Grows and shrinks by a few pixels, one request per round trip, for ever.
            const std::uint32_t size[] = {width + step % 40U, height + step % 30U};
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        }
        xcb_flush(c);
        while (Reply<xcb_generic_event_t>{xcb_poll_for_event(c), &std::free}) {
        }
        // Until it is viewable, look again soon: the window manager maps its frame after the
        // client, and that brings the client no event to wake on.
        if (ready && !jitter) {
            if (!Reply<xcb_generic_event_t>{xcb_wait_for_event(c), &std::free}) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return 0;
}
