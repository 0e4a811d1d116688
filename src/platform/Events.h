// Events the program watches, and the monitors that deliver them.
#pragma once

#include <cstdint>
#include <functional>

namespace tugworth {

enum class EventType : std::uint8_t {
    MouseMoved = 5,
    FlagsChanged = 12,
};

enum EventMask : std::uint64_t {
    kEventMaskMouseMoved = 1ULL << 5,
    kEventMaskFlagsChanged = 1ULL << 12,
};

// Device-independent modifier bits.
enum ModifierFlag : std::uint64_t {
    kModifierCapsLock = 1ULL << 16,
    kModifierShift = 1ULL << 17,
    kModifierControl = 1ULL << 18,
    kModifierOption = 1ULL << 19,
    kModifierCommand = 1ULL << 20,
    kModifierNumericPad = 1ULL << 21,
    kModifierHelp = 1ULL << 22,
    kModifierFunction = 1ULL << 23,
};

struct Event {
    EventType type = EventType::MouseMoved;
    std::uint64_t modifierFlags = 0;
};

// A global handler observes copies of events bound for other applications. A local handler
// observes this program's own events and answers the event to deliver on (null swallows it).
using GlobalEventHandler = std::function<void(const Event&)>;
using LocalEventHandler = std::function<const Event*(const Event&)>;

class EventMonitors {
public:
    virtual ~EventMonitors() = default;

    // Monitors stay installed until the process ends. Handlers run on the main thread, and
    // with both kinds installed every event reaches the handlers exactly once.
    virtual void addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) = 0;
    virtual void addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) = 0;

protected:
    EventMonitors() = default;
    EventMonitors(const EventMonitors&) = delete;
    EventMonitors& operator=(const EventMonitors&) = delete;
};

}  // namespace tugworth
