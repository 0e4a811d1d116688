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
#include <QFileInfo>
#include <QTemporaryDir>

#include "OneLineSink.h"
#include "platform/qt/QtSettingsStorage.h"

namespace {

using tugworth::SettingsMap;
using tugworth::fuzz::failWith;

// One folder for the whole run, emptied before each input.
const QString& folder() {
    static QTemporaryDir dir;
    if (!dir.isValid()) failWith("cannot make a temporary folder", "");
    static const QString path = dir.path();
    return path;
}

void emptyFolder() {
    QDir dir(folder());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        dir.remove(name);
}

// A value as its kind and the text the file holds for it, so that NaN equals NaN.
std::string describe(const tugworth::Value& value) {
    const auto encoded = tugworth::qt::encodeSettingsValue(value);
    const std::string text = encoded ? encoded->toString().toStdString() : "<none>";
    return std::to_string(static_cast<int>(value.kind())) + ":" + text;
}

// Keys like the program's own. QSettings renames or drops keys made of slashes and other
// separators on the way back, and the program never uses such keys.
bool isPlainKey(const std::string& key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
}

void requireSameValues(const SettingsMap& before, const SettingsMap& after) {
    for (const auto& [key, value] : before) {
        if (!isPlainKey(key)) continue;
        const auto found = after.find(key);
        if (found == after.end()) failWith("a setting was lost through a save and a reload", key);
        if (describe(found->second) != describe(value)) {
            failWith("a setting changed through a save and a reload",
                     key + ": " + describe(value) + " became " + describe(found->second));
        }
    }
}

QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    emptyFolder();
    const QString path = folder() + QStringLiteral("/Tugworth.conf");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            failWith("cannot write the settings file", "");
    }

    tugworth::fuzz::OneLineSink sink;
    tugworth::qt::QtSettingsStorage storage(path, sink);
    const SettingsMap loaded = storage.load();
    if (QFileInfo::exists(path)) {
        if (!storage.save(loaded)) failWith("the loaded values could not be saved", "");
        tugworth::qt::QtSettingsStorage again(path, sink);
        requireSameValues(loaded, again.load());
    } else {
        // Set aside: the one other file in the folder holds exactly what was there.
        const QStringList files = QDir(folder()).entryList(QDir::Files | QDir::Hidden);
        if (!loaded.empty()) failWith("a file moved aside still gave values", "");
        if (files.size() != 1 || contents(folder() + "/" + files.front()) != bytes)
            failWith("the unused settings file was not kept whole", "");
    }
    if (sink.badLine()) failWith("diagnostic is not one clean line", *sink.badLine());
    return 0;
}
