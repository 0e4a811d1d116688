// The modifier keys from KWin's keystate protocol, read on the Qt event loop.
#pragma once

#include <memory>
#include <string>

#include <QSocketNotifier>

#include "platform/wayland/kde/KeystateClient.h"
#include "platform/wayland/kde/ModifierSource.h"

namespace tugworth::wayland::kde {

class KeystateModifiers final : public ModifierSource {
public:
    // nullptr with `error` set (one sentence naming the Plasma needed) when KWin cannot tell.
    static std::unique_ptr<KeystateModifiers> connect(std::string& error);

    std::uint64_t modifierFlags() const override { return client_->modifierFlags(); }
    void watch(std::function<void(std::uint64_t)> changed) override;

private:
    explicit KeystateModifiers(std::unique_ptr<KeystateClient> client);

    std::unique_ptr<KeystateClient> client_;
    QSocketNotifier notifier_;
};

}  // namespace tugworth::wayland::kde
