// A Wayland client of KWin's org_kde_kwin_keystate protocol. From version 5 it reports
// Meta, Ctrl, Alt and Shift as pressed, which is all Tugworth needs to see a chord held; older
// versions report only the lock keys and are refused.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct wl_display;
struct wl_registry;
struct org_kde_kwin_keystate;

namespace tugworth::wayland::kde {

inline constexpr std::uint32_t kKeystateVersionWithModifiers = 5;

class KeystateClient {
public:
    // Connects to `displayName` (nullptr: $WAYLAND_DISPLAY) and waits for the first states.
    // nullptr with `error` set to one sentence for the user when that is not possible.
    static std::unique_ptr<KeystateClient> connect(const char* displayName, std::string& error);
    ~KeystateClient();
    KeystateClient(const KeystateClient&) = delete;
    KeystateClient& operator=(const KeystateClient&) = delete;

    std::uint64_t modifierFlags() const { return flags_; }
    // Runs after each change of the flags, from dispatch().
    void onChange(std::function<void(std::uint64_t)> changed) { changed_ = std::move(changed); }

    // For the event loop: readable means dispatch() has work.
    int fileDescriptor() const;
    // Reads and handles what the compositor sent; false when the connection is gone.
    bool dispatch();

private:
    KeystateClient() = default;
    static void handleGlobal(void* data, wl_registry* registry, std::uint32_t name,
                             const char* interface, std::uint32_t version);
    static void handleGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    static void handleStateChanged(void* data, org_kde_kwin_keystate* keystate, std::uint32_t key,
                                   std::uint32_t state);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    org_kde_kwin_keystate* keystate_ = nullptr;
    std::uint32_t offeredVersion_ = 0;
    std::uint64_t flags_ = 0;
    std::function<void(std::uint64_t)> changed_;
};

}  // namespace tugworth::wayland::kde
