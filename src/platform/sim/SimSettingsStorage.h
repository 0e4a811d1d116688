// Settings storage in memory: what a run saves is what the next launch in the same run loads.
#pragma once

#include "platform/SettingsStorage.h"

namespace tugworth::sim {

struct CallCounter;

class SimSettingsStorage final : public SettingsStorage {
public:
    // Without a counter the calls are not counted (for tests of the settings store alone).
    explicit SimSettingsStorage(CallCounter* counter = nullptr) : counter_(counter) {}

    SettingsMap load() override;
    bool save(const SettingsMap& values) override;

    // The persisted values, as a test or a scenario puts them before launch.
    SettingsMap& persisted() { return persisted_; }
    const SettingsMap& persisted() const { return persisted_; }
    int saveCount() const { return saves_; }
    // While set, save() refuses and keeps the old values.
    void setFailSaves(bool fail) { failSaves_ = fail; }

private:
    CallCounter* counter_;
    SettingsMap persisted_;
    int saves_ = 0;
    bool failSaves_ = false;
};

}  // namespace tugworth::sim
