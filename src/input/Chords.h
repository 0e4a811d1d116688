// The modifier chords: which held flags start a drag or a resize, by the chord names the
// settings store holds. Only Shift, Control, Option and Command are ever examined.
#pragma once

#include <cstdint>
#include <string_view>

namespace tugworth {

// A drag chord: its two keys held and Shift clear; the third of Command, Control and Option
// is not examined. An unlisted name behaves as "Command+Control".
bool dragChordMatches(std::string_view chordName, std::uint64_t flags);

// The full set of flags a resize chord needs ("Command+Control+Shift" for an unlisted name).
std::uint64_t resizeChordMask(std::string_view chordName);

// A resize chord matches when every flag of its mask is held; further modifiers are allowed.
bool resizeChordMatches(std::string_view chordName, std::uint64_t flags);

// The chord a stored name stands for, by its listed name: the default for an unlisted one.
std::string_view dragChordInEffect(std::string_view chordName);
std::string_view resizeChordInEffect(std::string_view chordName);

}  // namespace tugworth
