// One motion event's worth of manipulation on the simulated desktop: a fresh mover or resizer
// on the target and one manipulate call, as the pointer-motion handler does it. Reported as the
// median time per step over repetitions. Log lines are formatted and then dropped (NullLogSink).
#include <benchmark/benchmark.h>

#include "manipulation/WindowMover.h"
#include "manipulation/WindowResizer.h"
#include "platform/sim/Desktop.h"

namespace tugworth {
namespace {

constexpr Pid kPid = 501;
constexpr std::int64_t kWindow = 12;
constexpr Rect kFrame{100.0, 100.0, 800.0, 600.0};

struct Target {
    Target() {
        desktop.addProcess(kPid, "TextEdit");
        desktop.addWindow(kPid, kWindow, kFrame, "Notes");
    }

    NullLogSink sink;
    sim::Desktop desktop{sink};
    Log log{sink};
};

// Each step goes back the way the previous one came, so the geometry stays near its start.
template <class Manipulator>
void step(benchmark::State& state) {
    Target target;
    double dx = 5.0;
    for (auto _ : state) {
        Manipulator manipulator(target.desktop.platform().accessibility, target.log,
                                Element::window(kWindow), kPid);
        if (!manipulator.manipulate(dx, -dx)) {
            state.SkipWithError("a step failed");
            break;
        }
        dx = -dx;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_MoveStep(benchmark::State& state) {
    step<WindowMover>(state);
}
void BM_ResizeStep(benchmark::State& state) {
    step<WindowResizer>(state);
}

BENCHMARK(BM_MoveStep)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_ResizeStep)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tugworth
