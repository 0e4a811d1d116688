#include "ScenarioPlayer.h"

#include "FinalState.h"
#include "app/EntryPoint.h"
#include "platform/MenuActions.h"

namespace tugworth::scenario {

namespace {
constexpr std::string_view kPreferencesWindow = "PreferencesWindow";
}

ScenarioPlayer::ScenarioPlayer(const Scenario& scenario, LogSink& log)
    : scenario_(scenario), desktop_(log) {}

void ScenarioPlayer::buildDesktop() {
    const Scenario& s = scenario_;
    desktop_.setEnvironment(s.environment);
    desktop_.setOwnPid(s.ownPid);
    desktop_.setTrusted(s.trusted);
    desktop_.setScreens(s.screens);
    desktop_.setPointer(s.pointer);
    desktop_.storage().persisted() = s.settings;
    desktop_.toolkit().setImages({s.images.begin(), s.images.end()});
    desktop_.toolkit().setStatusItemHasButton(s.statusItemHasButton);
    for (const ProcessDeclaration& process : s.processes) {
        desktop_.addProcess(process.pid, process.name).app = process.app;
        for (const sim::WindowModel& window : process.windows) {
            sim::WindowModel& added =
                desktop_.addWindow(process.pid, window.id, window.frame, window.title);
            added = window;
        }
    }
    if (!s.stacking.empty()) desktop_.setStacking(s.stacking);
    if (s.windowList) desktop_.setWindowList(*s.windowList);
    for (const AlertAnswer& answer : s.alerts) prepareAnswer(answer);
}

bool ScenarioPlayer::play() {
    buildDesktop();
    sim::SimToolkit& toolkit = desktop_.toolkit();
    std::size_t from = 0;
    toolkit.setBeforeExit(
        [this] { finalState_ = captureFinalState(desktop_, scenario_.finalStateDetail); });
    for (;;) {
        relaunchFrom_.reset();
        toolkit.setMainLoop([this, from] { playTopLevel(from); });
        runApplication(desktop_.platform());
        if (!fault_.empty() || !relaunchFrom_) break;
        from = *relaunchFrom_;
        desktop_.startFreshProcess();
    }
    return fault_.empty();
}

bool ScenarioPlayer::stopped() const {
    return !fault_.empty() || relaunchFrom_.has_value() || desktop_.toolkit().isTerminated();
}

void ScenarioPlayer::playTopLevel(std::size_t from) {
    const std::vector<Step>& steps = scenario_.steps;
    for (std::size_t i = from; i < steps.size(); ++i) {
        if (stopped()) {
            if (!fault_.empty() || relaunchFrom_) return;
            // The program quit on its own: only a relaunch can bring it back.
            if (steps[i].isRelaunch()) {
                relaunchFrom_ = i + 1;
            } else {
                notes_.push_back(steps[i].path + ": not played, the program had quit");
            }
            return;
        }
        if (steps[i].isRelaunch()) {
            relaunchFrom_ = i + 1;
            desktop_.toolkit().quit();
            return;
        }
        playStep(steps[i]);
        desktop_.toolkit().runDeferredWork();
    }
}

void ScenarioPlayer::playSteps(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        if (stopped()) return;
        playStep(step);
        desktop_.toolkit().runDeferredWork();
    }
}

void ScenarioPlayer::prepareAnswer(const AlertAnswer& answer) {
    desktop_.toolkit().prepareAlertAnswer(answer.answer,
                                          [this, &answer] { playSteps(answer.steps); });
}

void ScenarioPlayer::playStep(const Step& step) {
    std::visit([this, &step](const auto& action) { play(action, step.path); }, step.action);
}

void ScenarioPlayer::play(const FlagsStep& step, const std::string& /*path*/) {
    desktop_.sendFlagsChanged(step.flags, step.local);
}
void ScenarioPlayer::play(const MoveStep& step, const std::string& /*path*/) {
    desktop_.movePointer(step.point, step.local);
}
void ScenarioPlayer::play(const DragStep& step, const std::string& /*path*/) {
    desktop_.setPointer(step.point);
}
void ScenarioPlayer::play(const PointerStep& step, const std::string& /*path*/) {
    if (step.afterReads > 0)
        desktop_.setPointerAfterReads(step.point, step.afterReads);
    else
        desktop_.setPointer(step.point);
}
void ScenarioPlayer::play(const TrustStep& step, const std::string& /*path*/) {
    if (step.afterReads > 0)
        desktop_.setTrustedAfterReads(step.trusted, step.afterReads);
    else
        desktop_.setTrusted(step.trusted);
}
void ScenarioPlayer::play(const CloseWindowStep& step, const std::string& /*path*/) {
    desktop_.closeWindow(step.windowId);
}
void ScenarioPlayer::play(const QuitStep& step, const std::string& /*path*/) {
    desktop_.quit(step.pid);
}
void ScenarioPlayer::play(const SetWindowStep& step, const std::string& path) {
    if (sim::WindowModel* window = desktop_.window(step.windowId)) {
        step.patch(*window);
    } else {
        notes_.push_back(path + ": window " + std::to_string(step.windowId) +
                         " has closed; nothing changed");
    }
}
void ScenarioPlayer::play(const SetAppStep& step, const std::string& path) {
    if (sim::ProcessModel* process = desktop_.process(step.pid)) {
        process->app = step.attributes;
    } else {
        notes_.push_back(path + ": process " + std::to_string(step.pid) +
                         " has quit; nothing changed");
    }
}
void ScenarioPlayer::play(const MenuStep& step, const std::string& /*path*/) {
    desktop_.toolkit().performMenuAction(step.action);
}
void ScenarioPlayer::play(const AlertStep& step, const std::string& /*path*/) {
    prepareAnswer(*step.answer);
}
void ScenarioPlayer::play(const RelaunchStep& /*step*/, const std::string& /*path*/) {
    // Handled by the top level.
}

void ScenarioPlayer::play(const PrefsStep& step, const std::string& path) {
    sim::SimToolkit& toolkit = desktop_.toolkit();
    bool shown = true;
    switch (step.action) {
        case PrefsAction::Set:
            for (const auto& [key, value] : step.values) {
                shown = toolkit.changeControl(kPreferencesWindow, key, value);
                if (!shown) break;
            }
            break;
        case PrefsAction::Save:
            shown = toolkit.pressControl(kPreferencesWindow, actions::kSavePreferences);
            break;
        case PrefsAction::Cancel:
            shown = toolkit.pressControl(kPreferencesWindow, actions::kCancelPreferences);
            break;
        case PrefsAction::Close:
            shown = toolkit.pressCloseButton(kPreferencesWindow);
            break;
    }
    if (!shown) {
        fault_ = path + ".prefs: the preferences window is not shown";
        toolkit.quit();
    }
}

}  // namespace tugworth::scenario
