// tugworth-sim SCENARIO.json [--final-state FILE]: runs the program on a simulated desktop.
// Exit status: the program's own (0); 2 for a refused scenario or bad arguments; 3 when a
// step could not be played; 1 when the final state could not be written.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <variant>

#include "ScenarioParser.h"
#include "ScenarioPlayer.h"

namespace {

constexpr int kRefused = 2;
constexpr int kUnplayable = 3;

int usage(const std::string& problem) {
    std::cerr << "tugworth-sim: " << problem
              << " (usage: tugworth-sim SCENARIO.json [--final-state FILE])\n";
    return kRefused;
}

}  // namespace

int main(int argc, char** argv) {
    std::string scenarioPath;
    std::string finalStatePath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--final-state") {
            if (i + 1 >= argc) return usage("--final-state needs a file name");
            finalStatePath = argv[++i];
        } else if (scenarioPath.empty() && !arg.starts_with("--")) {
            scenarioPath = arg;
        } else {
            return usage("unexpected argument \"" + arg + "\"");
        }
    }
    if (scenarioPath.empty()) return usage("no scenario given");

    std::ifstream in(scenarioPath, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        std::cerr << "scenario: cannot read " << scenarioPath << "\n";
        return kRefused;
    }
    auto parsed = tugworth::scenario::parseScenario(text.str());
    if (const auto* fault = std::get_if<tugworth::scenario::ScenarioFault>(&parsed)) {
        std::cerr << fault->text() << "\n";
        return kRefused;
    }

    tugworth::StdoutLogSink log;
    tugworth::scenario::ScenarioPlayer player(std::get<tugworth::scenario::Scenario>(parsed), log);
    const bool played = player.play();
    log.flush();
    for (const std::string& note : player.notes()) std::cerr << note << "\n";
    int status = 0;
    if (!finalStatePath.empty()) {
        std::ofstream out(finalStatePath, std::ios::binary | std::ios::trunc);
        out << player.finalState().dump(2) << "\n";
        if (!out.flush()) {
            std::cerr << "tugworth-sim: cannot write the final state to " << finalStatePath << "\n";
            status = 1;
        }
    }
    if (!played) {
        std::cerr << player.faultText() << "\n";
        return kUnplayable;
    }
    return status;
}
