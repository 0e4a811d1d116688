// A headless KWin for the KDE tests, on the private bus and runtime folder run_as_user.sh made:
// real Wayland clients (Qt 6 and GTK 3), pointer motion through KWin's fake-input protocol,
// and window frames read back by a second script of our own, independent of the bridge.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QProcess>
#include <QString>

#include "platform/Geometry.h"

struct wl_display;
struct org_kde_kwin_fake_input;

namespace tugworth::wayland::kde::test {

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 3000);

class FakePointer {
public:
    FakePointer();
    ~FakePointer();
    bool connected() const { return fakeInput_ != nullptr; }
    void moveTo(double x, double y);

private:
    wl_display* display_ = nullptr;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
};

struct StopClient {
    void operator()(QProcess* client) const;
};
using Client = std::unique_ptr<QProcess, StopClient>;

class KWinFixture {
public:
    // Starts KWin; false when it does not come up (the reason is on stderr).
    static bool start();
    static void stop();
    static QString workDir();
    static QString socketName();
    static QString bridgeScript() { return workDir() + "/tugworth-bridge.js"; }

    // A client window with `title`; the process ends with the returned object.
    static Client startQtClient(const QString& title);
    static Client startGtkClient(const QString& title);
    // Every window's frame by title, as KWin reports it to a probe script.
    static std::map<QString, Rect> framesByTitle();
    static std::optional<Rect> frameOf(const QString& title);
};

}  // namespace tugworth::wayland::kde::test
