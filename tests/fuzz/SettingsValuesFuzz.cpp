// Stored settings of any kind and content read through the store's conversion rules.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/UserDefaults.h"

namespace {

class MemoryStorage final : public tugworth::SettingsStorage {
public:
    explicit MemoryStorage(tugworth::SettingsMap values) : values_(std::move(values)) {}
    tugworth::SettingsMap load() override { return values_; }
    bool save(const tugworth::SettingsMap& values) override {
        values_ = values;
        return true;
    }

private:
    tugworth::SettingsMap values_;
};

tugworth::Value valueFrom(std::uint8_t kind, const std::uint8_t* data, std::size_t size) {
    std::int64_t integer = 0;
    double real = 0;
    std::memcpy(&integer, data, std::min(size, sizeof integer));
    std::memcpy(&real, data, std::min(size, sizeof real));
    switch (kind % 6U) {
        case 0:
            return tugworth::Value(size > 0 && (data[0] & 1U) != 0);
        case 1:
            return tugworth::Value(integer);
        case 2:
            return tugworth::Value(real);
        case 3:
            return tugworth::Value(std::string(reinterpret_cast<const char*>(data), size));
        case 4:
            return tugworth::Value(tugworth::Value::Array{tugworth::Value(integer)});
        default:
            return tugworth::Value();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const tugworth::Value value = valueFrom(data[0], data + 1, size - 1);
    MemoryStorage storage({{"dragModifier", value}, {"enableDragging", value}});
    tugworth::UserDefaults defaults(storage);
    defaults.registerDefaults({{"dragModifier", tugworth::Value("Command+Control")}});
    const bool asBool = defaults.boolForKey("enableDragging");
    const auto asString = defaults.stringForKey("dragModifier");
    // A string read of a number is its decimal text, which must read back as the same truth.
    if (asString && (value.asInteger() != nullptr) &&
        tugworth::readValueAsBool(tugworth::Value(*asString)) != asBool) {
        std::abort();
    }
    defaults.setBool(!asBool, "enableDragging");
    if (!defaults.synchronize() || defaults.boolForKey("enableDragging") == asBool) std::abort();
    return 0;
}
