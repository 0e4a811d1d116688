// Reading Accessibility attributes the way targeting needs them: a failed read, a missing
// value and a value of an unexpected kind all fall back to a stated default.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AccessibilityService.h"
#include "platform/Geometry.h"

namespace tugworth {

inline constexpr std::string_view kUntitled = "Untitled";

// One attribute read: the service's result code and, only on success, the value (which may
// still be None or of any kind).
struct AttributeRead {
    AXError code = AXError::kAXErrorSuccess;
    Value value;

    bool succeeded() const { return code == AXError::kAXErrorSuccess; }
    bool hasValue() const { return succeeded() && !value.isNone(); }
};

AttributeRead readAttribute(AccessibilityService& ax, const Element& element,
                            std::string_view attribute);

// The string read, or `fallback` when the read failed or gave another kind.
std::string readString(AccessibilityService& ax, const Element& element, std::string_view attribute,
                       std::string_view fallback);
// "AXTitle", or "Untitled".
std::string readTitle(AccessibilityService& ax, const Element& element);
// True only for a successful read of the Boolean true.
bool readIsTrue(AccessibilityService& ax, const Element& element, std::string_view attribute);

// The element held by a successful read, if it holds one.
std::optional<Element> elementValue(const AttributeRead& read);
// The elements of a successful read of a non-empty array made only of elements.
std::optional<std::vector<Element>> elementArrayValue(const AttributeRead& read);

// The geometry in a boxed value; zero when the value is no box or a box of another kind.
Point boxedPointOrZero(const Value& value);
Size boxedSizeOrZero(const Value& value);
// As above, and zero as well when the read failed.
Point readPointOrZero(const AttributeRead& read);
Size readSizeOrZero(const AttributeRead& read);

// The process owning the element, 0 when the service cannot say.
Pid pidOrZero(AccessibilityService& ax, const Element& element);

}  // namespace tugworth
