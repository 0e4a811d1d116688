// The core over the KDE driver in the real KWin: a held chord drags and resizes a Qt 6 window,
// read back from KWin. The chord comes from a double at the driver's seam (KWin 5.27 cannot
// report held modifiers); the pointer moves through KWin's fake input.
#include <gtest/gtest.h>

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

namespace tugworth::wayland::kde::test {
namespace {

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

std::optional<CompositorWindow> windowTitled(CompositorDriver& driver, const std::string& title) {
    for (const CompositorWindow& w :
         driver.windowsFrontToBack().value_or(std::vector<CompositorWindow>{})) {
        if (w.title == title) return w;
    }
    return std::nullopt;
}

TEST(KdeProgram, DragsAndResizesAWindowThroughTheCore) {
    auto client = KWinFixture::startQtClient("Core window");
    auto chordOwner = std::make_unique<SwitchableChord>();
    SwitchableChord& chord = *chordOwner;
    std::string error;
    auto driver = KWinDriver::connect(KWinFixture::bridgeScript(), std::move(chordOwner), error);
    ASSERT_NE(driver, nullptr) << error;
    std::optional<CompositorWindow> window;
    ASSERT_TRUE(
        waitFor([&] { return (window = windowTitled(*driver, "Core window")).has_value(); }, 8000));

    CompositorDesktop desktop(std::move(driver), [](std::string_view) { return false; });
    StdoutLogSink logSink;
    qt::QtToolkit toolkit(logSink);
    sim::SimSettingsStorage storage;
    storage.persisted() = {{std::string(settings::kPreferencesInitialized), Value(true)},
                           {std::string(settings::kEnableDragging), Value(true)},
                           {std::string(settings::kEnableResizing), Value(true)}};
    desktop.start([&] { QTimer::singleShot(0, [&] { desktop.dispatchPendingEvents(); }); }, {});
    Platform platform{desktop.accessibility(),
                      desktop.windowServer(),
                      desktop.desktop(),
                      desktop.monitors(),
                      toolkit,
                      storage,
                      logSink};

    FakePointer pointer;
    const Rect start = window->frame;
    std::optional<Rect> moved, resized;
    // Each step waits for KWin, inside the program's own event loop.
    auto gesture = [&](std::uint64_t chordFlags, double dx, double dy) {
        const Point from{start.x + 100, start.y + 80};
        pointer.moveTo(from.x, from.y);
        waitFor([&] { return desktop.driver().pointer()->location == from; });
        chord.hold(chordFlags);
        for (int i = 1; i <= 4; ++i) pointer.moveTo(from.x + dx * i / 4, from.y + dy * i / 4);
        waitFor([&] {
            return desktop.driver().pointer()->location == Point{from.x + dx, from.y + dy};
        });
        chord.hold(0);
    };
    QTimer::singleShot(0, [&] {
        gesture(kModifierCommand | kModifierControl, 40, 30);
        const Rect expectMoved{start.x + 40, start.y + 30, start.width, start.height};
        waitFor([&] { return (moved = KWinFixture::frameOf("Core window")) == expectMoved; });
        gesture(kModifierCommand | kModifierControl | kModifierShift, 50, 20);
        const Rect expectResized{start.x + 40, start.y + 30, start.width + 50, start.height + 20};
        waitFor([&] { return (resized = KWinFixture::frameOf("Core window")) == expectResized; });
        toolkit.terminate();
    });
    runApplication(platform);

    ASSERT_TRUE(moved && resized);
    EXPECT_EQ(moved->x, start.x + 40);
    EXPECT_EQ(moved->y, start.y + 30);
    EXPECT_EQ(moved->width, start.width);
    EXPECT_EQ(resized->x, start.x + 40);
    EXPECT_EQ(resized->width, start.width + 50);
    EXPECT_EQ(resized->height, start.height + 20);
}

}  // namespace
}  // namespace tugworth::wayland::kde::test
