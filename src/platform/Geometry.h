// Points, sizes and rectangles in points, with the containment rules of the window server.
#pragma once

namespace tugworth {

struct Point {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0.0;
    double height = 0.0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2.0; }
    double midY() const { return y + height / 2.0; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The minimum edges belong to the rectangle, the maximum edges do not.
inline bool rectContainsPoint(const Rect& r, Point p) {
    return p.x >= r.minX() && p.x < r.maxX() && p.y >= r.minY() && p.y < r.maxY();
}

// Grows (negative d) or shrinks (positive d) the rectangle on every side.
inline Rect rectInset(const Rect& r, double d) {
    return {r.x + d, r.y + d, r.width - 2.0 * d, r.height - 2.0 * d};
}

}  // namespace tugworth
