#include "targeting/WindowInfo.h"

#include <algorithm>
#include <limits>

#include "platform/AttributeReads.h"
#include "platform/WindowServer.h"

namespace tugworth {

namespace {

std::optional<Pid> asPid(const Value* value) {
    if (value == nullptr) return std::nullopt;
    const auto* number = value->asInteger();
    if (number == nullptr || *number < std::numeric_limits<Pid>::min() ||
        *number > std::numeric_limits<Pid>::max()) {
        return std::nullopt;
    }
    return static_cast<Pid>(*number);
}

}  // namespace

std::optional<WindowListEntry> readWindowListEntry(const Value& entry) {
    const Value* owner = entry.find(windowkeys::kOwnerName);
    const Value* number = entry.find(windowkeys::kNumber);
    const auto pid = asPid(entry.find(windowkeys::kOwnerPID));
    if (owner == nullptr || owner->asString() == nullptr || !pid || number == nullptr ||
        number->asInteger() == nullptr) {
        return std::nullopt;
    }
    const Value* name = entry.find(windowkeys::kName);
    const std::string* nameText = name != nullptr ? name->asString() : nullptr;
    return WindowListEntry{*owner->asString(), *pid, *number->asInteger(),
                           nameText != nullptr ? *nameText : std::string(kUntitled)};
}

std::optional<Rect> readWindowBounds(const Value& entry) {
    const Value* bounds = entry.find(windowkeys::kBounds);
    if (bounds == nullptr) return std::nullopt;
    const auto number = [&](std::string_view key) -> std::optional<double> {
        const Value* value = bounds->find(key);
        return value != nullptr ? value->asNumber() : std::nullopt;
    };
    const auto x = number("X");
    const auto y = number("Y");
    const auto width = number("Width");
    const auto height = number("Height");
    if (!x || !y || !width || !height) return std::nullopt;
    return Rect{*x, *y, *width, *height};
}

const Value::Array& windowListEntries(const Value& list) {
    static const Value::Array kNoEntries;
    const auto* entries = list.asArray();
    return entries != nullptr ? *entries : kNoEntries;
}

WindowInfo makeWindowInfo(std::int64_t zIndex, WindowListEntry entry) {
    return {zIndex, entry.pid, std::move(entry.ownerName), entry.windowNumber,
            std::move(entry.windowName)};
}

void orderByZIndex(std::vector<WindowInfo>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const WindowInfo& a, const WindowInfo& b) { return a.zIndex < b.zIndex; });
}

}  // namespace tugworth
