// A headless KWin for the KDE tests, on the private bus and runtime folder run_as_user.sh made:
// real Wayland clients (Qt 6 and GTK 3), pointer motion through KWin's fake-input protocol,
// and window frames read back by a probe script of our own, independent of the bridge.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QProcess>

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

namespace kwin {

// Starts KWin; false when it does not come up (its log is on stderr then).
bool start();
void stop();
QString workDir();
QString socketName();
inline QString bridgeScript() {
    return workDir() + "/tugworth-bridge.js";
}
// A window titled `title`; the client ends with the returned object.
Client startQtClient(const QString& title);
Client startGtkClient(const QString& title);
// The window's frame as KWin tells a probe script.
std::optional<Rect> frameOf(const QString& title);

}  // namespace kwin

}  // namespace tugworth::wayland::kde::test
