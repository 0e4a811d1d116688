// Help and About as a Linux desktop shows them: each chord by its name with the keys printed
// on a Linux keyboard beside it, as the preferences window writes them, and always the chords
// in effect rather than the defaults.
#pragma once

#include <string>
#include <string_view>

#include <QString>

#include "platform/SettingsStorage.h"

class QComboBox;
class QLabel;
class QWidget;

namespace tugworth::qt {

// The chords in effect, by name: a stored name the chord tables do not list means the default.
struct ConfiguredChords {
    std::string drag;
    std::string resize;
};
ConfiguredChords chordsInEffect(const SettingsMap& stored);

// "Command+Control (Super+Ctrl)".
QString chordLabel(std::string_view chordName);

QString helpText(const ConfiguredChords& chords);
QString aboutText(const ConfiguredChords& chords);

// The help box, modal, above `parent` when given (the preferences window).
void runHelpBox(QWidget* parent, const ConfiguredChords& chords);

// Shows `hint` while the resize chord chosen is not the drag chord plus Shift: then adding
// Shift during a drag does not resize.
void watchChordHint(QComboBox& drag, QComboBox& resize, QLabel& hint);

}  // namespace tugworth::qt
