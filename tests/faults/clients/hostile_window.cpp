// A top-level window that misbehaves in the ways a hostile or broken client can: a title of
// any bytes (control characters, invalid UTF-8, a megabyte), a _NET_WM_PID that names another
// process, 0 or a negative number, and a size that never stops changing.
//
//   hostile_window --name NAME [--title-file PATH] [--pid N] [--geometry WxH+X+Y] [--jitter]
//
// NAME is its WM_NAME (plain text, to find it by). Prints "ready" once the window is viewable,
// then serves events until killed.
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

struct Options {
    std::string name;
    std::optional<std::string> title;
    std::optional<std::int32_t> pid;
    std::int16_t x = 100, y = 100;
    std::uint16_t width = 300, height = 200;
    bool jitter = false;
};

[[noreturn]] void usage(const std::string& why) {
    std::cerr << "hostile_window: " << why << '\n'
              << "usage: hostile_window --name NAME [--title-file PATH] [--pid N] "
                 "[--geometry WxH+X+Y] [--jitter]\n";
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc) usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--name") {
            o.name = next();
        } else if (arg == "--title-file") {
            std::ifstream in(next(), std::ios::binary);
            if (!in) usage("cannot read the title file");
            o.title = std::string(std::istreambuf_iterator<char>(in), {});
        } else if (arg == "--pid") {
            o.pid = static_cast<std::int32_t>(std::stol(next()));
        } else if (arg == "--geometry") {
            unsigned w = 0, h = 0;
            int x = 0, y = 0;
            if (std::sscanf(next().c_str(), "%ux%u+%d+%d", &w, &h, &x, &y) != 4)
                usage("bad geometry");
            o.width = static_cast<std::uint16_t>(w);
            o.height = static_cast<std::uint16_t>(h);
            o.x = static_cast<std::int16_t>(x);
            o.y = static_cast<std::int16_t>(y);
        } else if (arg == "--jitter") {
            o.jitter = true;
        } else {
            usage("unknown option " + arg);
        }
    }
    if (o.name.empty()) usage("--name is required");
    return o;
}

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : XCB_NONE;
}

void setProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                 std::uint8_t format, const void* data, std::size_t units) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, format,
                        static_cast<std::uint32_t>(units), data);
}

bool viewable(xcb_connection_t* c, xcb_window_t w) {
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::cerr << "hostile_window: cannot connect to the display\n";
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, o.x, o.y, o.width, o.height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    setProperty(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, o.name.data(), o.name.size());
    const char wmClass[] = "hostile\0Hostile";
    setProperty(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass, sizeof wmClass);
    if (o.title) {
        setProperty(c, w, intern(c, "_NET_WM_NAME"), intern(c, "UTF8_STRING"), 8, o.title->data(),
                    o.title->size());
    }
    if (o.pid) {
        const auto word = static_cast<std::uint32_t>(*o.pid);
        setProperty(c, w, intern(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, &word, 1);
    }
    // Placed where asked, also under a window manager.
    struct {
        std::uint32_t flags, pad[4], minW, minH, maxW, maxH, incW, incH, aspect[4], baseW, baseH,
            gravity;
    } hints{};
    hints.flags = 1U | 2U | 16U;  // USPosition, USSize, PMinSize
    hints.minW = hints.minH = 10;
    setProperty(c, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, &hints,
                sizeof hints / 4);
    xcb_map_window(c, w);
    xcb_flush(c);

    bool ready = false;
    for (std::uint32_t step = 0; xcb_connection_has_error(c) == 0; ++step) {
        if (!ready && viewable(c, w)) {
            ready = true;
            std::cout << "ready" << std::endl;
        }
        if (ready && o.jitter) {
            // Grows and shrinks by a few pixels, one request per round trip, for ever.
            const std::uint32_t size[] = {o.width + step % 40U, o.height + step % 30U};
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        }
        xcb_flush(c);
        while (std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event{
            xcb_poll_for_event(c), &std::free}) {
        }
        // Until it is viewable, look again soon: the window manager maps its frame after the
        // client, and that brings the client no event to wake on.
        if (ready && !o.jitter) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event{xcb_wait_for_event(c),
                                                                             &std::free};
            if (!event) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return 0;
}
