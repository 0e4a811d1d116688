// A handle to a UI element of another process: one of its windows, or the whole application.
#pragma once

#include <cstdint>
#include <functional>

namespace tugworth {

using Pid = std::int32_t;

// A plain id, copied freely: it keeps nothing alive. Two handles are equal when they name the same
// element of the platform (same kind, same platform id). The platform decides what an id
// means (a window number, an X window id, a process id) and whether the element still lives.
class Element {
public:
    enum class Kind : std::uint8_t { Window, Application };

    static Element window(std::int64_t id) { return Element(Kind::Window, id); }
    static Element application(Pid pid) { return Element(Kind::Application, pid); }

    Kind kind() const { return kind_; }
    std::int64_t id() const { return id_; }
    bool isApplication() const { return kind_ == Kind::Application; }

    friend bool operator==(const Element&, const Element&) = default;

private:
    Element(Kind kind, std::int64_t id) : kind_(kind), id_(id) {}

    Kind kind_;
    std::int64_t id_;
};

}  // namespace tugworth

template <>
struct std::hash<tugworth::Element> {
    std::size_t operator()(const tugworth::Element& e) const noexcept {
        return std::hash<std::int64_t>{}(e.id()) * 2U + (e.isApplication() ? 1U : 0U);
    }
};
