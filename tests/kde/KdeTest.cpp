// Tugworth on a real headless KWin 5.27 (run_kwin.sh) with its bridge script, real Qt 6 and GTK 3
// windows framed by Breeze, and the pointer moved through KWin's fake input. KWin 5.27 cannot
// report held modifiers, so the chord comes from a double at the driver's seam; frames are read
// back by a probe script of our own, independent of the bridge.
#include <gtest/gtest.h>
#include <wayland-client.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <thread>

#include "app/EntryPoint.h"
#include "app/SettingsKeys.h"
#include "fake-input-client-protocol.h"
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

namespace tugworth::wayland::kde {
namespace {

constexpr std::uint64_t kDrag = kModifierCommand | kModifierControl;
constexpr std::uint64_t kResize = kDrag | kModifierShift;

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// A window's client, killed with the returned object.
std::unique_ptr<QProcess> startClient(const QString& program, const QStringList& arguments) {
    auto client = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "wayland");  // this process draws offscreen
    client->setProcessEnvironment(env);
    client->setStandardErrorFile(QProcess::nullDevice());
    client->start(program, arguments);
    return client;
}

// Receives the probe script's report.
class ProbeReceiver final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        report = message.arguments().value(0).toString();
        connection.send(message.createReply());
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    std::optional<QString> report;
};

// The window's frame as KWin tells a script of ours.
std::optional<Rect> frameOf(const QString& title) {
    static int probes = 0;
    static QTemporaryDir dir;
    const QString name = QStringLiteral("tugworth-probe-%1").arg(++probes);
    QFile file(dir.filePath(name + ".js"));
    const QString script = QStringLiteral(
        "var g = workspace.clientList().filter(function (w) { return w.caption === '%1'; })"
        ".map(function (w) { return w.frameGeometry; })[0];\n"
        "callDBus('%2', '/probe', 'org.tugworth.Probe', 'report', JSON.stringify(g && "
        "{x: g.x, y: g.y, width: g.width, height: g.height}));\n");
    ProbeReceiver receiver;
    QDBusConnection::sessionBus().registerVirtualObject("/probe", &receiver);
    std::string error;
    std::optional<Rect> frame;
    if (file.open(QIODevice::WriteOnly) &&
        file.write(script.arg(title, QDBusConnection::sessionBus().baseService()).toUtf8()) > 0 &&
        file.flush() && loadAndRunScript(file.fileName(), name, error) &&
        waitFor([&] { return receiver.report.has_value(); })) {
        const QJsonObject g = QJsonDocument::fromJson(receiver.report->toUtf8()).object();
        if (!g.isEmpty()) {
            frame = Rect{g["x"].toDouble(), g["y"].toDouble(), g["width"].toDouble(),
                         g["height"].toDouble()};
        }
    }
    unloadScript(name);
    QDBusConnection::sessionBus().unregisterObject("/probe");
    return frame;
}

// The pointer, moved through KWin's fake input as a device would.
class FakePointer {
public:
    FakePointer() : display_(wl_display_connect(nullptr)) {
        if (display_ == nullptr) return;
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t) {
                if (QLatin1String(interface) != org_kde_kwin_fake_input_interface.name) return;
                *static_cast<org_kde_kwin_fake_input**>(data) =
                    static_cast<org_kde_kwin_fake_input*>(
                        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
            },
            [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(wl_display_get_registry(display_), &listener, &fakeInput_);
        wl_display_roundtrip(display_);
        if (fakeInput_ != nullptr) {
            org_kde_kwin_fake_input_authenticate(fakeInput_, "Tugworth KDE test", "the pointer");
        }
    }
    ~FakePointer() {
        if (display_ != nullptr) wl_display_disconnect(display_);
    }
    bool connected() const { return fakeInput_ != nullptr; }
    void moveTo(Point p) {
        org_kde_kwin_fake_input_pointer_motion_absolute(fakeInput_, wl_fixed_from_double(p.x),
                                                        wl_fixed_from_double(p.y));
        wl_display_roundtrip(display_);
    }

private:
    wl_display* display_;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
};

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

std::unique_ptr<KWinDriver> connectDriver(std::unique_ptr<ModifierSource> chord) {
    std::string error;
    auto driver = KWinDriver::connect(TUGWORTH_KWIN_BRIDGE, std::move(chord), error);
    EXPECT_NE(driver, nullptr) << error;
    return driver;
}

std::optional<CompositorWindow> windowIn(CompositorDriver& driver, const QString& title) {
    for (const auto& w : driver.windowsFrontToBack().value_or(std::vector<CompositorWindow>{})) {
        if (w.title == title.toStdString()) return w;
    }
    return std::nullopt;
}

// Frames apply asynchronously: reads KWin's until it settles at `expected`.
void expectFrame(const QString& title, const Rect& expected) {
    std::optional<Rect> frame;
    waitFor([&] { return (frame = frameOf(title)) == expected; });
    EXPECT_EQ(frame, expected) << title.toStdString();
}

// The program's core over the KDE driver, as the tugworth program runs it.
class ProgramOnKWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pointer_.connected()) << "KWin refused fake input";
        auto chord = std::make_unique<SwitchableChord>();
        chord_ = chord.get();
        driver_ = connectDriver(std::move(chord));
        ASSERT_NE(driver_, nullptr);
        driver = driver_.get();
        storage_.persisted() = {{std::string(settings::kPreferencesInitialized), Value(true)},
                                {std::string(settings::kEnableDragging), Value(true)},
                                {std::string(settings::kEnableResizing), Value(true)}};
    }

    // Runs `steps` inside the program's event loop, then quits it.
    void runProgram(const std::function<void()>& steps) {
        CompositorDesktop desktop(std::move(driver_), [](std::string_view) { return false; });
        StdoutLogSink logSink;
        qt::QtToolkit toolkit(logSink);
        desktop.start([&] { QTimer::singleShot(0, [&] { desktop.dispatchPendingEvents(); }); },
                      [&](const std::string& reason) { ADD_FAILURE() << reason; });
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

    // Holds `chord` and moves the pointer in two steps from `from` by `by`.
    void gesture(Point from, std::uint64_t chord, Point by) {
        const Point to{from.x + by.x, from.y + by.y};
        pointer_.moveTo(from);
        waitFor([&] { return driver->pointer()->location == from; });
        chord_->hold(chord);
        pointer_.moveTo({from.x + by.x / 2, from.y + by.y / 2});
        pointer_.moveTo(to);
        waitFor([&] { return driver->pointer()->location == to; });
        chord_->hold(0);
    }

    // Once both the bridge and KWin show the window, drags it by `by`, then resizes it by
    // `grow` from near its bottom-right corner, and reads KWin's frame after each.
    void dragThenResize(const QString& title, Point by, Point grow) {
        std::optional<CompositorWindow> w;
        ASSERT_TRUE(waitFor(
            [&] { return (w = windowIn(*driver, title)) && w->frame == frameOf(title); }, 8000))
            << title.toStdString() << " never appeared";
        const Rect moved{w->frame.x + by.x, w->frame.y + by.y, w->frame.width, w->frame.height};
        gesture({w->frame.x + 60, w->frame.y + 60}, kDrag, by);
        expectFrame(title, moved);
        gesture({moved.x + moved.width - 30, moved.y + moved.height - 30}, kResize, grow);
        expectFrame(title, {moved.x, moved.y, moved.width + grow.x, moved.height + grow.y});
    }

    std::unique_ptr<KWinDriver> driver_;  // until the program takes it
    KWinDriver* driver = nullptr;
    SwitchableChord* chord_ = nullptr;
    sim::SimSettingsStorage storage_;
    FakePointer pointer_;
};

// Each window is dragged off the next one's place (KWin centres new windows).
TEST_F(ProgramOnKWin, DragsAndResizesQtAndGtkWindowsExactly) {
    runProgram([&] {
        auto qt = startClient(TUGWORTH_QT_WINDOW, {"Qt window", "300", "200"});
        dragThenResize("Qt window", {-400, -250}, {50, 20});
        auto gtk = startClient("zenity", {"--text-info", "--title", "GTK window"});
        dragThenResize("GTK window", {300, 200}, {-30, -40});
    });
}

// A frame asked for a window KWin has just dropped, which the driver has not yet heard of, must
// not stop the script from applying later frames.
TEST(KWinBridge, AppliesFramesAfterOneForAVanishedWindow) {
    auto driver = connectDriver(std::make_unique<SwitchableChord>());
    ASSERT_NE(driver, nullptr);
    auto doomed = startClient(TUGWORTH_QT_WINDOW, {"Doomed", "200", "100"});
    auto other = startClient(TUGWORTH_QT_WINDOW, {"Other", "200", "100"});
    std::optional<CompositorWindow> gone, stays;
    ASSERT_TRUE(waitFor(
        [&] {
            return (gone = windowIn(*driver, "Doomed")) && (stays = windowIn(*driver, "Other"));
        },
        8000));
    doomed.reset();
    // Without this process's event loop turning, KWin drops the window meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    driver->requestFrame(gone->id, {10, 10, 200, 100});
    ASSERT_TRUE(waitFor([&] { return !windowIn(*driver, "Doomed"); }));
    const Rect to{20, 20, stays->frame.width, stays->frame.height};
    EXPECT_EQ(driver->requestFrame(stays->id, to), FrameWriteResult::Requested);
    expectFrame("Other", to);
}

TEST(KWinBridge, SaysSoWhenTheScriptIsUnloaded) {
    auto driver = connectDriver(std::make_unique<SwitchableChord>());
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
    env.insert("XDG_CURRENT_DESKTOP", "KDE");
    program.setProcessEnvironment(env);
    // The drivers above took Tugworth's bus name in this process: give it up for the program.
    QDBusConnection::sessionBus().unregisterService(QString::fromLatin1(kAppId));
    program.start(qEnvironmentVariable("TUGWORTH_PROGRAM"));
    ASSERT_TRUE(program.waitForFinished(20000));
    const QStringList lines = QString::fromUtf8(program.readAllStandardOutput()).split('\n');
    const QStringList errors = lines.filter(QRegularExpression("^\\[ERROR\\] "));
    ASSERT_EQ(errors.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(errors.front().contains("offers org_kde_kwin_keystate version"))
        << errors.front().toStdString();
    EXPECT_TRUE(errors.front().contains("Plasma 6.3 or later")) << errors.front().toStdString();
    EXPECT_EQ(program.exitCode(), 1);
}

}  // namespace
}  // namespace tugworth::wayland::kde

int main(int argc, char** argv) {
    // The program's toolkit needs widgets; nothing of it is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
