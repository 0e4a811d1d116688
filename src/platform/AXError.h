// Result codes of the Accessibility service: 0 for success, -25200 ... -25214 for failures.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tugworth {

enum class AXError : std::int32_t {
    kAXErrorSuccess = 0,
    kAXErrorFailure = -25200,
    kAXErrorIllegalArgument = -25201,
    kAXErrorInvalidUIElement = -25202,
    kAXErrorInvalidUIElementObserver = -25203,
    kAXErrorCannotComplete = -25204,
    kAXErrorAttributeUnsupported = -25205,
    kAXErrorActionUnsupported = -25206,
    kAXErrorNotificationUnsupported = -25207,
    kAXErrorNotImplemented = -25208,
    kAXErrorNotificationAlreadyRegistered = -25209,
    kAXErrorNotificationNotRegistered = -25210,
    kAXErrorAPIDisabled = -25211,
    kAXErrorNoValue = -25212,
    kAXErrorParameterizedAttributeUnsupported = -25213,
    kAXErrorNotEnoughPrecision = -25214,
};

struct AXErrorName {
    AXError code;
    std::string_view name;
};

// Every code with its name, in the order the launch log lists them.
inline constexpr std::array<AXErrorName, 16> kAllAXErrors{{
    {AXError::kAXErrorSuccess, "kAXErrorSuccess"},
    {AXError::kAXErrorFailure, "kAXErrorFailure"},
    {AXError::kAXErrorIllegalArgument, "kAXErrorIllegalArgument"},
    {AXError::kAXErrorInvalidUIElement, "kAXErrorInvalidUIElement"},
    {AXError::kAXErrorInvalidUIElementObserver, "kAXErrorInvalidUIElementObserver"},
    {AXError::kAXErrorCannotComplete, "kAXErrorCannotComplete"},
    {AXError::kAXErrorAttributeUnsupported, "kAXErrorAttributeUnsupported"},
    {AXError::kAXErrorActionUnsupported, "kAXErrorActionUnsupported"},
    {AXError::kAXErrorNotificationUnsupported, "kAXErrorNotificationUnsupported"},
    {AXError::kAXErrorNotImplemented, "kAXErrorNotImplemented"},
    {AXError::kAXErrorNotificationAlreadyRegistered, "kAXErrorNotificationAlreadyRegistered"},
    {AXError::kAXErrorNotificationNotRegistered, "kAXErrorNotificationNotRegistered"},
    {AXError::kAXErrorAPIDisabled, "kAXErrorAPIDisabled"},
    {AXError::kAXErrorNoValue, "kAXErrorNoValue"},
    {AXError::kAXErrorParameterizedAttributeUnsupported,
     "kAXErrorParameterizedAttributeUnsupported"},
    {AXError::kAXErrorNotEnoughPrecision, "kAXErrorNotEnoughPrecision"},
}};

constexpr std::int32_t toInt(AXError code) {
    return static_cast<std::int32_t>(code);
}

}  // namespace tugworth
