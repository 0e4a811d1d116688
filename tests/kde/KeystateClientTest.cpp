// The keystate client against a minimal Wayland server of our own that offers the protocol at a
// chosen version, since the KWin in CI offers version 4 at most.
#include <gtest/gtest.h>
#include <wayland-server.h>

#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

#include "keystate-server-protocol.h"
#include "platform/Events.h"
#include "platform/wayland/kde/KeystateClient.h"

namespace tugworth::wayland::kde {
namespace {

// Pressed Meta and Ctrl, locked Caps Lock, latched Shift (not held).
void sendStates(wl_resource* keystate) {
    org_kde_kwin_keystate_send_stateChanged(keystate, ORG_KDE_KWIN_KEYSTATE_KEY_META,
                                            ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED);
    org_kde_kwin_keystate_send_stateChanged(keystate, ORG_KDE_KWIN_KEYSTATE_KEY_CONTROL,
                                            ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED);
    org_kde_kwin_keystate_send_stateChanged(keystate, ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK,
                                            ORG_KDE_KWIN_KEYSTATE_STATE_LOCKED);
    org_kde_kwin_keystate_send_stateChanged(keystate, ORG_KDE_KWIN_KEYSTATE_KEY_SHIFT,
                                            ORG_KDE_KWIN_KEYSTATE_STATE_LATCHED);
}

class KeystateServer {
public:
    explicit KeystateServer(int version) {
        display_ = wl_display_create();
        socket_ = wl_display_add_socket_auto(display_);
        wl_global_create(display_, &org_kde_kwin_keystate_interface, version, this, &bind);
        EXPECT_EQ(pipe(wake_), 0);
        wl_event_loop_add_fd(wl_display_get_event_loop(display_), wake_[0], WL_EVENT_READABLE,
                             &sendRelease, this);
        thread_ = std::thread([this] { wl_display_run(display_); });
    }
    ~KeystateServer() {
        wl_display_terminate(display_);
        thread_.join();
        wl_display_destroy_clients(display_);
        wl_display_destroy(display_);
        close(wake_[0]);
        close(wake_[1]);
    }
    const char* socket() const { return socket_; }
    // The server's thread sends the release when woken through the pipe.
    void releaseMeta() { ASSERT_EQ(write(wake_[1], "r", 1), 1); }

private:
    static void bind(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
        static const struct org_kde_kwin_keystate_interface kImplementation = {
            [](wl_client*, wl_resource* resource) { sendStates(resource); },
            [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }};
        auto* self = static_cast<KeystateServer*>(data);
        self->resource_ = wl_resource_create(client, &org_kde_kwin_keystate_interface,
                                             static_cast<int>(version), id);
        wl_resource_set_implementation(self->resource_, &kImplementation, nullptr, nullptr);
    }

    static int sendRelease(int fd, std::uint32_t, void* data) {
        char byte = 0;
        if (read(fd, &byte, 1) != 1) return 0;
        auto* self = static_cast<KeystateServer*>(data);
        org_kde_kwin_keystate_send_stateChanged(self->resource_, ORG_KDE_KWIN_KEYSTATE_KEY_META,
                                                ORG_KDE_KWIN_KEYSTATE_STATE_UNLOCKED);
        wl_display_flush_clients(self->display_);
        return 0;
    }

    int wake_[2] = {-1, -1};
    wl_display* display_ = nullptr;
    const char* socket_ = nullptr;
    wl_resource* resource_ = nullptr;
    std::thread thread_;
};

// Sockets in a runtime folder of the test's own.
class KeystateClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static char dir[] = "/tmp/tugworth-keystate.XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        setenv("XDG_RUNTIME_DIR", dir, 1);
    }
    static void TearDownTestSuite() { rmdir(std::getenv("XDG_RUNTIME_DIR")); }
};

TEST_F(KeystateClientTest, ReadsHeldModifiersAndTheirRelease) {
    KeystateServer server(5);
    std::string error;
    auto client = KeystateClient::connect(server.socket(), error);
    ASSERT_NE(client, nullptr) << error;
    EXPECT_EQ(client->modifierFlags(), kModifierCommand | kModifierControl | kModifierCapsLock);

    std::uint64_t seen = 0;
    client->onChange([&](std::uint64_t flags) { seen = flags; });
    server.releaseMeta();
    ASSERT_TRUE(client->dispatch());
    EXPECT_EQ(seen, kModifierControl | kModifierCapsLock);
}

TEST_F(KeystateClientTest, RefusesAVersionThatCannotReportModifiers) {
    KeystateServer server(4);
    std::string error;
    EXPECT_EQ(KeystateClient::connect(server.socket(), error), nullptr);
    EXPECT_NE(error.find("version 4"), std::string::npos) << error;
    EXPECT_NE(error.find("Plasma 6.3 or later"), std::string::npos) << error;
}

}  // namespace
}  // namespace tugworth::wayland::kde
