#include "platform/wayland/kde/KeystateClient.h"

#include <cerrno>
#include <cstring>

#include <wayland-client.h>

#include "keystate-client-protocol.h"
#include "platform/Events.h"

namespace tugworth::wayland::kde {

namespace {

// The flag each key of the protocol stands for while pressed; AltGr chooses characters and
// takes part in no chord.
std::uint64_t flagOfKey(std::uint32_t key) {
    switch (key) {
        case ORG_KDE_KWIN_KEYSTATE_KEY_ALT:
            return kModifierOption;
        case ORG_KDE_KWIN_KEYSTATE_KEY_CONTROL:
            return kModifierControl;
        case ORG_KDE_KWIN_KEYSTATE_KEY_SHIFT:
            return kModifierShift;
        case ORG_KDE_KWIN_KEYSTATE_KEY_META:
            return kModifierCommand;
        default:
            return 0;
    }
}

}  // namespace

void KeystateClient::handleGlobal(void* data, wl_registry* registry, std::uint32_t name,
                                  const char* interface, std::uint32_t version) {
    auto* self = static_cast<KeystateClient*>(data);
    if (std::strcmp(interface, org_kde_kwin_keystate_interface.name) != 0) return;
    self->offeredVersion_ = version;
    if (version < kKeystateVersionWithModifiers || self->keystate_ != nullptr) return;
    self->keystate_ = static_cast<org_kde_kwin_keystate*>(wl_registry_bind(
        registry, name, &org_kde_kwin_keystate_interface, kKeystateVersionWithModifiers));
}

void KeystateClient::handleGlobalRemove(void*, wl_registry*, std::uint32_t) {}

void KeystateClient::handleStateChanged(void* data, org_kde_kwin_keystate*, std::uint32_t key,
                                        std::uint32_t state) {
    auto* self = static_cast<KeystateClient*>(data);
    std::uint64_t flags = self->flags_;
    if (key == ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK) {
        const bool on = state == ORG_KDE_KWIN_KEYSTATE_STATE_LOCKED;
        flags = on ? flags | kModifierCapsLock : flags & ~std::uint64_t{kModifierCapsLock};
    } else if (const std::uint64_t flag = flagOfKey(key); flag != 0) {
        const bool held = state == ORG_KDE_KWIN_KEYSTATE_STATE_PRESSED;
        flags = held ? flags | flag : flags & ~flag;
    }
    if (flags == self->flags_) return;
    self->flags_ = flags;
    if (self->changed_) self->changed_(flags);
}

std::unique_ptr<KeystateClient> KeystateClient::connect(const char* displayName,
                                                        std::string& error) {
    std::unique_ptr<KeystateClient> client(new KeystateClient);
    client->display_ = wl_display_connect(displayName);
    if (client->display_ == nullptr) {
        error = "Cannot connect to the Wayland display to read the modifier keys";
        return nullptr;
    }
    static const wl_registry_listener registryListener = {&KeystateClient::handleGlobal,
                                                          &KeystateClient::handleGlobalRemove};
    client->registry_ = wl_display_get_registry(client->display_);
    wl_registry_add_listener(client->registry_, &registryListener, client.get());
    if (wl_display_roundtrip(client->display_) < 0) {
        error = "The Wayland display closed while Tugworth asked for the modifier keys";
        return nullptr;
    }
    if (client->keystate_ == nullptr) {
        error = client->offeredVersion_ == 0
                    ? "KWin does not offer Tugworth the state of the modifier keys "
                      "(org_kde_kwin_keystate): Tugworth needs Plasma 6.3 or later and its "
                      "desktop entry installed"
                    : "KWin offers org_kde_kwin_keystate version " +
                          std::to_string(client->offeredVersion_) +
                          ", which cannot report held modifier keys: Tugworth needs version 5, "
                          "from Plasma 6.3 or later";
        return nullptr;
    }
    static const org_kde_kwin_keystate_listener keystateListener = {
        &KeystateClient::handleStateChanged};
    org_kde_kwin_keystate_add_listener(client->keystate_, &keystateListener, client.get());
    org_kde_kwin_keystate_fetchStates(client->keystate_);
    if (wl_display_roundtrip(client->display_) < 0) {
        error = "The Wayland display closed while Tugworth read the modifier keys";
        return nullptr;
    }
    return client;
}

KeystateClient::~KeystateClient() {
    if (keystate_ != nullptr) org_kde_kwin_keystate_destroy(keystate_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    if (display_ != nullptr) wl_display_disconnect(display_);
}

int KeystateClient::fileDescriptor() const {
    return wl_display_get_fd(display_);
}

bool KeystateClient::dispatch() {
    if (wl_display_dispatch(display_) < 0) return false;
    return wl_display_flush(display_) >= 0 || errno == EAGAIN;
}

}  // namespace tugworth::wayland::kde
