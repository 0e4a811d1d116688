// The same services on a bare X server: the root's children are the clients.
#include "XServerFixture.h"

namespace tugworth::x11::testing {
namespace {

class WithoutWindowManager : public DesktopFixture<false> {};

TEST_F(WithoutWindowManager, ListsViewableTopLevelsAndTheirStates) {
    auto [clockPid, clock] =
        open({"xclock", "-geometry", "150x110+100+100", "-title", "bare-clock"}, "bare-clock");
    auto [eyesPid, eyes] =
        open({"xeyes", "-geometry", "120x90+500+300", "-title", "bare-eyes"}, "bare-eyes");
    ASSERT_NE(clock, XCB_NONE);
    ASSERT_NE(eyes, XCB_NONE);

    // The later client is stacked on top.
    EXPECT_EQ(listed(kCGWindowListOptionOnScreenOnly), (std::vector<std::int64_t>{eyes, clock}));

    // Frames, moves and resizes on a bare server belong to the matrix's "none" column.
    // Iconic in WM_STATE alone, as a window manager without the extended hints marks it.
    server().setProperty(eyes, "WM_STATE", server().atom("WM_STATE"), {3, XCB_NONE});
    server().sync();
    EXPECT_TRUE(waitUntil([&] { return read(eyes, "AXMinimized") == Value(true); }));

    // Raising without a window manager restacks the window itself.
    ASSERT_EQ(ax().performAction(Element::window(clock), "AXRaise"), AXError::kAXErrorSuccess);
    EXPECT_EQ(listed(kCGWindowListOptionOnScreenOnly).front(), clock);
}

TEST_F(WithoutWindowManager, NamesTheScreenAndTheRunningApplications) {
    auto screens = desktop().desktop().screens();
    ASSERT_EQ(screens.size(), 1U);
    EXPECT_EQ(screens[0].frame, (Rect{0.0, 0.0, 1280.0, 800.0}));
    EXPECT_EQ(screens[0].visibleFrame, screens[0].frame);
    EXPECT_EQ(desktop().desktop().runningApplicationName(desktop().desktop().ownProcessId()),
              "x11_tests");
    EXPECT_FALSE(desktop().desktop().runningApplicationName(0x7ffffff0));
}

TEST(ServerLoss, IsReportedAndLeavesEveryServiceAnsweringSafely) {
    std::string error;
    auto server = XServer::start(false, error);
    ASSERT_TRUE(server) << error;
    auto desktop = X11Desktop::connect(server->display().c_str(), error);
    ASSERT_TRUE(desktop) << error;
    EXPECT_TRUE(desktop->accessibility().isProcessTrusted());

    server.reset();  // the X server goes away
    EXPECT_TRUE(waitUntil([&] { return !desktop->dispatchPendingEvents(); }));
    EXPECT_TRUE(desktop->connectionError());  // its text is the program's logged line

    Value value;
    EXPECT_FALSE(desktop->accessibility().isProcessTrusted());
    EXPECT_EQ(
        desktop->accessibility().copyAttributeValue(Element::window(0x200001), "AXRole", value),
        AXError::kAXErrorInvalidUIElement);
    EXPECT_TRUE(desktop->windowServer()
                    .copyWindowListInfo(kCGWindowListOptionOnScreenOnly, kCGNullWindowID)
                    .isNone());
    EXPECT_TRUE(desktop->desktop().screens().empty());
    // A display no server answers on (far above the numbers Xvfb -displayfd hands out).
    EXPECT_EQ(X11Desktop::connect(":4093", error), nullptr);
    EXPECT_NE(error.find(":4093"), std::string::npos) << error;
}

}  // namespace
}  // namespace tugworth::x11::testing
