#include "preferences/ObservableProperty.h"

#include <vector>

namespace tugworth {

KeyValueObservers::ObserverId KeyValueObservers::add(std::string_view key, Observer observer) {
    const ObserverId id = nextId_++;
    entries_.emplace(id, Entry{std::string(key), std::move(observer)});
    return id;
}

bool KeyValueObservers::remove(ObserverId id) {
    return entries_.erase(id) > 0;
}

void KeyValueObservers::notify(std::string_view key, const Value& newValue) {
    // Chosen before the first call: observers added while notifying wait for the next change.
    std::vector<ObserverId> chosen;
    for (const auto& [id, entry] : entries_) {
        if (entry.key == key) chosen.push_back(id);
    }
    for (const ObserverId id : chosen) {
        auto it = entries_.find(id);
        if (it == entries_.end()) continue;  // removed by an earlier observer
        // A copy: the observer may remove itself, which would destroy the function it runs in.
        const Observer observer = it->second.observer;
        observer(key, newValue);
    }
}

std::size_t KeyValueObservers::count(std::string_view key) const {
    std::size_t n = 0;
    for (const auto& [id, entry] : entries_) {
        if (entry.key == key) ++n;
    }
    return n;
}

}  // namespace tugworth
