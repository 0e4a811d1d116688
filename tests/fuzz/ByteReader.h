// Turns fuzz bytes into choices, numbers and texts. Reading past the end gives zeros, so every
// input decodes to something and short inputs decode to small things.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace tugworth::fuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool exhausted() const { return offset_ >= size_; }

    std::uint8_t byte() { return exhausted() ? std::uint8_t{0} : data_[offset_++]; }

    // A number in [0, count).
    std::size_t below(std::size_t count) { return count == 0 ? 0 : byte() % count; }

    // One of `choices`, picked by the next byte.
    template <class T, std::size_t N>
    const T& pick(const std::array<T, N>& choices) {
        return choices[below(N)];
    }

    // Raw bytes as a value of type T (integers and doubles alike); missing bytes are zero.
    template <class T>
    T raw() {
        std::array<std::uint8_t, sizeof(T)> bytes{};
        for (std::uint8_t& b : bytes) b = byte();
        T value{};
        std::memcpy(&value, bytes.data(), sizeof(T));
        return value;
    }

    // Mostly the edges the code under test compares against, sometimes any double at all.
    double real() {
        using Limits = std::numeric_limits<double>;
        static constexpr std::array<double, 16> kEdges{
            {0.0, -0.0, 9.5, 10.0, 10.5, 20.0, 100.0, 500.0, 1080.0, 1920.0, -300.0, 1e300, -1e300,
             Limits::infinity(), Limits::quiet_NaN(), Limits::denorm_min()}};
        if (byte() % 4 != 0) return pick(kEdges);
        return raw<double>();
    }

    std::int64_t integer() {
        using Limits = std::numeric_limits<std::int64_t>;
        static constexpr std::array<std::int64_t, 10> kEdges{
            {0, 1, -1, 420, 4242, 100, 101,
             std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1, Limits::min(),
             Limits::max()}};
        if (byte() % 4 != 0) return pick(kEdges);
        return raw<std::int64_t>();
    }

    // Up to 24 arbitrary bytes: control characters and broken UTF-8 included.
    std::string text() {
        const std::size_t length = below(25);
        std::string out;
        for (std::size_t i = 0; i < length && !exhausted(); ++i)
            out.push_back(static_cast<char>(byte()));
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

}  // namespace tugworth::fuzz
