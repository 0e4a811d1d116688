// Pointer motion on the simulated desktop: an idle event (no gesture) and an acted-on drag
// step (mover, frame read and write). Log lines go to a sink that drops them.
#include <benchmark/benchmark.h>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace tugworth {
namespace {

class DiscardingSink final : public LogSink {
public:
    void writeLine(std::string_view line) override { benchmark::DoNotOptimize(line.data()); }
};

struct Program {
    Program() {
        desktop.addProcess(501, "TextEdit");
        desktop.addWindow(501, 12, {100.0, 100.0, 800.0, 600.0}, "Notes");
        desktop.setPointer({300.0, 700.0});
        delegate.setupEventMonitoring();
    }

    DiscardingSink sink;
    sim::Desktop desktop{sink};
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};
};

void BM_IdleMotion(benchmark::State& state) {
    Program program;
    double x = 300.0;
    for (auto _ : state) {
        x = x > 1000.0 ? 300.0 : x + 5.0;
        program.desktop.movePointer({x, 700.0});
    }
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
