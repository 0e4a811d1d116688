// The arithmetic of the latency harness, free of X: the pointer path, the matching of observed
// window positions to the motions that asked for them, and the summary figures.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

namespace tugworth::bench {

struct Offset {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Offset&, const Offset&) = default;
    friend auto operator<=>(const Offset&, const Offset&) = default;
};

// A back-and-forth raster: `rowLength` steps of `step` pixels to the right, one step down, the
// same to the left, one step down, and so on. Every position on it is visited once, so an
// observed window position names exactly one motion, and the path stays inside a small square
// however many motions it has. Every step is larger than the program's 2-point dead zone.
inline std::vector<Offset> rasterPath(std::size_t motions, std::int32_t rowLength,
                                      std::int32_t step) {
    std::vector<Offset> deltas;
    deltas.reserve(motions);
    std::int32_t along = 0;
    std::int32_t direction = 1;
    while (deltas.size() < motions) {
        if (along == rowLength) {
            deltas.push_back({0, step});
            along = 0;
            direction = -direction;
        } else {
            deltas.push_back({direction * step, 0});
            ++along;
        }
    }
    return deltas;
}

// Where the window should be after each motion, relative to where it was before the first.
inline std::vector<Offset> cumulative(const std::vector<Offset>& deltas) {
    std::vector<Offset> positions;
    positions.reserve(deltas.size());
    Offset at;
    for (const Offset& d : deltas) {
        at = {at.x + d.x, at.y + d.y};
        positions.push_back(at);
    }
    return positions;
}

struct Observation {
    double at = 0.0;  // seconds, on the same clock as the send times
    Offset position;  // relative to the start position
};

struct Matching {
    // Per motion: seconds from sending it to the first observation that put the window at its
    // place or at the place of a later motion; negative when the window never got there.
    std::vector<double> latencies;
    std::size_t missed = 0;  // motions the window never caught up with
    std::size_t stray = 0;   // observations at a place on no motion's path
};

// Observations must come in the order they were read. A position seen again (a configure
// that did not move the window) or one the window already passed adds nothing.
inline Matching matchObservations(const std::vector<Offset>& expected,
                                  const std::vector<double>& sentAt,
                                  const std::vector<Observation>& observations) {
    std::map<Offset, std::size_t> motionAt;
    for (std::size_t i = 0; i < expected.size(); ++i) motionAt.emplace(expected[i], i);
    Matching result;
    result.latencies.assign(expected.size(), -1.0);
    std::size_t next = 0;  // the first motion the window has not caught up with
    for (const Observation& o : observations) {
        const auto it = motionAt.find(o.position);
        if (it == motionAt.end()) {
            if (o.position != Offset{}) ++result.stray;
            continue;
        }
        for (; next <= it->second && next < sentAt.size(); ++next) {
            result.latencies[next] = o.at - sentAt[next];
        }
    }
    result.missed = expected.size() - next;
    return result;
}

// The q-quantile (0..1) by the nearest-rank rule; 0 for no values.
inline double quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(q * static_cast<double>(values.size()));
    const auto index = static_cast<std::size_t>(std::max(rank, 1.0)) - 1;
    return values[std::min(index, values.size() - 1)];
}

inline std::vector<double> caughtUp(const std::vector<double>& latencies) {
    std::vector<double> out;
    std::copy_if(latencies.begin(), latencies.end(), std::back_inserter(out),
                 [](double v) { return v >= 0.0; });
    return out;
}

// The 99th percentile of each of `parts` consecutive slices of the run, to show whether the
// delay grows as the run goes on (a backlog) or stays flat.
inline std::vector<double> p99BySlice(const std::vector<double>& latencies, std::size_t parts) {
    std::vector<double> result;
    if (parts == 0 || latencies.size() < parts) return result;
    const std::size_t size = latencies.size() / parts;
    for (std::size_t p = 0; p < parts; ++p) {
        const auto first = latencies.begin() + static_cast<std::ptrdiff_t>(p * size);
        const auto last =
            p + 1 == parts ? latencies.end() : first + static_cast<std::ptrdiff_t>(size);
        result.push_back(quantile(caughtUp(std::vector<double>(first, last)), 0.99));
    }
    return result;
}

}  // namespace tugworth::bench
