// The simulated desktop: screens, pointer, modifier keys, processes and their windows, the
// trust switch, the user-interface toolkit and the settings storage, all in memory, and every
// platform interface of the core answered from them. Deterministic; one thread.
//
// Usage in a unit test:
//
//     sim::Desktop desktop;                                  // one 1920x1080 screen, trusted
//     desktop.addProcess(501, "TextEdit");
//     desktop.addWindow(501, 12, {100, 100, 800, 600}, "Untitled");
//     desktop.window(12)->attributes["AXPosition"].write = AXError::kAXErrorCannotComplete;
//     desktop.setPointer({300, 700});                        // Cocoa space, y up
//
//     UserDefaults defaults(desktop.storage());
//     AppDelegate delegate(defaults, desktop.platform());
//     delegate.setupEventMonitoring();
//     desktop.sendFlagsChanged(kModifierCommand | kModifierControl);
//     desktop.movePointer({310, 690});                       // delivers a mouse-moved event
//     EXPECT_EQ(desktop.windowFrame(12), (Rect{110, 110, 800, 600}));
//     EXPECT_EQ(desktop.logCapture().lines().back(), "...");
//
//     desktop.resetPlatformCallCount();
//     desktop.movePointer({311, 690});
//     EXPECT_EQ(desktop.platformCallCount(), 0U);            // every interface call counts
//
// Elements: a window is Element::window(id), an application Element::application(pid). After
// closeWindow(id) or quit(pid) every call on those elements answers kAXErrorInvalidUIElement.
// The model references handed out (window(), process()) are invalidated by closeWindow/quit.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Events.h"
#include "platform/Platform.h"
#include "platform/sim/LogCapture.h"
#include "platform/sim/Model.h"
#include "platform/sim/SimSettingsStorage.h"
#include "platform/sim/SimToolkit.h"

namespace tugworth::sim {

class SimAccessibility;
class SimWindowServer;
class SimDesktopServices;
class SimEventMonitors;

class Desktop {
public:
    // Log lines go to logCapture().
    Desktop();
    // Log lines go to `sink`, which must outlive the desktop.
    explicit Desktop(LogSink& sink);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Every interface of the core, bound to this desktop.
    Platform& platform() { return platform_; }
    SimToolkit& toolkit() { return *toolkit_; }
    const SimToolkit& toolkit() const { return *toolkit_; }
    SimSettingsStorage& storage() { return storage_; }
    LogCapture& logCapture() { return logCapture_; }

    // --- one counter over every platform call the desktop answers ---
    std::uint64_t platformCallCount() const { return counter_.calls; }
    void resetPlatformCallCount() { counter_.calls = 0; }

    // --- the machine ---
    // Cocoa frames, main screen first; empty: no display.
    void setScreens(std::vector<Screen> screens) { screens_ = std::move(screens); }
    const std::vector<Screen>& screens() const { return screens_; }
    void setPointer(Point cocoaLocation) { pointer_ = cocoaLocation; }
    Point pointer() const { return pointer_; }
    void setTrusted(bool trusted) { trusted_ = trusted; }
    bool trusted() const { return trusted_; }
    // A change that lands while the program handles one event: it takes effect once the
    // program has read the trust switch (or the pointer) `reads` more times.
    void setTrustedAfterReads(bool trusted, int reads) {
        laterTrusted_ = trusted;
        trustReadsLeft_ = reads;
    }
    void setPointerAfterReads(Point cocoaLocation, int reads) {
        laterPointer_ = cocoaLocation;
        pointerReadsLeft_ = reads;
    }
    // The prompt option of every isProcessTrustedWithOptions call, in order.
    const std::vector<bool>& trustPromptOptions() const { return trustPromptOptions_; }
    void setEnvironment(std::map<std::string, std::string, std::less<>> environment) {
        environment_ = std::move(environment);
    }
    void setOwnPid(Pid pid) { ownPid_ = pid; }
    Pid ownPid() const { return ownPid_; }
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    // The clock stands still unless advanced.
    void setNow(std::chrono::system_clock::time_point now) { now_ = now; }
    void advanceClock(std::chrono::system_clock::duration by) { now_ += by; }

    // --- processes and windows ---
    // Throws std::invalid_argument for a pid already present.
    ProcessModel& addProcess(Pid pid, std::optional<std::string> name);
    // Appends to the process's windows and to the stacking order (behind the others).
    // Throws std::invalid_argument for an unknown pid or a window id already used.
    WindowModel& addWindow(Pid pid, std::int64_t id, Rect frame, std::string title = {});
    ProcessModel* process(Pid pid);
    const ProcessModel* process(Pid pid) const;
    WindowModel* window(std::int64_t id);
    const WindowModel* window(std::int64_t id) const;
    std::optional<Rect> windowFrame(std::int64_t id) const;
    // Live window ids in declaration order.
    std::vector<std::int64_t> windowIds() const;
    // Front-most first; windows not listed follow in declaration order.
    void setStacking(const std::vector<std::int64_t>& frontToBack);
    const std::vector<std::int64_t>& stacking() const { return stacking_; }
    // Replaces the derived window list with this value, as given (None: the server gives no
    // list); useDerivedWindowList() goes back to deriving it from the windows.
    void setWindowList(Value replacement) { windowListReplacement_ = std::move(replacement); }
    void useDerivedWindowList() { windowListReplacement_.reset(); }
    // The window goes away; its element dies.
    void closeWindow(std::int64_t id);
    // The process exits: its windows go away, its elements die, it has no running application.
    void quit(Pid pid);

    // --- input ---
    // A flags-changed event carrying exactly these modifiers, to the global monitors (or to
    // the local ones).
    void sendFlagsChanged(std::uint64_t modifierFlags, bool local = false);
    // The pointer moves there and a mouse-moved event is delivered.
    void movePointer(Point cocoaLocation, bool local = false);
    std::uint64_t modifierFlags() const { return modifierFlags_; }
    std::size_t globalMonitorCount() const;
    std::size_t localMonitorCount() const;
    // Forgets what belonged to the program's process (monitors, toolkit state) for a relaunch.
    void startFreshProcess();

private:
    friend class SimAccessibility;
    friend class SimWindowServer;
    friend class SimDesktopServices;
    friend class SimEventMonitors;

    bool isAlive(const Element& element) const;
    // What the program reads now; each read counts towards a pending change.
    bool readTrusted();
    Point readPointer();

    CallCounter counter_;
    LogCapture logCapture_;
    std::vector<Screen> screens_{{{0, 0, 1920, 1080}, {0, 0, 1920, 1055}}};
    Point pointer_{0, 0};
    bool trusted_ = true;
    int trustReadsLeft_ = 0;  // 0: no change pending
    bool laterTrusted_ = true;
    int pointerReadsLeft_ = 0;
    Point laterPointer_{0, 0};
    std::vector<bool> trustPromptOptions_;
    std::map<std::string, std::string, std::less<>> environment_;
    Pid ownPid_ = 4242;
    std::vector<std::string> openedURLs_;
    std::chrono::system_clock::time_point now_{std::chrono::seconds{1'700'000'000}};
    std::uint64_t modifierFlags_ = 0;

    std::map<Pid, ProcessModel> processes_;
    std::map<std::int64_t, WindowModel> windows_;
    std::vector<std::int64_t> declarationOrder_;
    std::vector<std::int64_t> stacking_;
    std::optional<Value> windowListReplacement_;

    std::unique_ptr<SimAccessibility> accessibility_;
    std::unique_ptr<SimWindowServer> windowServer_;
    std::unique_ptr<SimDesktopServices> desktopServices_;
    std::unique_ptr<SimEventMonitors> monitors_;
    std::unique_ptr<SimToolkit> toolkit_;
    SimSettingsStorage storage_;
    Platform platform_;
};

}  // namespace tugworth::sim
