#include "platform/AttributeReads.h"
#include "platform/AXNames.h"

namespace tugworth {

AttributeRead readAttribute(AccessibilityService& ax, const Element& element,
                            std::string_view attribute) {
    AttributeRead read;
    read.code = ax.copyAttributeValue(element, attribute, read.value);
    if (!read.succeeded()) read.value = Value();  // a value counts only with success
    return read;
}

std::string readString(AccessibilityService& ax, const Element& element, std::string_view attribute,
                       std::string_view fallback) {
    const AttributeRead read = readAttribute(ax, element, attribute);
    if (const auto* text = read.value.asString()) return *text;
    return std::string(fallback);
}

std::string readTitle(AccessibilityService& ax, const Element& element) {
    return readString(ax, element, ax::kTitle, kUntitled);
}

bool readIsTrue(AccessibilityService& ax, const Element& element, std::string_view attribute) {
    const AttributeRead read = readAttribute(ax, element, attribute);
    const bool* flag = read.value.asBool();
    return flag != nullptr && *flag;
}

std::optional<Element> elementValue(const AttributeRead& read) {
    if (const auto* element = read.value.asElement()) return *element;
    return std::nullopt;
}

std::optional<std::vector<Element>> elementArrayValue(const AttributeRead& read) {
    const auto* array = read.value.asArray();
    if (array == nullptr || array->empty()) return std::nullopt;
    std::vector<Element> elements;
    elements.reserve(array->size());
    for (const Value& entry : *array) {
        const auto* element = entry.asElement();
        if (element == nullptr) return std::nullopt;  // a list we cannot trust as a whole
        elements.push_back(*element);
    }
    return elements;
}

Point boxedPointOrZero(const Value& value) {
    Point point;
    if (const auto* box = value.asAXValue()) (void)box->getValue(point);
    return point;
}

Size boxedSizeOrZero(const Value& value) {
    Size size;
    if (const auto* box = value.asAXValue()) (void)box->getValue(size);
    return size;
}

Point readPointOrZero(const AttributeRead& read) {
    return boxedPointOrZero(read.value);
}
Size readSizeOrZero(const AttributeRead& read) {
    return boxedSizeOrZero(read.value);
}

Pid pidOrZero(AccessibilityService& ax, const Element& element) {
    Pid pid = 0;
    if (ax.getPid(element, pid) != AXError::kAXErrorSuccess) return 0;
    return pid;
}

}  // namespace tugworth
