// x11_latency: replays one pointer path of relative XTEST motions at several rates, as a
// Tugworth drag (Super+Control held, the tugworth program running on the display), as a
// floor_mover drag (Super+Alt held) and as the window manager's own Alt+button drag of the same
// window, and reports for each the time from every motion to the ConfigureNotify that puts the
// window's frame at the matching place, the CPU time per 1000 motions of the processes
// involved, and the final position error: per figure the median of the rounds.
//
// Usage: x11_latency --tugworth-pid PID --floor-pid PID --wm-pid PID [--server-pid PID]
//                    [--class XClock] [--motions N] [--rates 125,1000,0] [--rounds 1]
//                    (rate 0: as fast as possible)
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "LatencyStats.h"
#include "ProcessCpu.h"
#include "XTestDesk.h"

namespace tugworth::bench {
namespace {

constexpr std::uint32_t kSuperL = 0xffeb;
constexpr std::uint32_t kControlL = 0xffe3;
constexpr std::uint32_t kAltL = 0xffe9;
constexpr FramePosition kHome{100, 100};
constexpr std::int32_t kRowLength = 120;
constexpr std::int32_t kStep = 3;
constexpr double kSettleSeconds = 1.0;  // no frame move for this long: the run is over
constexpr int kWarmUpMotions = 20;

struct Options {
    pid_t tugworth = 0;
    pid_t floor = 0;
    pid_t windowManager = 0;
    pid_t server = 0;
    std::string windowClass = "XClock";
    std::size_t motions = 10000;
    std::vector<int> rates{125, 1000, 0};
    int rounds = 1;
};

enum class Mode { Tugworth, Floor, WindowManager };

struct RunResult {
    Matching matching;
    double seconds = 0.0;           // from the first motion sent to the last
    double cpuMover = 0.0;          // ms per 1000 motions: tugworth, floor_mover or the WM
    double cpuWindowManager = 0.0;  // ms per 1000 motions
    double cpuServer = 0.0;
    double finalError = 0.0;  // pixels between where the frame ended and where it belongs
    bool pointerExact = true;
};

struct Chord {
    std::vector<std::uint8_t> keys;
    bool button = false;
};

class Harness {
public:
    Harness(XTestDesk& desk, const Options& options) : desk_(desk), options_(options) {}

    bool run(Mode mode, int rate, RunResult& result, std::string& error) {
        const Chord chord = chordFor(mode, error);
        if (!error.empty()) return false;
        desk_.placeFrame(kHome.x, kHome.y);
        if (!desk_.waitForFrame(kHome, 3.0)) {
            error = "the window manager did not move the window to its start";
            return false;
        }
        const auto size = desk_.frameSize();
        if (!size) return fail(error, "the window is gone");
        desk_.warpPointer(kHome.x + size->x / 2, kHome.y + size->y / 2);
        pause(0.1);
        press(chord, true);
        pause(0.2);  // the chord press makes the capture
        // A few motions first, until the window follows, so that the gesture is known to be
        // under way before timing starts (a window manager's drag may need one to begin).
        bool follows = false;
        for (int attempt = 0; attempt < 5 && !follows; ++attempt) {
            desk_.moveRelative(kStep, 0);
            follows = desk_.waitForFrameToLeave(kHome, 0.5).has_value();
        }
        if (!follows) {
            press(chord, false);
            return fail(error, mode == Mode::Tugworth ? "the window did not follow a Tugworth drag"
                               : mode == Mode::Floor
                                   ? "the window did not follow a floor_mover drag"
                                   : "the window did not follow the window manager's drag");
        }
        // Warm up every process on the way before anything is read, then let it settle.
        for (int i = 0; i < kWarmUpMotions; ++i) {
            desk_.moveRelative(i % 2 == 0 ? kStep : -kStep, 0);
            pause(0.001);
        }
        pause(0.2);
        const auto start = desk_.frame();
        const auto pointerStart = desk_.pointer();
        if (!start || !pointerStart) {
            press(chord, false);
            return fail(error, "the window or the pointer could not be read");
        }
        measure(mode, rate, *start, result);
        const auto pointerEnd = desk_.pointer();
        press(chord, false);
        const Offset last = expected_.back();
        result.pointerExact = pointerEnd && pointerEnd->x - pointerStart->x == last.x &&
                              pointerEnd->y - pointerStart->y == last.y;
        pause(0.3);
        return true;
    }

private:
    static bool fail(std::string& error, const char* why) {
        error = why;
        return false;
    }

    static void pause(double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }

    Chord chordFor(Mode mode, std::string& error) {
        Chord chord;
        const std::vector<std::uint32_t> keysyms =
            mode == Mode::Tugworth ? std::vector<std::uint32_t>{kSuperL, kControlL}
            : mode == Mode::Floor  ? std::vector<std::uint32_t>{kSuperL, kAltL}
                                   : std::vector<std::uint32_t>{kAltL};
        for (std::uint32_t keysym : keysyms) {
            auto code = desk_.keycodeOf(keysym);
            if (!code) {
                error = "the keyboard map lacks a modifier key the chord needs";
                return chord;
            }
            chord.keys.push_back(*code);
        }
        chord.button = mode == Mode::WindowManager;
        return chord;
    }

    void press(const Chord& chord, bool down) {
        if (down) {
            for (std::uint8_t key : chord.keys) desk_.key(key, true);
            if (chord.button) desk_.button(1, true);
        } else {
            if (chord.button) desk_.button(1, false);
            for (auto it = chord.keys.rbegin(); it != chord.keys.rend(); ++it)
                desk_.key(*it, false);
        }
    }

    pid_t moverOf(Mode mode) const {
        return mode == Mode::Tugworth ? options_.tugworth
               : mode == Mode::Floor  ? options_.floor
                                      : options_.windowManager;
    }

    void measure(Mode mode, int rate, FramePosition start, RunResult& result) {
        const std::vector<Offset> deltas = rasterPath(options_.motions, kRowLength, kStep);
        expected_ = cumulative(deltas);
        std::vector<std::pair<double, FramePosition>> moves;
        desk_.drain(moves);
        moves.clear();
        std::vector<double> sentAt(deltas.size());
        const pid_t pids[] = {moverOf(mode), options_.windowManager, options_.server};
        const double cpuBefore[] = {cpuMilliseconds(pids[0]), cpuMilliseconds(pids[1]),
                                    cpuMilliseconds(pids[2])};

        const double period = rate > 0 ? 1.0 / rate : 0.0;
        const double first = monotonicSeconds() + 0.01;
        for (std::size_t i = 0; i < deltas.size(); ++i) {
            const double due = first + period * static_cast<double>(i);
            while (monotonicSeconds() < due) {
                desk_.waitReadable(due);
                desk_.drain(moves);
            }
            // Stamped before the write: the server, the mover and the window manager may all
            // run before the writer's writev returns.
            sentAt[i] = monotonicSeconds();
            desk_.moveRelative(deltas[i].x, deltas[i].y);
            desk_.drain(moves);
        }
        result.seconds = monotonicSeconds() - first;
        const FramePosition goal{start.x + expected_.back().x, start.y + expected_.back().y};
        double lastMove = monotonicSeconds();
        for (bool arrived = false; !arrived && monotonicSeconds() - lastMove < kSettleSeconds;) {
            desk_.waitReadable(monotonicSeconds() + 0.05);
            const std::size_t before = moves.size();
            desk_.drain(moves);
            if (moves.size() != before) lastMove = monotonicSeconds();
            arrived = !moves.empty() && moves.back().second.x == goal.x &&
                      moves.back().second.y == goal.y;
        }
        const double perThousand = 1000.0 / static_cast<double>(deltas.size());
        double* cpu[] = {&result.cpuMover, &result.cpuWindowManager, &result.cpuServer};
        for (std::size_t k = 0; k < 3; ++k)
            *cpu[k] = (cpuMilliseconds(pids[k]) - cpuBefore[k]) * perThousand;

        std::vector<Observation> observations;
        observations.reserve(moves.size());
        for (const auto& [at, position] : moves) {
            observations.push_back({at, {position.x - start.x, position.y - start.y}});
        }
        result.matching = matchObservations(expected_, sentAt, observations);
        const auto end = desk_.frame();
        result.finalError = end ? std::hypot(end->x - goal.x, end->y - goal.y) : -1.0;
    }

    XTestDesk& desk_;
    const Options& options_;
    std::vector<Offset> expected_;
};

struct Row {
    std::string figure;
    double (*value)(const RunResult&);
    bool ratio;
};

double medianLatencyMs(const RunResult& r) {
    return 1000.0 * quantile(caughtUp(r.matching.latencies), 0.5);
}
double p99LatencyMs(const RunResult& r) {
    return 1000.0 * quantile(caughtUp(r.matching.latencies), 0.99);
}
double p99FirstTenthMs(const RunResult& r) {
    const auto p = p99BySlice(r.matching.latencies, 10);
    return p.empty() ? 0.0 : 1000.0 * p.front();
}
double p99LastTenthMs(const RunResult& r) {
    const auto p = p99BySlice(r.matching.latencies, 10);
    return p.empty() ? 0.0 : 1000.0 * p.back();
}

const std::vector<Row>& rows() {
    static const std::vector<Row> all{
        {"median latency (ms)", medianLatencyMs, true},
        {"99th percentile latency (ms)", p99LatencyMs, true},
        {"p99, first tenth of the run (ms)", p99FirstTenthMs, true},
        {"p99, last tenth of the run (ms)", p99LastTenthMs, true},
        {"CPU per 1000 motions, the mover (ms)", [](const RunResult& r) { return r.cpuMover; },
         true},
        {"CPU per 1000 motions, openbox (ms)",
         [](const RunResult& r) { return r.cpuWindowManager; }, false},
        {"CPU per 1000 motions, Xvfb (ms)", [](const RunResult& r) { return r.cpuServer; }, false},
        {"final position error (px)", [](const RunResult& r) { return r.finalError; }, false},
        {"motions never caught up", [](const RunResult& r) { return double(r.matching.missed); },
         false},
        {"sending took (s)", [](const RunResult& r) { return r.seconds; }, false},
    };
    return all;
}

// The median over the rounds of one figure.
double medianOf(const std::vector<RunResult>& rounds, double (*value)(const RunResult&)) {
    std::vector<double> values;
    values.reserve(rounds.size());
    for (const RunResult& r : rounds) values.push_back(value(r));
    return quantile(values, 0.5);
}

void printRatio(bool wanted, double over, double under) {
    if (wanted && under > 0.0) {
        std::printf(" %.2f |", over / under);
    } else {
        std::printf(" — |");
    }
}

// The movers in the order Tugworth, floor_mover, openbox; each with its rounds.
void printTable(int rate, const Options& options, const std::vector<RunResult> (&runs)[3]) {
    std::printf("\n### %s, %zu motions, median of %d round%s\n\n",
                rate > 0 ? (std::to_string(rate) + " Hz").c_str() : "As fast as possible",
                options.motions, options.rounds, options.rounds == 1 ? "" : "s");
    std::printf(
        "| figure | Tugworth | floor | openbox | Tugworth / floor | Tugworth / openbox |\n"
        "|---|---:|---:|---:|---:|---:|\n");
    for (const Row& row : rows()) {
        const double t = medianOf(runs[0], row.value);
        const double f = medianOf(runs[1], row.value);
        const double o = medianOf(runs[2], row.value);
        std::printf("| %s | %.3f | %.3f | %.3f |", row.figure.c_str(), t, f, o);
        printRatio(row.ratio, t, f);
        printRatio(row.ratio, t, o);
        std::printf("\n");
    }
    for (const auto& mover : runs) {
        for (const RunResult& r : mover) {
            if (r.pointerExact) continue;
            std::printf(
                "\nThe pointer did not travel the path exactly (acceleration?): positions are "
                "not comparable.\n");
            return;
        }
    }
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--tugworth-pid")
            options.tugworth = std::stoi(value);
        else if (key == "--floor-pid")
            options.floor = std::stoi(value);
        else if (key == "--rounds")
            options.rounds = std::stoi(value);
        else if (key == "--wm-pid")
            options.windowManager = std::stoi(value);
        else if (key == "--server-pid")
            options.server = std::stoi(value);
        else if (key == "--class")
            options.windowClass = value;
        else if (key == "--motions")
            options.motions = std::stoul(value);
        else if (key == "--rates") {
            options.rates.clear();
            std::istringstream list(value);
            for (std::string rate; std::getline(list, rate, ',');)
                options.rates.push_back(std::stoi(rate));
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.tugworth > 0 && options.floor > 0 &&
           options.windowManager > 0 && options.motions > 0 && options.rounds > 0 &&
           !options.rates.empty();
}

}  // namespace
}  // namespace tugworth::bench

int main(int argc, char** argv) {
    using namespace tugworth::bench;
    Options options;
    try {
        if (!parse(argc, argv, options)) {
            std::fprintf(stderr,
                         "usage: x11_latency --tugworth-pid PID --floor-pid PID --wm-pid PID "
                         "[--server-pid PID] [--class XClock] [--motions N] [--rates 125,1000,0] "
                         "[--rounds 1]\n");
            return 2;
        }
    } catch (const std::exception&) {
        std::fprintf(stderr, "x11_latency: a number was expected\n");
        return 2;
    }
    std::string error;
    auto desk = XTestDesk::open(options.windowClass, error);
    if (!desk) {
        std::fprintf(stderr, "x11_latency: %s\n", error.c_str());
        return 1;
    }
    desk->disablePointerAcceleration();
    Harness harness(*desk, options);
    constexpr Mode kModes[] = {Mode::Tugworth, Mode::Floor, Mode::WindowManager};
    for (int rate : options.rates) {
        std::vector<RunResult> runs[3];
        for (int round = 0; round < options.rounds; ++round) {
            for (std::size_t m = 0; m < 3; ++m) {
                if (!harness.run(kModes[m], rate, runs[m].emplace_back(), error)) {
                    std::fprintf(stderr, "x11_latency: %s\n", error.c_str());
                    return 1;
                }
            }
        }
        printTable(rate, options, runs);
        std::fflush(stdout);
    }
    return 0;
}
