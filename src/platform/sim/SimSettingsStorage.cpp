#include "platform/sim/SimSettingsStorage.h"

#include "platform/sim/CallCounter.h"

namespace tugworth::sim {

SettingsMap SimSettingsStorage::load() {
    if (counter_ != nullptr) counter_->count();
    return persisted_;
}

bool SimSettingsStorage::save(const SettingsMap& values) {
    if (counter_ != nullptr) counter_->count();
    if (failSaves_) return false;
    persisted_ = values;
    ++saves_;
    return true;
}

}  // namespace tugworth::sim
