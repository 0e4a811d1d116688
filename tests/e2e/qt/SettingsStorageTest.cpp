// The settings file: values come back with their kind, only changes are written, a bad file
// is set aside and never overwritten, and an unwritable folder is reported once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt/QtSettingsStorage.h"
#include "platform/sim/LogCapture.h"

namespace tugworth::qt {
namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void TearDown() override { lockFolder(false); }
    QString folder() const { return base_ + QStringLiteral("/Tugworth"); }
    QString path() const { return folder() + QStringLiteral("/Tugworth.conf"); }

    void writeFile(const QByteArray& bytes) {
        ASSERT_TRUE(QDir().mkpath(folder()));
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readFile(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Permissions do not bind root: then the folder is made immutable.
    bool lockFolder(bool locked) {
        if (geteuid() != 0) {
            const auto rx = QFile::ReadOwner | QFile::ExeOwner;
            return QFile::setPermissions(folder(), locked ? rx : rx | QFile::WriteOwner);
        }
        const int fd = ::open(folder().toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0) ::close(fd);
        return done;
    }

    QStringList setAsideFiles() const {
        return QDir(folder()).entryList({QStringLiteral("Tugworth.conf.corrupt-*")}, QDir::Files);
    }

    std::vector<std::string> warnings() const {
        std::vector<std::string> found;
        for (const std::string& line : log_.lines()) {
            if (line.rfind("[WARNING] ", 0) == 0) found.push_back(line);
        }
        return found;
    }

    QTemporaryDir dir_;
    QString base_ = dir_.path();  // the config home of the case under test
    sim::LogCapture log_;
};

// Saving replaces the whole file, and a value of a kind the file cannot hold is left out.
TEST_F(SettingsFileTest, ValuesReadBackWithTheirKind) {
    const SettingsMap values{
        {"enableDragging", Value(false)},
        {"showInDock", Value(true)},
        {"count", Value(-42)},
        {"big", Value(9223372036854775807LL)},
        {"half", Value(0.5)},
        {"whole", Value(2.0)},
        {"huge", Value(1e300)},
        {"dragModifier", Value("Option+Control")},
        {"empty", Value("")},
        {"looksBoolean", Value("true")},
        {"looksInteger", Value("42")},
        {"looksReal", Value("1.5")},
        {"looksInfinite", Value("inf")},
        {"tooLongForAnInteger", Value("123456789012345678901234567890")},
        {"comma", Value("a, b")},
        {"at", Value("@ByteArray(x)")},
        {"unicode", Value("h\xC3\xA9llo \xE2\x9C\x93")},
    };
    QtSettingsStorage storage(path(), log_);
    ASSERT_TRUE(storage.save({{"stale", Value(true)}, {"enableDragging", Value(true)}}));
    SettingsMap withAList = values;
    withAList.emplace("list", Value(Value::Array{Value(1)}));
    ASSERT_TRUE(storage.save(withAList));

    QtSettingsStorage reader(path(), log_);
    EXPECT_EQ(reader.load(), values);
    EXPECT_EQ(warnings().size(), 1U);
    // Nothing is left behind by the atomic replacement.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{QStringLiteral("Tugworth.conf")});
    // Plain values stay plain, so that the file can be read and edited by hand.
    const QByteArray text = readFile(path());
    EXPECT_TRUE(text.contains("enableDragging=false")) << text.toStdString();
    EXPECT_TRUE(text.contains("dragModifier=Option+Control")) << text.toStdString();
    EXPECT_TRUE(text.contains("half=0.5")) << text.toStdString();
}

// Only changes go out: what another program wrote meanwhile stays, even under a key of ours
// that we left alone; a file removed meanwhile comes back whole.
TEST_F(SettingsFileTest, SavingKeepsWhatAnotherProgramWroteMeanwhile) {
    writeFile("[General]\nshowInDock=true\ndragModifier=Option+Control\n");
    QtSettingsStorage storage(path(), log_);
    SettingsMap values = storage.load();
    writeFile("[General]\nshowInDock=true\ndragModifier=Command+Control\naddedByHand=7\n");
    values["showInDock"] = Value(false);
    ASSERT_TRUE(storage.save(values));
    EXPECT_EQ(QtSettingsStorage(path(), log_).load(),
              (SettingsMap{{"showInDock", Value(false)},
                           {"dragModifier", Value("Command+Control")},
                           {"addedByHand", Value(7)}}));
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(storage.save(values));
    EXPECT_EQ(QtSettingsStorage(path(), log_).load(), values);
}

TEST_F(SettingsFileTest, HandWrittenFileReadsAsTheKindsItShows) {
    writeFile(
        "[General]\nenableDragging=true\nlevel=3\nratio=0.25\nname=Command+Option\n"
        "list=a, b\ndigits=123456789012345678901234567890\npoint=@Point(1 2)\n; a comment\n");
    QtSettingsStorage storage(path(), log_);
    const SettingsMap expected{
        {"enableDragging", Value(true)}, {"level", Value(3)},
        {"ratio", Value(0.25)},          {"name", Value("Command+Option")},
        {"list", Value("a, b")},         {"digits", Value("123456789012345678901234567890")}};
    EXPECT_EQ(storage.load(), expected);
    // A value of a kind no setting has is left out, with one warning naming it.
    ASSERT_EQ(warnings().size(), 1U);
    EXPECT_NE(warnings()[0].find("point"), std::string::npos) << warnings()[0];
}

TEST_F(SettingsFileTest, UnparsableFileIsSetAsideAndNotOverwritten) {
    const std::vector<QByteArray> corruptions{
        "[General]\nenableDragging=false\nthis line has no equals sign\n",
        "[General\nenableDragging=false\n",
        QByteArray("\x7f"
                   "ELF\x02\x01\x01\x00\x00\x00",
                   10),
        QByteArray("[General]\nx=") + QByteArray(1 << 20, 'a'),  // well formed, far too large
    };
    for (std::size_t i = 0; i < corruptions.size(); ++i) {
        const QByteArray& corrupt = corruptions[i];
        SCOPED_TRACE(corrupt.toStdString());
        base_ = dir_.path() + QStringLiteral("/case%1").arg(i);
        log_.clear();
        writeFile(corrupt);

        QtSettingsStorage storage(path(), log_);
        EXPECT_TRUE(storage.load().empty());  // the defaults, not half a file
        ASSERT_EQ(warnings().size(), 1U);
        EXPECT_NE(warnings()[0].find(path().toStdString()), std::string::npos) << warnings()[0];
        ASSERT_EQ(setAsideFiles().size(), 1);
        const QString aside = folder() + QStringLiteral("/") + setAsideFiles()[0];
        EXPECT_EQ(readFile(aside), corrupt);
        EXPECT_FALSE(QFile::exists(path()));

        ASSERT_TRUE(storage.save({{"enableDragging", Value(true)}}));
        EXPECT_EQ(readFile(aside), corrupt);
    }
}

TEST_F(SettingsFileTest, UncreatableFolderIsReportedOnceAndNothingIsLost) {
    // A plain file where the settings folder should be: no one, not even root, can write there.
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QtSettingsStorage storage(path(), log_);
    EXPECT_TRUE(storage.load().empty());
    EXPECT_FALSE(storage.save({{"enableDragging", Value(false)}}));
    EXPECT_FALSE(storage.save({{"enableDragging", Value(true)}}));
    ASSERT_EQ(warnings().size(), 1U);
    EXPECT_NE(warnings()[0].find(path().toStdString()), std::string::npos) << warnings()[0];
}

// A file that could not be moved aside stays untouched for the whole run, even once its
// folder can be written again: it may be all the user has of their settings.
TEST_F(SettingsFileTest, AFileThatCouldNotBeSetAsideIsNeverOverwritten) {
    const QByteArray corrupt("[General\nenableDragging=false\n");
    writeFile(corrupt);
    if (!lockFolder(true)) GTEST_SKIP() << "cannot make a folder read-only here";
    QtSettingsStorage storage(path(), log_);
    EXPECT_TRUE(storage.load().empty());
    EXPECT_FALSE(storage.save({{"enableDragging", Value(true)}}));
    ASSERT_TRUE(lockFolder(false));
    EXPECT_FALSE(storage.save({{"enableDragging", Value(true)}}));
    EXPECT_EQ(readFile(path()), corrupt);
    EXPECT_TRUE(setAsideFiles().isEmpty());
    EXPECT_EQ(warnings().size(), 1U);
}

}  // namespace
}  // namespace tugworth::qt
