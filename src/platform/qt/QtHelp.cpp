#include "platform/qt/QtHelp.h"

#include <array>
#include <utility>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>
#include <QStringList>

#include "app/SettingsKeys.h"
#include "app/UserDefaults.h"
#include "input/Chords.h"
#include "platform/qt/QtWindow.h"

namespace tugworth::qt {

namespace {

std::string storedText(const SettingsMap& stored, std::string_view key) {
    const auto found = stored.find(key);
    if (found == stored.end()) return {};
    return readValueAsString(found->second).value_or(std::string());
}

// How the keys behind each chord name are printed on a Linux keyboard.
QString linuxKeyName(const QString& chordKey) {
    constexpr std::array<std::pair<const char*, const char*>, 3> kKeys{{
        {"Command", "Super"},
        {"Control", "Ctrl"},
        {"Option", "Alt"},
    }};
    for (const auto& [name, key] : kKeys) {
        if (chordKey == QLatin1String(name)) return QString::fromLatin1(key);
    }
    return chordKey;
}

}  // namespace

ConfiguredChords chordsInEffect(const SettingsMap& stored) {
    return {std::string(dragChordInEffect(storedText(stored, settings::kDragModifier))),
            std::string(resizeChordInEffect(storedText(stored, settings::kResizeModifier)))};
}

QString chordLabel(std::string_view chordName) {
    const QString name =
        QString::fromUtf8(chordName.data(), static_cast<qsizetype>(chordName.size()));
    QStringList keys;
    for (const QString& key : name.split(QLatin1Char('+'))) keys.append(linuxKeyName(key));
    return QStringLiteral("%1 (%2)").arg(name, keys.join(QLatin1Char('+')));
}

QString helpText(const ConfiguredChords& chords) {
    return QStringLiteral(
               "To move a window:\n"
               "- Hold %1 and move the pointer over it\n"
               "\n"
               "To resize a window:\n"
               "- Hold %2 and move the pointer over it\n"
               "\n"
               "You can change these chords in Preferences.")
        .arg(chordLabel(chords.drag), chordLabel(chords.resize));
}

QString aboutText(const ConfiguredChords& chords) {
    return QStringLiteral(
               "Hold %1 and move the pointer to move the window under it; hold %2 to resize "
               "it.")
        .arg(chordLabel(chords.drag), chordLabel(chords.resize));
}

void runHelpBox(QWidget* parent, const ConfiguredChords& chords) {
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Tugworth Help"));
    box.setIcon(QMessageBox::Information);
    box.setText(QStringLiteral("<b>Moving and resizing windows</b>"));
    box.setInformativeText(helpText(chords));
    box.setStandardButtons(QMessageBox::Ok);
    // Ctrl+C copies the text, as message boxes on other desktops do, to paste into a note.
    QObject::connect(new QShortcut(QKeySequence::Copy, &box), &QShortcut::activated, &box,
                     [text = helpText(chords)] { QGuiApplication::clipboard()->setText(text); });
    box.exec();
}

void watchChordHint(QComboBox& drag, QComboBox& resize, QLabel& hint) {
    auto update = [&drag, &resize, &hint] {
        const std::string dragChord(dragChordInEffect(chosenText(drag).toStdString()));
        const std::string_view resizeChord = resizeChordInEffect(chosenText(resize).toStdString());
        hint.setVisible(resizeChord != dragChord + "+Shift");
    };
    QObject::connect(&drag, &QComboBox::currentIndexChanged, &hint, update);
    QObject::connect(&resize, &QComboBox::currentIndexChanged, &hint, update);
    update();
}

}  // namespace tugworth::qt
