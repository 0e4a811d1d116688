// The KDE driver and its bridge script in a real headless KWin 5.27, with real Qt 6 and GTK 3
// windows. KWin 5.27 offers no keystate version 5, so the held chord comes from a test double
// at the driver's seam; the gesture arithmetic here stands in for the core's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QRegularExpression>

#include "KWinFixture.h"
#include "platform/Events.h"
#include "platform/wayland/kde/KWinDriver.h"
#include "platform/wayland/kde/KWinScripting.h"

namespace tugworth::wayland::kde::test {
namespace {

constexpr std::uint64_t kChord = kModifierCommand | kModifierControl;

class HeldChord final : public ModifierSource {
public:
    std::uint64_t modifierFlags() const override { return kChord; }
    void watch(std::function<void(std::uint64_t)>) override {}
};

class KWinBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        driver_ =
            KWinDriver::connect(KWinFixture::bridgeScript(), std::make_unique<HeldChord>(), error);
        ASSERT_NE(driver_, nullptr) << error;
        driver_->watch({[this](const CompositorPointer& p) { onPointer(p); },
                        {},
                        [this](const std::string& reason) { lostReason_ = reason; }});
    }

    std::optional<CompositorWindow> windowTitled(const std::string& title) {
        for (const CompositorWindow& w :
             driver_->windowsFrontToBack().value_or(std::vector<CompositorWindow>{})) {
            if (w.title == title) return w;
        }
        return std::nullopt;
    }

    CompositorWindow waitForWindow(const std::string& title) {
        std::optional<CompositorWindow> window;
        EXPECT_TRUE(waitFor([&] { return (window = windowTitled(title)).has_value(); }, 8000))
            << title << " never appeared";
        return window.value_or(CompositorWindow{});
    }

    // Grabs `window` with the pointer at its centre; each later motion asks for the frame the
    // gesture implies (a move, or with `resize` the bottom-right corner following).
    void grab(const CompositorWindow& window, bool resize) {
        const Point centre{window.frame.x + window.frame.width / 2,
                           window.frame.y + window.frame.height / 2};
        pointer_.moveTo(centre.x, centre.y);
        ASSERT_TRUE(waitFor([&] { return last_ && last_->location == centre; }));
        gesture_ = Gesture{window.id, window.frame, centre, resize};
    }

    void moveInSteps(double dx, double dy, int steps) {
        const Point from = last_->location;
        for (int i = 1; i <= steps; ++i)
            pointer_.moveTo(from.x + dx * i / steps, from.y + dy * i / steps);
        const Point to{from.x + dx, from.y + dy};
        EXPECT_TRUE(waitFor([&] { return last_ && last_->location == to; }));
    }

    void onPointer(const CompositorPointer& p) {
        last_ = p;
        EXPECT_EQ(p.modifierFlags, kChord);
        if (!gesture_) return;
        const double dx = p.location.x - gesture_->pointer.x;
        const double dy = p.location.y - gesture_->pointer.y;
        Rect frame = gesture_->frame;
        if (gesture_->resize) {
            frame.width += dx;
            frame.height += dy;
        } else {
            frame.x += dx;
            frame.y += dy;
        }
        results_.push_back(driver_->requestFrame(gesture_->window, frame));
    }

    struct Gesture {
        CompositorWindowId window;
        Rect frame;
        Point pointer;
        bool resize;
    };
    std::unique_ptr<KWinDriver> driver_;
    FakePointer pointer_;
    std::optional<CompositorPointer> last_;
    std::optional<Gesture> gesture_;
    std::vector<FrameWriteResult> results_;
    std::optional<std::string> lostReason_;
};

// Reads KWin's own frame until it settles at `expected` (frames apply asynchronously).
void expectFrame(const QString& title, const Rect& expected) {
    std::optional<Rect> frame;
    waitFor([&] { return (frame = KWinFixture::frameOf(title)) == expected; });
    ASSERT_TRUE(frame.has_value()) << title.toStdString() << " is not in KWin's list";
    EXPECT_EQ(frame->x, expected.x);
    EXPECT_EQ(frame->y, expected.y);
    EXPECT_EQ(frame->width, expected.width);
    EXPECT_EQ(frame->height, expected.height);
}

TEST_F(KWinBridgeTest, DragsAndResizesQtAndGtkWindowsExactly) {
    ASSERT_TRUE(pointer_.connected()) << "KWin refused fake input";
    auto qt = KWinFixture::startQtClient("Qt window");
    auto gtk = KWinFixture::startGtkClient("GTK window");
    for (const char* title : {"Qt window", "GTK window"}) {
        const CompositorWindow window = waitForWindow(title);
        grab(window, false);
        moveInSteps(-60, 40, 4);
        expectFrame(title, {window.frame.x - 60, window.frame.y + 40, window.frame.width,
                            window.frame.height});

        const CompositorWindow moved = waitForWindow(title);
        grab(moved, true);
        moveInSteps(50, 30, 3);
        expectFrame(
            title, {moved.frame.x, moved.frame.y, moved.frame.width + 50, moved.frame.height + 30});
        gesture_.reset();
    }
    for (FrameWriteResult result : results_) EXPECT_EQ(result, FrameWriteResult::Requested);
    EXPECT_FALSE(lostReason_);
}

TEST_F(KWinBridgeTest, SaysSoWhenTheScriptIsUnloadedMidDrag) {
    auto qt = KWinFixture::startQtClient("Qt window");
    const CompositorWindow window = waitForWindow("Qt window");
    grab(window, false);
    moveInSteps(20, 0, 2);
    unloadScript(QString::fromLatin1(kBridgePluginName));
    ASSERT_TRUE(waitFor([&] { return lostReason_.has_value(); }));
    EXPECT_NE(lostReason_->find("was unloaded"), std::string::npos) << *lostReason_;
    EXPECT_EQ(driver_->requestFrame(window.id, window.frame), FrameWriteResult::BridgeGone);
    EXPECT_FALSE(driver_->windowsFrontToBack());
    EXPECT_FALSE(driver_->bridgeAnswers());
}

TEST_F(KWinBridgeTest, ForgetsAClientKilledMidDrag) {
    auto gtk = KWinFixture::startGtkClient("Doomed window");
    const CompositorWindow window = waitForWindow("Doomed window");
    grab(window, false);
    moveInSteps(30, 30, 2);
    gtk->kill();
    ASSERT_TRUE(waitFor([&] { return !windowTitled("Doomed window"); }));
    moveInSteps(10, 10, 1);
    EXPECT_EQ(results_.back(), FrameWriteResult::NoSuchWindow);
    EXPECT_TRUE(driver_->bridgeAnswers());
    EXPECT_FALSE(lostReason_);
}

// KWin 5.27 offers keystate below version 5 (to the program, as its desktop entry asks): the
// program must say which Plasma it needs, once.
TEST(KdeStartup, NamesThePlasmaItNeedsAndEndsWithStatusOne) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WAYLAND_DISPLAY", KWinFixture::socketName());
    env.insert("XDG_CURRENT_DESKTOP", "KDE");
    program.setProcessEnvironment(env);
    program.start(KWinFixture::workDir() + "/bin/tugworth");
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
    void SetUp() override { ASSERT_TRUE(KWinFixture::start()); }
    void TearDown() override { KWinFixture::stop(); }
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
