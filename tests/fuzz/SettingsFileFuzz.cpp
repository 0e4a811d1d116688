// Any bytes as the settings file. A file that is used keeps every value through a save and a
// reload; a file that is not used is moved aside whole, never lost; every diagnostic is one
// line.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "OneLineSink.h"
#include "platform/qt/QtSettingsStorage.h"

namespace {

using tugworth::fuzz::failWith;

// A value as its kind and the text the file holds for it, so that NaN equals NaN.
std::string describe(const tugworth::Value& value) {
    const auto encoded = tugworth::qt::encodeSettingsValue(value);
    return std::to_string(static_cast<int>(value.kind())) + ":" +
           (encoded ? encoded->toString().toStdString() : "<none>");
}

// Keys like the program's own. QSettings renames or drops keys made of slashes and other
// separators on the way back, and the program never uses such keys.
bool isPlainKey(const std::string& key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;  // one for the whole run, emptied before each input
    QDir dir(folder.path());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) dir.remove(name);
    const QString path = dir.filePath(QStringLiteral("Tugworth.conf"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        failWith("cannot write the settings file", path.toStdString());
    file.close();

    tugworth::fuzz::OneLineSink sink;
    tugworth::qt::QtSettingsStorage storage(path, sink);
    const tugworth::SettingsMap loaded = storage.load();
    if (QFile::exists(path)) {
        if (!storage.save(loaded)) failWith("the loaded values could not be saved", "");
        // Written whole to a new file: a save to the file they came from writes only changes.
        const QString copy = dir.filePath(QStringLiteral("Copy.conf"));
        if (!tugworth::qt::QtSettingsStorage(copy, sink).save(loaded))
            failWith("the loaded values could not be written to a new file", "");
        const tugworth::SettingsMap again = tugworth::qt::QtSettingsStorage(copy, sink).load();
        for (const auto& [key, value] : loaded) {
            const auto found = again.find(key);
            if (!isPlainKey(key)) continue;
            if (found == again.end())
                failWith("a setting was lost through a save and a reload", key);
            if (describe(found->second) != describe(value)) {
                failWith("a setting changed through a save and a reload",
                         key + ": " + describe(value) + " became " + describe(found->second));
            }
        }
    } else {
        // Set aside: the one other file in the folder holds exactly what was there.
        const QStringList files = dir.entryList(QDir::Files | QDir::Hidden);
        if (!loaded.empty()) failWith("a file moved aside still gave values", "");
        if (files.size() != 1 || contents(dir.filePath(files.front())) != bytes)
            failWith("the unused settings file was not kept whole", "");
    }
    sink.requireCleanLines();
    return 0;
}
