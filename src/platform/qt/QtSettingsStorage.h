// The settings file: an INI file read and written through QSettings, replaced atomically.
#pragma once

#include <QString>
#include <QVariant>

#include "platform/Log.h"
#include "platform/SettingsStorage.h"

namespace tugworth::qt {

class QtSettingsStorage final : public SettingsStorage {
public:
    // `filePath` is the INI file; its folder is created on the first write.
    QtSettingsStorage(QString filePath, LogSink& logSink);

    // $XDG_CONFIG_HOME/Tugworth/Tugworth.conf (~/.config when the variable is unset).
    static QString defaultFilePath();

    // A file that cannot be read or parsed is moved aside (never overwritten) and answers
    // nothing, so the program starts on the defaults; one warning line says so.
    SettingsMap load() override;
    // Writes what changed since the file was last loaded or saved, keeping keys another
    // program wrote meanwhile. False when the file could not be written; the first failure
    // of the run is reported.
    bool save(const SettingsMap& values) override;

    const QString& filePath() const { return filePath_; }
    // The values last loaded or saved, without reading the file again.
    const SettingsMap& values() const { return values_; }

private:
    SettingsMap readFile();
    void setAside(const QString& reason);
    bool reportWriteFailure(const QString& reason);

    QString filePath_;
    SettingsMap values_;
    SettingsMap written_;  // what the file holds as far as we know
    Log log_;
    bool keepFileUntouched_ = false;  // an unreadable file that could not be moved aside
    bool hasReportedWriteFailure_ = false;
};

// How one value is written to the file and read back with its kind: Booleans as true/false,
// integers in decimal, reals always with a fraction or exponent, and text that would read
// back as one of those marked as bytes. Other kinds cannot be stored (nullopt).
std::optional<QVariant> encodeSettingsValue(const Value& value);
Value decodeSettingsValue(const QVariant& stored);

}  // namespace tugworth::qt
