// Tugworth on a real headless KWin 5.27 with its bridge script, real Qt 6 and GTK 3 windows and
// the pointer moved through KWin's fake input. KWin 5.27 cannot report held modifiers, so the
// chord comes from a double at the driver's seam; frames are read back by a probe script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QRegularExpression>
#include <QTimer>

#include "KWinFixture.h"
#include "app/EntryPoint.h"
#include "app/SettingsKeys.h"
#include "platform/Events.h"
#include "platform/LogSink.h"
#include "platform/qt/QtToolkit.h"
#include "platform/sim/SimSettingsStorage.h"
#include "platform/wayland/CompositorDesktop.h"
#include "platform/wayland/kde/KWinDriver.h"
#include "platform/wayland/kde/KWinScripting.h"
#include "program/AppIdentity.h"

namespace tugworth {
void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}
}  // namespace tugworth

namespace tugworth::wayland::kde::test {
namespace {

constexpr std::uint64_t kDrag = kModifierCommand | kModifierControl;
constexpr std::uint64_t kResize = kDrag | kModifierShift;

class SwitchableChord final : public ModifierSource {
public:
    std::uint64_t modifierFlags() const override { return flags_; }
    void watch(std::function<void(std::uint64_t)> changed) override { changed_ = changed; }
    void hold(std::uint64_t flags) {
        flags_ = flags;
        if (changed_) changed_(flags);
    }

private:
    std::uint64_t flags_ = 0;
    std::function<void(std::uint64_t)> changed_;
};

std::unique_ptr<KWinDriver> connectDriver(SwitchableChord** chord) {
    auto owned = std::make_unique<SwitchableChord>();
    if (chord != nullptr) *chord = owned.get();
    std::string error;
    auto driver = KWinDriver::connect(kwin::bridgeScript(), std::move(owned), error);
    EXPECT_NE(driver, nullptr) << error;
    return driver;
}

std::optional<Rect> frameIn(CompositorDriver& driver, const std::string& title) {
    for (const CompositorWindow& w :
         driver.windowsFrontToBack().value_or(std::vector<CompositorWindow>{})) {
        if (w.title == title) return w.frame;
    }
    return std::nullopt;
}

// The program's core over the KDE driver, as the tugworth program runs it.
class ProgramOnKWin : public ::testing::Test {
protected:
    void SetUp() override {
        driver_ = connectDriver(&chord_);
        ASSERT_NE(driver_, nullptr);
        driver = driver_.get();
        storage_.persisted() = {{std::string(settings::kPreferencesInitialized), Value(true)},
                                {std::string(settings::kEnableDragging), Value(true)},
                                {std::string(settings::kEnableResizing), Value(true)}};
    }

    // Its frame once KWin has placed it.
    Rect waitForWindow(const std::string& title) {
        std::optional<Rect> frame;
        EXPECT_TRUE(waitFor(
            [&] {
                frame = frameIn(*driver, title);
                return frame && frame == kwin::frameOf(QString::fromStdString(title));
            },
            8000))
            << title << " never appeared";
        return frame.value_or(Rect{});
    }

    // Runs `steps` inside the program's event loop, then quits it.
    void runProgram(const std::function<void()>& steps) {
        CompositorDesktop desktop(std::move(driver_), [](std::string_view) { return false; });
        StdoutLogSink logSink;
        qt::QtToolkit toolkit(logSink);
        desktop.start([&] { QTimer::singleShot(0, [&] { desktop.dispatchPendingEvents(); }); },
                      [&](const std::string& reason) { lost_ = reason; });
        Platform platform{desktop.accessibility(),
                          desktop.windowServer(),
                          desktop.desktop(),
                          desktop.monitors(),
                          toolkit,
                          storage_,
                          logSink};
        QTimer::singleShot(0, [&] {
            steps();
            toolkit.terminate();
        });
        runApplication(platform);
    }

    // Holds `chord` and moves the pointer in four steps from `from` by (dx, dy).
    void gesture(Point from, std::uint64_t chord, double dx, double dy) {
        pointer_.moveTo(from.x, from.y);
        waitFor([&] { return driver->pointer()->location == from; });
        chord_->hold(chord);
        for (int i = 1; i <= 4; ++i) pointer_.moveTo(from.x + dx * i / 4, from.y + dy * i / 4);
        const Point to{from.x + dx, from.y + dy};
        waitFor([&] { return driver->pointer()->location == to; });
        chord_->hold(0);
    }

    std::unique_ptr<KWinDriver> driver_;  // until the program takes it
    KWinDriver* driver = nullptr;
    SwitchableChord* chord_ = nullptr;
    sim::SimSettingsStorage storage_;
    FakePointer pointer_;
    std::optional<std::string> lost_;
};

// Reads KWin's own frame until it settles at `expected` (frames apply asynchronously).
void expectFrame(const QString& title, const Rect& expected) {
    std::optional<Rect> frame;
    waitFor([&] { return (frame = kwin::frameOf(title)) == expected; });
    EXPECT_EQ(frame, expected) << title.toStdString();
}

// Each window is dragged off the next one's place (KWin centres new windows).
TEST_F(ProgramOnKWin, DragsAndResizesQtAndGtkWindowsExactly) {
    ASSERT_TRUE(pointer_.connected()) << "KWin refused fake input";
    auto qt = kwin::startQtClient("Qt window");
    const Rect q = waitForWindow("Qt window");
    Client gtk;
    runProgram([&] {
        gesture({q.x + 100, q.y + 80}, kDrag, -400, -250);
        expectFrame("Qt window", {q.x - 400, q.y - 250, q.width, q.height});
        gesture({q.x - 300, q.y - 170}, kResize, 50, 20);
        expectFrame("Qt window", {q.x - 400, q.y - 250, q.width + 50, q.height + 20});

        gtk = kwin::startGtkClient("GTK window");
        const Rect g = waitForWindow("GTK window");
        gesture({g.x + 60, g.y + 60}, kDrag, 300, 200);
        expectFrame("GTK window", {g.x + 300, g.y + 200, g.width, g.height});
        gesture({g.x + 310, g.y + 260}, kResize, -30, -40);
        expectFrame("GTK window", {g.x + 300, g.y + 200, g.width - 30, g.height - 40});
    });
    EXPECT_FALSE(lost_);
}

// The next gesture works on what is left.
TEST_F(ProgramOnKWin, CarriesOnAfterAClientIsKilledMidDrag) {
    auto doomed = kwin::startGtkClient("Doomed window");
    const Rect d = waitForWindow("Doomed window");
    runProgram([&] {
        const Point grab{d.x + 20, d.y + 20};
        pointer_.moveTo(grab.x, grab.y);
        waitFor([&] { return driver->pointer()->location == grab; });
        chord_->hold(kDrag);
        pointer_.moveTo(grab.x + 10, grab.y + 10);
        expectFrame("Doomed window", {d.x + 10, d.y + 10, d.width, d.height});
        doomed.reset();
        waitFor([&] { return !frameIn(*driver, "Doomed window"); });
        pointer_.moveTo(d.x + 40, d.y + 40);
        chord_->hold(0);

        auto qt = kwin::startQtClient("Qt window");
        const Rect q = waitForWindow("Qt window");
        gesture({q.x + 20, q.y + 20}, kDrag, 25, 15);
        expectFrame("Qt window", {q.x + 25, q.y + 15, q.width, q.height});
    });
    EXPECT_FALSE(lost_);
}

TEST(KWinBridge, SaysSoWhenTheScriptIsUnloaded) {
    auto driver = connectDriver(nullptr);
    ASSERT_NE(driver, nullptr);
    std::optional<std::string> lost;
    driver->watch({{}, {}, [&](const std::string& reason) { lost = reason; }});
    unloadScript(QString::fromLatin1(kBridgePluginName));
    ASSERT_TRUE(waitFor([&] { return lost.has_value(); }));
    EXPECT_NE(lost->find("was unloaded"), std::string::npos) << *lost;
    EXPECT_EQ(driver->requestFrame(1, {0, 0, 100, 100}), FrameWriteResult::BridgeGone);
    EXPECT_FALSE(driver->windowsFrontToBack());
    EXPECT_FALSE(driver->bridgeAnswers());
}

// KWin 5.27 offers keystate below version 5 (to the program, as its desktop entry asks): the
// program must say which Plasma it needs, once.
TEST(KdeStartup, NamesThePlasmaItNeedsAndEndsWithStatusOne) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WAYLAND_DISPLAY", kwin::socketName());
    env.insert("XDG_CURRENT_DESKTOP", "KDE");
    program.setProcessEnvironment(env);
    // The drivers above took Tugworth's bus name in this process: give it up for the program.
    QDBusConnection::sessionBus().unregisterService(QString::fromLatin1(kAppId));
    program.start(kwin::workDir() + "/bin/tugworth");
    ASSERT_TRUE(program.waitForFinished(20000));
    const QStringList lines = QString::fromUtf8(program.readAllStandardOutput()).split('\n');
    const QStringList errors = lines.filter(QRegularExpression("^\\[ERROR\\] "));
    ASSERT_EQ(errors.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(errors.front().contains("offers org_kde_kwin_keystate version"))
        << errors.front().toStdString();
    EXPECT_TRUE(errors.front().contains("Plasma 6.3 or later")) << errors.front().toStdString();
    EXPECT_EQ(program.exitCode(), 1);
}

class KWinEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(kwin::start()); }
    void TearDown() override { kwin::stop(); }
};

}  // namespace
}  // namespace tugworth::wayland::kde::test

int main(int argc, char** argv) {
    // The same program is the Qt 6 client the tests move.
    if (argc == 3 && std::string(argv[1]) == "--qt-client") {
        QGuiApplication application(argc, argv);
        QRasterWindow window;
        window.setTitle(QString::fromLocal8Bit(argv[2]));
        window.resize(300, 200);
        window.show();
        return application.exec();
    }
    // The program's toolkit needs widgets; nothing of it is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tugworth::wayland::kde::test::KWinEnvironment);
    return RUN_ALL_TESTS();
}
