#include "ManualPage.h"

#include <algorithm>
#include <cctype>

#include "program/CommandLineOptions.h"

namespace tugworth::docs {

namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

void writeOptions(std::ostream& out) {
    out << ".SH OPTIONS\n";
    for (const CommandLineOption& option : kCommandLineOptions) {
        out << ".TP\n\\fB" << escapeRoff(std::string(option.name)) << "\\fR";
        if (!option.argument.empty())
            out << " \\fI" << escapeRoff(std::string(option.argument)) << "\\fR";
        out << '\n' << escapeRoff(std::string(option.help)) << '\n';
    }
}

}  // namespace

std::string escapeRoff(const std::string& text) {
    std::string escaped;
    if (!text.empty() && (text.front() == '.' || text.front() == '\'')) escaped = "\\&";
    for (char c : text) {
        if (c == '\\') {
            escaped += "\\e";
        } else if (c == '-') {
            escaped += "\\-";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void writeManualPage(std::ostream& out, const std::string& version, const std::string& date) {
    const std::string name(kProgramName);
    out << ".TH " << upper(kProgramName) << " 1 \"" << date << "\" \"Tugworth " << version
        << "\" \"User Commands\"\n"
        << ".SH NAME\n"
        << escapeRoff(name) << " \\- " << escapeRoff(std::string(kProgramSummary)) << '\n'
        << ".SH SYNOPSIS\n"
        << ".B " << escapeRoff(name) << "\n.RI [ OPTION ]...\n"
        << ".SH DESCRIPTION\n"
        << escapeRoff(std::string(kProgramDescription)) << '\n';
    writeOptions(out);
    out << ".SH FILES\n"
        << ".TP\n.I $XDG_CONFIG_HOME/Tugworth/Tugworth.conf\n"
        << "The settings (by default in \\fI~/.config\\fR). A file that cannot be read is moved "
           "aside, never overwritten, and the defaults are used.\n"
        << ".TP\n.I /usr/share/doc/tugworth/examples/tugworth.desktop\n"
        << "Starts Tugworth at log-in when copied to \\fI~/.config/autostart/\\fR.\n";
}

}  // namespace tugworth::docs
