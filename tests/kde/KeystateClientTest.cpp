// The keystate client against a minimal Wayland server of our own that offers the protocol's
// version 5, since the KWin in CI offers an older one that cannot report held keys.
#include <gtest/gtest.h>
#include <wayland-server.h>

#include <cstdlib>
#include <string>
#include <thread>

#include <poll.h>
#include <unistd.h>

#include "keystate-server-protocol.h"
#include "platform/Events.h"
#include "platform/wayland/kde/KeystateClient.h"

namespace tugworth::wayland::kde {
namespace {

void send(wl_resource* keystate,
          std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> states) {
    for (auto [key, state] : states) org_kde_kwin_keystate_send_stateChanged(keystate, key, state);
}

class KeystateServer {
public:
    KeystateServer() {
        display_ = wl_display_create();
        socket_ = wl_display_add_socket_auto(display_);
        wl_global_create(display_, &org_kde_kwin_keystate_interface, 5, this, &bind);
        EXPECT_EQ(pipe(wake_), 0);
        wl_event_loop_add_fd(wl_display_get_event_loop(display_), wake_[0], WL_EVENT_READABLE,
                             &sendChange, this);
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
    // The server's thread sends the change when woken through the pipe.
    void changeKeys() { ASSERT_EQ(write(wake_[1], "c", 1), 1); }

private:
    static void bind(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
        static const struct org_kde_kwin_keystate_interface kImplementation = {
            // Pressed Meta, Ctrl and Alt, locked Caps Lock, latched Shift (not held).
            [](wl_client*, wl_resource* resource) {
                send(resource,
                     {{ORG_KDE_KWIN_KEYSTATE_KEY_META, ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED},
                      {ORG_KDE_KWIN_KEYSTATE_KEY_CONTROL, ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED},
                      {ORG_KDE_KWIN_KEYSTATE_KEY_ALT, ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED},
                      {ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK, ORG_KDE_KWIN_KEYSTATE_STATE_LOCKED},
                      {ORG_KDE_KWIN_KEYSTATE_KEY_SHIFT, ORG_KDE_KWIN_KEYSTATE_STATE_LATCHED}});
            },
            [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }};
        auto* self = static_cast<KeystateServer*>(data);
        self->resource_ = wl_resource_create(client, &org_kde_kwin_keystate_interface,
                                             static_cast<int>(version), id);
        wl_resource_set_implementation(self->resource_, &kImplementation, nullptr, nullptr);
    }

    // Meta released, Shift pressed.
    static int sendChange(int fd, std::uint32_t, void* data) {
        char byte = 0;
        if (read(fd, &byte, 1) != 1) return 0;
        auto* self = static_cast<KeystateServer*>(data);
        send(self->resource_,
             {{ORG_KDE_KWIN_KEYSTATE_KEY_META, ORG_KDE_KWIN_KEYSTATE_STATE_UNLOCKED},
              {ORG_KDE_KWIN_KEYSTATE_KEY_SHIFT, ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED}});
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

// Each key's own flag, held or not. An older version of the protocol, which cannot report held
// keys, is refused as KdeTest's startup case shows on a real KWin.
TEST_F(KeystateClientTest, ReadsHeldModifiersAndTheirChanges) {
    KeystateServer server;
    std::string error;
    auto client = KeystateClient::connect(server.socket(), error);
    ASSERT_NE(client, nullptr) << error;
    EXPECT_EQ(client->modifierFlags(),
              kModifierCommand | kModifierControl | kModifierOption | kModifierCapsLock);

    std::uint64_t seen = 0;
    client->onChange([&](std::uint64_t flags) { seen = flags; });
    server.changeKeys();
    pollfd events{client->fileDescriptor(), POLLIN, 0};
    while ((seen & kModifierShift) == 0 && poll(&events, 1, 3000) == 1) {
        ASSERT_TRUE(client->dispatch());
    }
    EXPECT_EQ(seen, kModifierControl | kModifierOption | kModifierShift | kModifierCapsLock);
}

}  // namespace
}  // namespace tugworth::wayland::kde
