// Runs tugworth-sim on one scenario and compares what it produced with what was expected:
//   scenario-check --sim SIM --scenario NAME.json --log NAME.log [--state NAME.state.json]
//   scenario-check --sim SIM --scenario NAME.json --error NAME.err
// The first form compares standard output line by line and the final state as parsed JSON; the
// second expects a refusal (exit status 2) with exactly the one line of NAME.err on standard
// error. Every mismatch is reported with the first place it differs.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

std::optional<std::string> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

Run runSim(const std::string& sim, const std::string& scenario, const fs::path& statePath,
           const fs::path& scratch) {
    const fs::path outPath = scratch / "stdout";
    const fs::path errPath = scratch / "stderr";
    std::string command = shellQuoted(sim) + " " + shellQuoted(scenario);
    if (!statePath.empty()) command += " --final-state " + shellQuoted(statePath.string());
    command += " >" + shellQuoted(outPath.string()) + " 2>" + shellQuoted(errPath.string());
    const int raw = std::system(command.c_str());
    Run run;
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(outPath).value_or("");
    run.err = readFile(errPath).value_or("");
    return run;
}

bool compareLines(const std::string& what, const std::vector<std::string>& expected,
                  const std::vector<std::string>& actual) {
    const std::size_t common = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (expected[i] == actual[i]) continue;
        std::cerr << what << " differs at line " << i + 1 << ":\n  expected: " << expected[i]
                  << "\n  actual:   " << actual[i] << "\n";
        return false;
    }
    if (expected.size() == actual.size()) return true;
    std::cerr << what << " has " << actual.size() << " lines, expected " << expected.size()
              << "; first ";
    if (actual.size() > expected.size())
        std::cerr << "extra line " << common + 1 << ": " << actual[common] << "\n";
    else
        std::cerr << "missing line " << common + 1 << ": " << expected[common] << "\n";
    return false;
}

struct Difference {
    std::string path;
    std::string expected;  // the two values there, as JSON text ("absent" when missing)
    std::string actual;
};

// The first difference, or nothing when equal (numbers compare by value: 100 equals 100.0).
std::optional<Difference> firstDifference(const Json& expected, const Json& actual,
                                          const std::string& path) {
    if (expected.is_object() && actual.is_object()) {
        for (const auto& [key, value] : expected.items()) {
            if (!actual.contains(key)) return Difference{path + "." + key, value.dump(), "absent"};
            if (auto d = firstDifference(value, actual.at(key), path + "." + key)) return d;
        }
        for (const auto& [key, value] : actual.items()) {
            if (!expected.contains(key))
                return Difference{path + "." + key, "absent", value.dump()};
        }
        return std::nullopt;
    }
    if (expected.is_array() && actual.is_array() && expected.size() == actual.size()) {
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const std::string p = path + "[" + std::to_string(i) + "]";
            if (auto d = firstDifference(expected[i], actual[i], p)) return d;
        }
        return std::nullopt;
    }
    if (expected == actual) return std::nullopt;
    return Difference{path, expected.dump(), actual.dump()};
}

bool compareState(const fs::path& expectedPath, const fs::path& actualPath) {
    const auto expectedText = readFile(expectedPath);
    const auto actualText = readFile(actualPath);
    if (!expectedText || !actualText) {
        std::cerr << "cannot read " << (!expectedText ? expectedPath : actualPath) << "\n";
        return false;
    }
    const Json expected = Json::parse(*expectedText, nullptr, false);
    const Json actual = Json::parse(*actualText, nullptr, false);
    if (expected.is_discarded()) {
        std::cerr << expectedPath << ": not valid JSON\n";
        return false;
    }
    if (actual.is_discarded()) {
        std::cerr << "the final state written is not valid JSON\n";
        return false;
    }
    if (auto d = firstDifference(expected, actual, "state")) {
        std::cerr << "the final state differs at " << d->path << ":\n  expected: " << d->expected
                  << "\n  actual:   " << d->actual << "\n";
        return false;
    }
    return true;
}

int usage() {
    std::cerr << "usage: scenario-check --sim SIM --scenario FILE (--log FILE [--state FILE] | "
                 "--error FILE)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options;
    for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    if (argc % 2 == 0 || !options.contains("--sim") || !options.contains("--scenario") ||
        options.contains("--log") == options.contains("--error"))
        return usage();

    const fs::path scratch =
        fs::temp_directory_path() / ("scenario-check-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const bool expectRefusal = options.contains("--error");
    const fs::path statePath = expectRefusal ? fs::path() : scratch / "state.json";
    const Run run = runSim(options["--sim"], options["--scenario"], statePath, scratch);

    bool ok = true;
    if (expectRefusal) {
        const auto expected = readFile(options["--error"]);
        if (!expected) {
            std::cerr << "cannot read " << options["--error"] << "\n";
            ok = false;
        } else {
            if (run.status != 2) {
                std::cerr << "exit status " << run.status << ", expected 2\n";
                ok = false;
            }
            ok = compareLines("standard error", splitLines(*expected), splitLines(run.err)) && ok;
            if (!run.out.empty()) {
                std::cerr << "a refused scenario wrote to standard output\n";
                ok = false;
            }
        }
    } else {
        if (run.status != 0) {
            std::cerr << "exit status " << run.status << ", expected 0; standard error:\n"
                      << run.err;
            ok = false;
        }
        const auto expected = readFile(options["--log"]);
        if (!expected) {
            std::cerr << "cannot read " << options["--log"] << "\n";
            ok = false;
        } else {
            ok = compareLines("the log", splitLines(*expected), splitLines(run.out)) && ok;
        }
        if (options.contains("--state")) ok = compareState(options["--state"], statePath) && ok;
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return ok ? 0 : 1;
}
