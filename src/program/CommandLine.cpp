#include "program/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "program/CommandLineOptions.h"

namespace tugworth {

namespace {

const CommandLineOption* findOption(std::string_view name) {
    for (const CommandLineOption& option : kCommandLineOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

CommandLine refuse(std::string problem) {
    CommandLine result;
    result.action = CommandLine::Action::Refuse;
    result.problem = std::move(problem);
    return result;
}

// Words of `text` on lines of at most kWidth columns, each after `indent`; the first line
// continues what the caller already wrote up to `column`.
constexpr std::size_t kWidth = 79;
void appendWrapped(std::string& out, std::string_view text, std::size_t column,
                   std::size_t indent) {
    while (!text.empty()) {
        const std::size_t end = text.find(' ');
        const std::string_view word = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (column > indent && column + 1 + word.size() > kWidth) {
            out.append("\n").append(indent, ' ');
            column = indent;
        } else if (column > indent) {
            out.push_back(' ');
            ++column;
        }
        out.append(word);
        column += word.size();
    }
    out.push_back('\n');
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const CommandLineOption* option = findOption(name);
        if (option == nullptr) return refuse("unknown argument '" + arguments[i] + "'");
        if (!seen.insert(option->name).second) {
            return refuse("'" + std::string(name) + "' given twice");
        }
        std::string_view value;
        if (option->argument.empty()) {
            if (equals != std::string_view::npos) {
                return refuse("'" + std::string(name) + "' takes no value");
            }
        } else if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return refuse("'" + std::string(name) + "' needs a " + std::string(option->argument));
        }

        if (name == "--help") {
            result.action = CommandLine::Action::PrintHelp;
        } else if (name == "--version" && result.action != CommandLine::Action::PrintHelp) {
            result.action = CommandLine::Action::PrintVersion;
        } else if (name == "--log-level") {
            const auto level = logLevelNamed(value);
            if (!level) return refuse("unknown log level '" + std::string(value) + "'");
            result.logLevel = *level;
        }
    }
    return result;
}

std::string usageText() {
    std::string text = "Usage: " + std::string(kProgramName) + " [OPTION]...\n";
    text.append(kProgramName).append(": ").append(kProgramSummary).append(".\n\n");
    appendWrapped(text, kProgramDescription, 0, 0);
    text.append("\nOptions:\n");
    constexpr std::size_t kHelpColumn = 22;
    for (const CommandLineOption& option : kCommandLineOptions) {
        std::string head = "  " + std::string(option.name);
        if (!option.argument.empty()) head.append(" ").append(option.argument);
        if (head.size() + 2 > kHelpColumn) {
            text.append(head).append("\n");
            head.clear();
        }
        head.resize(kHelpColumn, ' ');
        text.append(head);
        appendWrapped(text, option.help, kHelpColumn, kHelpColumn);
    }
    return text;
}

std::optional<int> answerCommandLine(const CommandLine& commandLine) {
    switch (commandLine.action) {
        case CommandLine::Action::Run:
            return std::nullopt;
        case CommandLine::Action::PrintHelp:
            std::fputs(usageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::PrintVersion:
            std::printf("%s %s\n", std::string(kProgramName).c_str(), TUGWORTH_VERSION);
            return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "%s: %s\n%s", std::string(kProgramName).c_str(),
                         commandLine.problem.c_str(), usageText().c_str());
            return 2;
    }
    return 2;
}

}  // namespace tugworth
