// Playing a checked scenario: the desktop is built from it, the program runs on it through its
// entry point, and the steps happen inside the program's event loop.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"
#include "platform/sim/Desktop.h"

namespace tugworth::scenario {

class ScenarioPlayer {
public:
    ScenarioPlayer(const Scenario& scenario, LogSink& log);

    // Runs the program to its end. False when a step could not be played; faultText() says why.
    bool play();
    const std::string& faultText() const { return fault_; }
    // Steps that were not reached because the program had quit (one note per skipped run).
    const std::vector<std::string>& notes() const { return notes_; }
    const nlohmann::ordered_json& finalState() const { return finalState_; }

private:
    void buildDesktop();
    void playTopLevel(std::size_t from);
    // The inner steps of an alert, inside its nested loop.
    void playSteps(const std::vector<Step>& steps);
    void playStep(const Step& step);
    // One per kind of step; `path` names the step in notes and faults.
    void play(const FlagsStep& step, const std::string& path);
    void play(const MoveStep& step, const std::string& path);
    void play(const DragStep& step, const std::string& path);
    void play(const PointerStep& step, const std::string& path);
    void play(const TrustStep& step, const std::string& path);
    void play(const CloseWindowStep& step, const std::string& path);
    void play(const QuitStep& step, const std::string& path);
    void play(const SetWindowStep& step, const std::string& path);
    void play(const SetAppStep& step, const std::string& path);
    void play(const MenuStep& step, const std::string& path);
    void play(const PrefsStep& step, const std::string& path);
    void play(const AlertStep& step, const std::string& path);
    void play(const RelaunchStep& step, const std::string& path);
    void prepareAnswer(const AlertAnswer& answer);
    bool stopped() const;

    const Scenario& scenario_;
    sim::Desktop desktop_;
    std::optional<std::size_t> relaunchFrom_;
    std::string fault_;
    std::vector<std::string> notes_;
    nlohmann::ordered_json finalState_;
};

}  // namespace tugworth::scenario
