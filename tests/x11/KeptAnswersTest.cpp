// What the platform keeps instead of asking the server again, and the X events that make it
// ask again: window-manager state, ownership of top-level trees, readings within one event.
#include "XServerFixture.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/XConnection.h"

namespace tugworth::x11::testing {
namespace {

// The platform's window reader on a connection of its own, fresh for every test.
class KeptAnswers : public DesktopFixture<false> {
protected:
    void SetUp() override {
        DesktopFixture::SetUp();
        conn_ = XConnection::open(server_->display().c_str(), error_);
        ASSERT_TRUE(conn_) << error_;
        windows_ = std::make_unique<X11Windows>(*conn_);
        windows_->watch();
    }

    // Hands every event that has arrived to the windows, as the event monitors do.
    void pump() {
        server_->sync();
        // A round trip on our connection: everything the server sent before it has arrived.
        ReplyPtr<xcb_get_input_focus_reply_t>(
            xcb_get_input_focus_reply(conn_->raw(), xcb_get_input_focus(conn_->raw()), nullptr));
        while (ReplyPtr<xcb_generic_event_t> event{xcb_poll_for_event(conn_->raw())})
            windows_->observe(*event);
    }

    // A window made by the test's own client (another connection than the platform's).
    static xcb_window_t makeWindow(xcb_window_t parent, std::int16_t x, Pid pid = 0) {
        return server_->makeWindow(parent, {x, 10, 50, 40}, pid ? "_NET_WM_PID" : nullptr,
                                   XCB_ATOM_CARDINAL, static_cast<std::uint32_t>(pid));
    }

    std::unique_ptr<XConnection> conn_;
    std::unique_ptr<X11Windows> windows_;
};

TEST_F(KeptAnswers, WindowManagerStateFollowsItsCheckWindow) {
    const xcb_atom_t moveResize = conn_->atoms().NET_MOVERESIZE_WINDOW;
    EXPECT_FALSE(windows_->windowManagerRunning());
    EXPECT_FALSE(windows_->windowManagerSupports(moveResize));

    // A window manager arrives: its check window names itself, the root names the check window.
    const xcb_window_t check = makeWindow(server_->root(), 0);
    server_->setProperty(check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {check});
    server_->setProperty(server_->root(), "_NET_SUPPORTED", XCB_ATOM_ATOM, {moveResize});
    server_->setProperty(server_->root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {check});
    pump();
    EXPECT_TRUE(windows_->windowManagerRunning());
    EXPECT_TRUE(windows_->windowManagerSupports(moveResize));

    // It dies and leaves the root property behind.
    xcb_destroy_window(server_->conn(), check);
    pump();
    EXPECT_FALSE(windows_->windowManagerRunning());
    xcb_delete_property(server_->conn(), server_->root(), server_->atom("_NET_SUPPORTED"));
    xcb_delete_property(server_->conn(), server_->root(),
                        server_->atom("_NET_SUPPORTING_WM_CHECK"));
    pump();
    EXPECT_FALSE(windows_->windowManagerSupports(moveResize));
}

TEST_F(KeptAnswers, TreeOwnershipIsAskedAgainWhenTopLevelsChange) {
    constexpr Pid kOurs = 4242;
    const xcb_window_t host = makeWindow(server_->root(), 100);  // a tray, say
    const xcb_window_t inside = makeWindow(host, 0, 777);
    const xcb_window_t icon = makeWindow(server_->root(), 300, kOurs);
    pump();
    EXPECT_FALSE(windows_->subtreeHasProcess(host, kOurs));
    EXPECT_TRUE(windows_->subtreeHasProcess(host, 777));
    EXPECT_TRUE(windows_->subtreeHasProcess(icon, kOurs));

    // Our window is embedded in the host, deep in its tree.
    xcb_reparent_window(server_->conn(), icon, inside, 0, 0);
    pump();
    EXPECT_TRUE(windows_->subtreeHasProcess(host, kOurs));
    xcb_destroy_window(server_->conn(), host);
    pump();
}

TEST_F(KeptAnswers, OneEventSeesOneSnapshotAndTheNextSeesWhatChanged) {
    const xcb_window_t first = makeWindow(server_->root(), 400);
    pump();
    const auto moveTo = [&](xcb_window_t window, std::uint32_t x) {
        const std::uint32_t values[] = {x, 10};
        xcb_configure_window(server_->conn(), window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                             values);
        pump();
    };
    const auto x = [&](xcb_window_t window) { return windows_->inspect(window)->frame.x; };
    const auto ids = [&] {
        std::vector<xcb_window_t> result;
        for (const auto& w : windows_->clientsFrontToBack()) result.push_back(w.id);
        return result;
    };
    xcb_window_t second = XCB_NONE;
    {
        X11Windows::ReadScope scope(*windows_);
        const auto seen = ids();
        ASSERT_EQ(seen.front(), first);
        ASSERT_EQ(x(first), 400.0);
        // Meanwhile another window appears and the first one moves.
        second = makeWindow(server_->root(), 300);
        moveTo(first, 420);
        EXPECT_EQ(ids(), seen);
        EXPECT_EQ(windows_->clientsBottomToTop().back(), first);
        EXPECT_EQ(windows_->clientsFrontToBack().front().frame.x, 400.0);
        EXPECT_EQ(x(first), 400.0);
        windows_->changed(first);  // we moved it ourselves
        EXPECT_EQ(x(first), 420.0);
        EXPECT_EQ(x(second), 300.0);
        moveTo(second, 320);
        {
            X11Windows::ReadScope nested(*windows_);  // a nested loop: a new event
            EXPECT_EQ(x(second), 320.0);
        }
        moveTo(first, 460);
        EXPECT_EQ(x(first), 460.0);  // back out: nothing kept
    }
    moveTo(first, 480);
    EXPECT_EQ(x(first), 480.0);  // outside any event: always asked
    {
        // Soon after a change of ours, the next event reads that window as it begins.
        X11Windows::ReadScope scope(*windows_);
        moveTo(first, 500);
        EXPECT_EQ(x(first), 480.0);
    }
    // Between events it keeps that window's properties, until the window reports a change.
    const char title[] = "Renamed";
    xcb_change_property(server_->conn(), XCB_PROP_MODE_REPLACE, first, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    moveTo(first, 520);
    {
        X11Windows::ReadScope scope(*windows_);
        ASSERT_EQ(ids(), (std::vector<xcb_window_t>{second, first}));
        EXPECT_EQ(windows_->inspect(first)->title, "Renamed");
        EXPECT_EQ(windows_->clientsFrontToBack()[1].frame.x, 520.0);
    }
    xcb_destroy_window(server_->conn(), first);
    xcb_destroy_window(server_->conn(), second);
    pump();
}

}  // namespace
}  // namespace tugworth::x11::testing
