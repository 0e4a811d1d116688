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
    toolkit.setBeforeExit([this] { finalState_ = captureFinalState(desktop_); });
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
            if (steps[i].kind == Step::Kind::Relaunch) {
                relaunchFrom_ = i + 1;
            } else {
                notes_.push_back(steps[i].path + ": not played, the program had quit");
            }
            return;
        }
        if (steps[i].kind == Step::Kind::Relaunch) {
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
    switch (step.kind) {
        case Step::Kind::Flags:
            desktop_.sendFlagsChanged(step.flags, step.local);
            break;
        case Step::Kind::Move:
            desktop_.movePointer(step.point, step.local);
            break;
        case Step::Kind::Drag:
        case Step::Kind::Pointer:
            desktop_.setPointer(step.point);
            break;
        case Step::Kind::Trust:
            desktop_.setTrusted(step.trusted);
            break;
        case Step::Kind::CloseWindow:
            desktop_.closeWindow(step.windowId);
            break;
        case Step::Kind::Quit:
            desktop_.quit(step.pid);
            break;
        case Step::Kind::SetWindow:
            if (sim::WindowModel* window = desktop_.window(step.windowId)) {
                step.patch(*window);
            } else {
                notes_.push_back(step.path + ": window " + std::to_string(step.windowId) +
                                 " has closed; nothing changed");
            }
            break;
        case Step::Kind::Menu:
            desktop_.toolkit().performMenuAction(step.action);
            break;
        case Step::Kind::Prefs:
            playPrefs(step);
            break;
        case Step::Kind::Alert:
            prepareAnswer(*step.alert);
            break;
        case Step::Kind::Relaunch:
            break;  // handled by the top level
    }
}

void ScenarioPlayer::playPrefs(const Step& step) {
    sim::SimToolkit& toolkit = desktop_.toolkit();
    bool shown = true;
    switch (step.prefs) {
        case PrefsAction::Set:
            for (const auto& [key, value] : step.prefsValues) {
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
        fault_ = step.path + ".prefs: the preferences window is not shown";
        toolkit.quit();
    }
}

}  // namespace tugworth::scenario
