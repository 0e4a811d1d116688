// Key-value observation for the core: observers registered by key, and typed properties that
// tell them of every change made through their owner's setters.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Value.h"

namespace tugworth {

// The observers of one object, by key. Observers may add or remove observers (themselves
// included) while being notified; a removed observer is not called again.
class KeyValueObservers {
public:
    using Observer = std::function<void(std::string_view key, const Value& newValue)>;
    using ObserverId = std::size_t;

    // Never answers 0, so that 0 can stand for "no observer".
    ObserverId add(std::string_view key, Observer observer);
    // False when no such observer is registered (already removed, or never added).
    bool remove(ObserverId id);
    void notify(std::string_view key, const Value& newValue);
    std::size_t count(std::string_view key) const;

private:
    struct Entry {
        std::string key;
        Observer observer;
    };
    std::map<ObserverId, Entry> entries_;  // ordered by id: notified in registration order
    ObserverId nextId_ = 1;
};

// One observable property of type T (bool or std::string) under a fixed key.
template <class T>
class ObservableProperty {
public:
    ObservableProperty(KeyValueObservers& observers, std::string_view key, T initial)
        : observers_(observers), key_(key), value_(std::move(initial)) {}
    ObservableProperty(const ObservableProperty&) = delete;
    ObservableProperty& operator=(const ObservableProperty&) = delete;

    const T& get() const { return value_; }
    std::string_view key() const { return key_; }

    // Stores and tells the observers, as a plain setter does.
    void set(T value) {
        store(std::move(value));
        notifyObservers();
    }
    // The two halves, for setters that do more work between storing and notifying.
    void store(T value) { value_ = std::move(value); }
    void notifyObservers() { observers_.notify(key_, Value(value_)); }

private:
    KeyValueObservers& observers_;
    std::string key_;
    T value_;
};

}  // namespace tugworth
