#include "platform/qt/QtSettingsStorage.h"

#include <array>
#include <charconv>
#include <optional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace tugworth::qt {

namespace {

std::string toStd(const QString& text) {
    return text.toStdString();
}

constexpr qint64 kMaxFileSize = qint64{1024} * 1024;

enum class TextKind { Boolean, Integer, Real, String };

// How a plain text in the file reads back. The writer marks text that would not read back as
// text, so both sides must use this one rule.
TextKind classifyText(std::string_view text, std::int64_t* integer = nullptr,
                      double* real = nullptr, bool* boolean = nullptr) {
    if (text == "true" || text == "false") {
        if (boolean != nullptr) *boolean = text == "true";
        return TextKind::Boolean;
    }
    if (text.empty()) return TextKind::String;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    std::int64_t i = 0;
    if (auto [ptr, ec] = std::from_chars(begin, end, i); ptr == end) {
        if (ec != std::errc{}) return TextKind::String;  // digits beyond the integer range
        if (integer != nullptr) *integer = i;
        return TextKind::Integer;
    }
    double d = 0.0;
    if (auto [ptr, ec] = std::from_chars(begin, end, d); ptr == end && ec == std::errc{}) {
        if (real != nullptr) *real = d;
        return TextKind::Real;
    }
    return TextKind::String;
}

QString realText(double value) {
    std::array<char, 64> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), ec == std::errc{} ? end : buffer.data());
    // Keep a fraction or an exponent so that the value reads back as a real, not an integer.
    if (text.find_first_of(".en") == std::string::npos) text += ".0";
    return QString::fromStdString(text);
}

Value decodeText(const QString& text) {
    const std::string utf8 = toStd(text);
    std::int64_t integer = 0;
    double real = 0.0;
    bool boolean = false;
    switch (classifyText(utf8, &integer, &real, &boolean)) {
        case TextKind::Boolean:
            return Value(boolean);
        case TextKind::Integer:
            return Value(static_cast<long long>(integer));
        case TextKind::Real:
            return Value(real);
        case TextKind::String:
            break;
    }
    return Value(utf8);
}

}  // namespace

std::optional<QVariant> encodeSettingsValue(const Value& value) {
    if (const auto* b = value.asBool()) return QVariant(QString::fromLatin1(*b ? "true" : "false"));
    if (const auto* i = value.asInteger()) return QVariant(QString::number(*i));
    if (const auto* r = value.asReal()) return QVariant(realText(*r));
    if (const auto* s = value.asString()) {
        const QByteArray utf8 = QByteArray::fromStdString(*s);
        if (classifyText(*s) == TextKind::String) return QVariant(QString::fromUtf8(utf8));
        return QVariant(utf8);  // written as @ByteArray(...), read back as text
    }
    return std::nullopt;
}

Value decodeSettingsValue(const QVariant& stored) {
    switch (stored.typeId()) {
        case QMetaType::QString:
            return decodeText(stored.toString());
        case QMetaType::QByteArray:
            return Value(stored.toByteArray().toStdString());
        // An unquoted comma in a hand-edited file splits the text into a list.
        case QMetaType::QStringList:
            return Value(toStd(stored.toStringList().join(", ")));
        default:
            break;
    }
    if (stored.canConvert<QString>()) return decodeText(stored.toString());
    return Value();
}

QtSettingsStorage::QtSettingsStorage(QString filePath, LogSink& logSink)
    : filePath_(std::move(filePath)), log_(logSink) {}

QString QtSettingsStorage::defaultFilePath() {
    // GenericConfigLocation honours an absolute $XDG_CONFIG_HOME, else ~/.config.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Tugworth/Tugworth.conf");
}

SettingsMap QtSettingsStorage::load() {
    values_ = readFile();
    written_ = values_;
    return values_;
}

SettingsMap QtSettingsStorage::readFile() {
    const QFileInfo info(filePath_);
    if (!info.exists()) return {};
    if (info.isFile() && info.size() > kMaxFileSize) {
        // Seven settings take a few hundred bytes; parsing megabytes would stall the launch.
        setAside(QStringLiteral("it is larger than 1 MiB"));
        return {};
    }
    QFile file(filePath_);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        setAside(QStringLiteral("it cannot be read"));
        return {};
    }
    file.close();

    QSettings settings(filePath_, QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    if (settings.status() == QSettings::FormatError) {
        setAside(QStringLiteral("it is not a valid settings file"));
        return {};
    }
    if (settings.status() == QSettings::AccessError) {
        setAside(QStringLiteral("it cannot be read"));
        return {};
    }
    SettingsMap values;
    for (const QString& key : keys) {
        Value value = decodeSettingsValue(settings.value(key));
        if (value.isNone()) {
            log_.warning("Ignoring the unreadable value of ", toStd(key), " in ", toStd(filePath_));
            continue;
        }
        values.emplace(toStd(key), std::move(value));
    }
    return values;
}

void QtSettingsStorage::setAside(const QString& reason) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = filePath_ + QStringLiteral(".corrupt-") + stamp;
    for (int n = 1; QFileInfo::exists(aside); ++n) {
        aside = filePath_ + QStringLiteral(".corrupt-") + stamp + QStringLiteral("-%1").arg(n);
    }
    if (QFile::rename(filePath_, aside)) {
        log_.warning("Settings file ", toStd(filePath_), " was not used because ", toStd(reason),
                     "; moved it to ", toStd(aside), " and started on the default settings");
        return;
    }
    // Never overwrite what we could not read: the user may still want it back.
    keepFileUntouched_ = true;
    log_.warning("Settings file ", toStd(filePath_), " was not used because ", toStd(reason),
                 " and it could not be moved aside; started on the default settings, and "
                 "changes are kept in memory only");
}

bool QtSettingsStorage::reportWriteFailure(const QString& reason) {
    if (!hasReportedWriteFailure_) {
        hasReportedWriteFailure_ = true;
        log_.warning("Cannot write the settings file ", toStd(filePath_), " (", toStd(reason),
                     "); changes are kept in memory for this run");
    }
    return false;
}

bool QtSettingsStorage::save(const SettingsMap& values) {
    values_ = values;                      // what the program now runs with, written or not
    if (keepFileUntouched_) return false;  // already reported when the file was set aside
    const QFileInfo info(filePath_);
    if (!QDir().mkpath(info.absolutePath())) {
        return reportWriteFailure(QStringLiteral("its folder cannot be created"));
    }
    // Only what changed since the file was last read or written goes out, so that a key
    // someone else wrote there meanwhile is kept; a file that has gone is written whole.
    const bool whole = !info.exists();
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setAtomicSyncRequired(true);  // written to a temporary file, then renamed
    SettingsMap written = values;
    for (const auto& [key, value] : written_) {
        if (!values.contains(key)) settings.remove(QString::fromStdString(key));
    }
    for (const auto& [key, value] : values) {
        const auto before = written_.find(key);
        if (!whole && before != written_.end() && before->second == value) continue;
        const std::optional<QVariant> encoded = encodeSettingsValue(value);
        if (!encoded) {
            log_.warning("Not storing ", key, ": a value of this kind cannot be written to ",
                         toStd(filePath_));
            written.erase(key);
            continue;
        }
        settings.setValue(QString::fromStdString(key), *encoded);
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        // The previous file is still whole: only a complete new one replaces it.
        const bool folderWritable = QFileInfo(info.absolutePath()).isWritable();
        return reportWriteFailure(
            folderWritable ? QStringLiteral("it could not be written in full; is the disk full?")
                           : QStringLiteral("the folder is not writable"));
    }
    written_ = std::move(written);
    return true;
}

}  // namespace tugworth::qt
