// A client that takes the keyboard away from everyone while the test holds a chord: it grabs
// the keyboard on "grab", lets go on "ungrab" (one command per line on standard input) and
// answers each with one line once the server has done it.
#include <xcb/xcb.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

int main() {
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn) != 0) {
        std::cerr << "grab_keyboard: cannot connect to the display\n";
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    std::cout << "ready" << std::endl;
    for (std::string command; std::getline(std::cin, command);) {
        if (command == "grab") {
            const std::unique_ptr<xcb_grab_keyboard_reply_t, decltype(&std::free)> reply(
                xcb_grab_keyboard_reply(conn,
                                        xcb_grab_keyboard(conn, 0, root, XCB_CURRENT_TIME,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                        nullptr),
                &std::free);
            const bool grabbed = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
            std::cout << (grabbed ? "grabbed" : "refused") << std::endl;
        } else if (command == "ungrab") {
            xcb_ungrab_keyboard(conn, XCB_CURRENT_TIME);
            std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
            std::cout << "ungrabbed" << std::endl;
        }
    }
    xcb_disconnect(conn);
    return 0;
}
