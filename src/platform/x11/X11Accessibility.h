// The Accessibility service over X: client windows and processes as elements.
#pragma once

#include <vector>

#include "platform/AccessibilityService.h"
#include "platform/x11/PendingFrames.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/XConnection.h"

namespace tugworth::x11 {

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

    // The modifiers changed: a gesture ends or begins, and frames read from here on are the
    // server's (the requested frames of the last one no longer stand in for them).
    void gestureBoundary() { pending_.forgetAnswers(); }

private:
    std::optional<ClientWindow> liveWindow(const Element& element);
    AXError readWindow(const ClientWindow& window, std::string_view attribute, Value& value);
    AXError readApplication(Pid pid, std::string_view attribute, Value& value);
    std::string_view subrole(const ClientWindow& window) const;
    Rect currentFrame(const ClientWindow& window);
    AXError applyFrame(const ClientWindow& window, const Rect& from, const Rect& to, bool move,
                       bool resize);
    bool refusesFrameChanges(const ClientWindow& window);
    SizeRules sizeRules(const ClientWindow& window);

    XConnection& conn_;
    X11Windows& windows_;
    PendingFrames pending_;
};

}  // namespace tugworth::x11
