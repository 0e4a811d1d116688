// Pointer motion on the simulated desktop, through the pointer-motion handler: an idle event
// (no gesture) and an acted-on drag step (mover, frame read and write). Log lines are
// formatted and then dropped (NullLogSink).
#include <benchmark/benchmark.h>

#include "support/AllocationCounter.h"

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth {
namespace {

struct Program {
    Program() {
        desktop.addProcess(501, "TextEdit");
        desktop.addWindow(501, 12, {100.0, 100.0, 800.0, 600.0}, "Notes");
        desktop.setPointer({300.0, 700.0});
        delegate.setupEventMonitoring();
    }

    NullLogSink sink;
    sim::Desktop desktop{sink};
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};
};

// The idle path must not allocate: "allocs_per_event" is reported and must read 0.
void BM_IdleMotion(benchmark::State& state) {
    Program program;
    double x = 300.0;
    const std::size_t before = counting::allocationCount();
    for (auto _ : state) {
        x = x > 1000.0 ? 300.0 : x + 5.0;
        program.desktop.movePointer({x, 700.0});
    }
    const auto allocations = static_cast<double>(counting::allocationCount() - before);
    state.counters["allocs_per_event"] =
        benchmark::Counter(allocations / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IdleMotion);

void BM_DragStep(benchmark::State& state) {
    Program program;
    program.desktop.sendFlagsChanged(kModifierCommand | kModifierControl);
    double step = 5.0;  // back and forth, so the window stays under the pointer
    for (auto _ : state) {
        const Point p = program.desktop.pointer();
        program.desktop.movePointer({p.x + step, p.y});
        step = -step;
    }
    state.SetItemsProcessed(state.iterations());
    if (program.desktop.windowFrame(12)->width != 800.0) state.SkipWithError("window resized");
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tugworth
