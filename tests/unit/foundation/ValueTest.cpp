// The dynamic value model: kinds, lookups, element identity and boxed geometry.
#include <gtest/gtest.h>

#include "platform/Value.h"

namespace tugworth {
namespace {

TEST(Value, EachConstructorGivesItsKindAndOnlyThatAccessorAnswers) {
    struct Case {
        Value value;
        Value::Kind kind;
    };
    const Case cases[] = {
        {Value(), Value::Kind::None},
        {Value(false), Value::Kind::Boolean},
        {Value(7), Value::Kind::Integer},
        {Value(7LL), Value::Kind::Integer},
        {Value(7.0), Value::Kind::Real},
        // A string literal must not decay to a Boolean.
        {Value("AXWindow"), Value::Kind::String},
        {Value(std::string_view("AXWindow")), Value::Kind::String},
        {Value(Element::window(3)), Value::Kind::Element},
        {Value(AXValue::create(Point{1, 2})), Value::Kind::Geometry},
        {Value(Value::Array{}), Value::Kind::Array},
        {Value(Value::Dictionary{}), Value::Kind::Dictionary},
    };
    for (const auto& [value, kind] : cases) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(value.kind(), kind);
        EXPECT_EQ(value.isNone(), kind == Value::Kind::None);
        EXPECT_EQ(value.asBool() != nullptr, kind == Value::Kind::Boolean);
        EXPECT_EQ(value.asInteger() != nullptr, kind == Value::Kind::Integer);
        EXPECT_EQ(value.asReal() != nullptr, kind == Value::Kind::Real);
        EXPECT_EQ(value.asString() != nullptr, kind == Value::Kind::String);
        EXPECT_EQ(value.asElement() != nullptr, kind == Value::Kind::Element);
        EXPECT_EQ(value.asAXValue() != nullptr, kind == Value::Kind::Geometry);
        EXPECT_EQ(value.asArray() != nullptr, kind == Value::Kind::Array);
        EXPECT_EQ(value.asDictionary() != nullptr, kind == Value::Kind::Dictionary);
    }
}

TEST(Value, OnlyIntegersAndRealsAreNumbers) {
    EXPECT_EQ(Value(-25202).asNumber(), -25202.0);
    EXPECT_EQ(Value(0.5).asNumber(), 0.5);
    EXPECT_FALSE(Value(true).asNumber());
    EXPECT_FALSE(Value("12").asNumber());
    EXPECT_FALSE(Value().asNumber());
}

TEST(Value, DictionaryLookupFindsPresentKeysOnly) {
    const Value bounds(Value::Dictionary{{"X", 10}, {"Width", 640.5}});
    ASSERT_NE(bounds.find("X"), nullptr);
    EXPECT_EQ(*bounds.find("X")->asInteger(), 10);
    EXPECT_EQ(*bounds.find(std::string_view("Width"))->asReal(), 640.5);
    EXPECT_EQ(bounds.find("Y"), nullptr);
    EXPECT_EQ(bounds.find("x"), nullptr);  // keys are case-sensitive
    // Asking a value of another kind for a key is no error, just nothing.
    EXPECT_EQ(Value(Value::Array{bounds}).find("X"), nullptr);
    EXPECT_EQ(Value("X").find("X"), nullptr);
}

TEST(Value, EqualityNeedsTheSameKindAndContent) {
    EXPECT_EQ(Value(1), Value(1));
    EXPECT_NE(Value(1), Value(1.0));
    EXPECT_NE(Value(1), Value(true));
    EXPECT_EQ(Value(Value::Array{1, "a"}), Value(Value::Array{1, "a"}));
    EXPECT_NE(Value(Value::Array{1, "a"}), Value(Value::Array{"a", 1}));
    EXPECT_NE(Value(Element::window(5)), Value(Element::application(5)));
}

TEST(Element, IdentityIsKindAndId) {
    EXPECT_EQ(Element::window(5), Element::window(5));
    EXPECT_NE(Element::window(5), Element::window(6));
    EXPECT_NE(Element::window(5), Element::application(5));
    EXPECT_NE(std::hash<Element>{}(Element::window(5)),
              std::hash<Element>{}(Element::application(5)));
    EXPECT_TRUE(Element::application(42).isApplication());
    EXPECT_EQ(Element::application(42).id(), 42);
}

TEST(AXValue, BoxesOpenOnlyAsTheirOwnKind) {
    const AXValue point = AXValue::create(Point{10.5, -3});
    const AXValue size = AXValue::create(Size{800, 600});
    const AXValue rect = AXValue::create(Rect{1, 2, 3, 4});
    EXPECT_EQ(static_cast<int>(point.type()), 1);
    EXPECT_EQ(static_cast<int>(size.type()), 2);
    EXPECT_EQ(static_cast<int>(rect.type()), 3);

    Point p{-1, -1};
    Size s{-1, -1};
    Rect r{-1, -1, -1, -1};
    EXPECT_TRUE(point.getValue(p));
    EXPECT_EQ(p, (Point{10.5, -3}));
    EXPECT_TRUE(size.getValue(s));
    EXPECT_EQ(s, (Size{800, 600}));
    EXPECT_TRUE(rect.getValue(r));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));

    // The wrong kind fails and leaves the destination untouched.
    Point untouchedPoint{7, 7};
    Size untouchedSize{7, 7};
    Rect untouchedRect{7, 7, 7, 7};
    EXPECT_FALSE(size.getValue(untouchedPoint));
    EXPECT_FALSE(rect.getValue(untouchedSize));
    EXPECT_FALSE(point.getValue(untouchedRect));
    EXPECT_EQ(untouchedPoint, (Point{7, 7}));
    EXPECT_EQ(untouchedSize, (Size{7, 7}));
    EXPECT_EQ(untouchedRect, (Rect{7, 7, 7, 7}));

    // A point and a size with the same numbers are different boxes.
    EXPECT_NE(AXValue::create(Point{0, 0}), AXValue::create(Size{0, 0}));
}

}  // namespace
}  // namespace tugworth
