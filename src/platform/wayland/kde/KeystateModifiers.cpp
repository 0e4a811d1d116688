#include "platform/wayland/kde/KeystateModifiers.h"

namespace tugworth::wayland::kde {

KeystateModifiers::KeystateModifiers(std::unique_ptr<KeystateClient> client)
    : client_(std::move(client)), notifier_(client_->fileDescriptor(), QSocketNotifier::Read) {
    // A lost connection means KWin is gone; the bridge's watcher reports that.
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
        if (!client_->dispatch()) notifier_.setEnabled(false);
    });
}

std::unique_ptr<KeystateModifiers> KeystateModifiers::connect(std::string& error) {
    std::unique_ptr<KeystateClient> client = KeystateClient::connect(nullptr, error);
    if (!client) return nullptr;
    return std::unique_ptr<KeystateModifiers>(new KeystateModifiers(std::move(client)));
}

void KeystateModifiers::watch(std::function<void(std::uint64_t)> changed) {
    client_->onChange(std::move(changed));
}

}  // namespace tugworth::wayland::kde
