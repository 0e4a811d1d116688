// The Accessibility service: reads and writes of other applications' windows.
#pragma once

#include <string_view>

#include "platform/AXError.h"
#include "platform/Element.h"
#include "platform/Value.h"

namespace tugworth {

// Attribute and action names are plain strings ("AXPosition", "AXMove", ...).
// Every call is synchronous and answers a result code; none throws. A value comes back only
// with kAXErrorSuccess, and even then it may be None ("no value") or of any kind: callers test.
class AccessibilityService {
public:
    virtual ~AccessibilityService() = default;

    // Whether this process may use the service.
    virtual bool isProcessTrusted() = 0;
    // The same answer; with `prompt` true the platform may show its own request for permission.
    virtual bool isProcessTrustedWithOptions(bool prompt) = 0;

    // Always an element; whether the process answers shows in later reads.
    virtual Element createApplication(Pid pid) = 0;
    // The process that owns the element; `pid` is left untouched on failure.
    virtual AXError getPid(const Element& element, Pid& pid) = 0;

    // `value` is reset to None first, and set only on success.
    virtual AXError copyAttributeValue(const Element& element, std::string_view attribute,
                                       Value& value) = 0;
    // 0 means accepted; nothing is read back.
    virtual AXError setAttributeValue(const Element& element, std::string_view attribute,
                                      const Value& value) = 0;
    virtual AXError performAction(const Element& element, std::string_view action) = 0;

protected:
    AccessibilityService() = default;
    AccessibilityService(const AccessibilityService&) = delete;
    AccessibilityService& operator=(const AccessibilityService&) = delete;
};

}  // namespace tugworth
