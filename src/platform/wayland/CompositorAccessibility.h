// The Accessibility service over a compositor's bridge: its windows and their processes as
// elements.
#pragma once

#include <optional>

#include "platform/AccessibilityService.h"
#include "platform/wayland/CompositorReads.h"

namespace tugworth::wayland {

// An element's id is the compositor's window id; an application element is a process id.
class CompositorAccessibility final : public AccessibilityService {
public:
    explicit CompositorAccessibility(CompositorReads& reads) : reads_(reads) {}

    // The bridge answering is all the permission there is to have.
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
    // The window, or the code that says why there is none.
    AXError find(const Element& element, std::optional<CompositorWindow>& window);
    AXError readWindow(const CompositorWindow& window, std::string_view attribute, Value& value);
    AXError readApplication(Pid pid, std::string_view attribute, Value& value);

    CompositorReads& reads_;
};

// How the window's kind reads as an Accessibility subrole.
std::string_view subroleOf(CompositorWindowKind kind);

}  // namespace tugworth::wayland
