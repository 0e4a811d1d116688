// One capture on a simulated desktop of N windows spread over M applications, as a chord
// press makes it: permission check, diagnostics, the search, the positioning check. Two
// layouts: the pointer over the front-most window, and the pointer over no window, which
// sends the search through the fall-back pass over every application. Log lines go to a sink
// that drops them, so the figures include formatting every line but not writing it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth {
namespace {

constexpr double kScreenHeight = 1080.0;
constexpr Point kOverFrontWindow{220.0, kScreenHeight - 170.0};  // inside window 0
constexpr Point kOverNoWindow{1800.0, kScreenHeight - 1000.0};   // right of every window

struct Scene {
    Scene(std::int64_t windows, std::int64_t applications, Point pointer) {
        for (std::int64_t a = 0; a < applications; ++a) {
            desktop.addProcess(static_cast<Pid>(1000 + a), "App " + std::to_string(a));
        }
        // A cascade: windows overlap one another, none reaches the far right of the screen.
        for (std::int64_t w = 0; w < windows; ++w) {
            const Rect frame{20.0 + static_cast<double>(w % 50) * 20.0,
                             20.0 + static_cast<double>(w % 30) * 15.0, 400.0, 300.0};
            desktop.addWindow(static_cast<Pid>(1000 + w % applications), w + 1, frame,
                              "Window " + std::to_string(w));
        }
        desktop.setPointer(pointer);
    }

    NullLogSink sink;
    sim::Desktop desktop{sink};
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};
};

void capture(benchmark::State& state, Point pointer, bool expectTarget) {
    Scene scene(state.range(0), state.range(1), pointer);
    for (auto _ : state) {
        scene.delegate.targetWindow.reset();
        scene.delegate.captureWindow();
    }
    if (scene.delegate.targetWindow.has_value() != expectTarget) {
        state.SkipWithError("the capture did not end as the layout intends");
    }
    state.counters["windows"] = static_cast<double>(state.range(0));
    state.counters["apps"] = static_cast<double>(state.range(1));
}

void BM_CaptureOverFrontWindow(benchmark::State& state) {
    capture(state, kOverFrontWindow, true);
}
void BM_CaptureOverNoWindow(benchmark::State& state) {
    capture(state, kOverNoWindow, false);
}

void sizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t windows : {10, 100, 1000}) {
        for (std::int64_t apps : {1, 10, 100}) {
            if (apps <= windows) b->Args({windows, apps});
        }
    }
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_CaptureOverFrontWindow)->Apply(sizes);
BENCHMARK(BM_CaptureOverNoWindow)->Apply(sizes);

}  // namespace
}  // namespace tugworth
