// Chord tables for the drag and resize gestures.
#include "input/Chords.h"

#include <array>

#include "platform/Events.h"

namespace tugworth {

namespace {

struct Chord {
    std::string_view name;
    std::uint64_t keys;
};

// The first entry of each table is the default, used for any name the table does not list.
constexpr std::array kDragChords{
    Chord{"Command+Control", kModifierCommand | kModifierControl},
    Chord{"Option+Control", kModifierOption | kModifierControl},
    Chord{"Command+Option", kModifierCommand | kModifierOption},
};

constexpr std::array kResizeChords{
    Chord{"Command+Control+Shift", kModifierCommand | kModifierControl | kModifierShift},
    Chord{"Option+Control+Shift", kModifierOption | kModifierControl | kModifierShift},
    Chord{"Command+Option+Shift", kModifierCommand | kModifierOption | kModifierShift},
};

template <std::size_t N>
constexpr const Chord& chordNamed(const std::array<Chord, N>& table, std::string_view name) {
    for (const Chord& chord : table) {
        if (chord.name == name) return chord;
    }
    return table.front();
}

template <std::size_t N>
constexpr std::uint64_t chordKeys(const std::array<Chord, N>& table, std::string_view name) {
    return chordNamed(table, name).keys;
}

}  // namespace

bool dragChordMatches(std::string_view chordName, std::uint64_t flags) {
    const std::uint64_t keys = chordKeys(kDragChords, chordName);
    return (flags & keys) == keys && (flags & kModifierShift) == 0;
}

std::uint64_t resizeChordMask(std::string_view chordName) {
    return chordKeys(kResizeChords, chordName);
}

bool resizeChordMatches(std::string_view chordName, std::uint64_t flags) {
    const std::uint64_t mask = resizeChordMask(chordName);
    return (flags & mask) == mask;
}

std::string_view dragChordInEffect(std::string_view chordName) {
    return chordNamed(kDragChords, chordName).name;
}

std::string_view resizeChordInEffect(std::string_view chordName) {
    return chordNamed(kResizeChords, chordName).name;
}

}  // namespace tugworth
