// The Accessibility service over X: client windows and processes as elements.
#pragma once

#include <chrono>
#include <unordered_map>
#include <vector>

#include "platform/AccessibilityService.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/XConnection.h"

namespace tugworth::x11 {

// A window manager applies a move some time after we ask for it. Until the server shows the
// result, reads answer the geometry last asked for, so that a second step made before the
// first has landed builds on it instead of undoing it.
class PendingFrames {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kPatience = std::chrono::milliseconds(300);

    // The frame to report for a window whose server frame is `serverFrame`.
    Rect effective(xcb_window_t window, const Rect& serverFrame, Clock::time_point now);
    // Records a request for `requested` made while the server showed `serverFrame`.
    void requested(xcb_window_t window, const Rect& serverFrame, const Rect& requested,
                   Clock::time_point now);

private:
    struct Entry {
        std::vector<Rect> passedThrough;  // server frames that mean "not landed yet"
        Rect requested;
        Clock::time_point at;
    };
    std::unordered_map<xcb_window_t, Entry> entries_;
};

class X11Accessibility final : public AccessibilityService {
public:
    X11Accessibility(XConnection& conn, X11Windows& windows) : conn_(conn), windows_(windows) {}

    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(bool prompt) override;
    Element createApplication(Pid pid) override;
    AXError getPid(const Element& element, Pid& pid) override;
    AXError copyAttributeValue(const Element& element, std::string_view attribute,
                               Value& value) override;
    AXError setAttributeValue(const Element& element, std::string_view attribute,
                              const Value& value) override;
    AXError performAction(const Element& element, std::string_view action) override;

private:
    std::optional<ClientWindow> liveWindow(const Element& element);
    AXError readWindow(const ClientWindow& window, std::string_view attribute, Value& value);
    AXError readApplication(Pid pid, std::string_view attribute, Value& value);
    std::vector<ClientWindow> clientsFrontToBack();
    std::string_view subrole(const ClientWindow& window) const;
    Rect currentFrame(const ClientWindow& window);
    AXError applyFrame(const ClientWindow& window, const Rect& to, bool move, bool resize);

    XConnection& conn_;
    X11Windows& windows_;
    PendingFrames pending_;
};

}  // namespace tugworth::x11
