#include "DebianChangelog.h"

#include <cstdio>
#include <sstream>

namespace tugworth::docs {

namespace {

// Debian's tools read at most 80 columns.
constexpr std::size_t kChangelogWidth = 78;

// "Mon, 07 Dec 2026 00:00:00 +0000"
std::string rfc2822Date(std::chrono::year_month_day date) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::chrono::weekday weekday{std::chrono::sys_days{date}};
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02u %s %04d 00:00:00 +0000", kDays[weekday.c_encoding()],
                  unsigned(date.day()), kMonths[unsigned(date.month()) - 1], int(date.year()));
    return text;
}

// Changes not yet released sort after the newest release they build on.
std::string unreleasedVersion(const std::vector<NewsRelease>& releases) {
    for (const NewsRelease& release : releases) {
        if (!release.version.empty()) return release.version + "+unreleased";
    }
    return "0~unreleased";
}

}  // namespace

std::vector<std::string> wrapWords(const std::string& text, const std::string& firstPrefix,
                                   const std::string& restPrefix, std::size_t width) {
    std::vector<std::string> lines{firstPrefix};
    bool lineHasWord = false;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (lineHasWord && lines.back().size() + 1 + word.size() > width) {
            lines.push_back(restPrefix);
            lineHasWord = false;
        }
        if (lineHasWord) lines.back() += ' ';
        lines.back() += word;
        lineHasWord = true;
    }
    return lines;
}

void writeDebianChangelog(std::ostream& out, const std::vector<NewsRelease>& releases,
                          const ChangelogSigner& signer) {
    bool first = true;
    for (const NewsRelease& release : releases) {
        // An unreleased section with nothing in it yet is left out.
        if (release.items.empty() && release.version.empty()) continue;
        const bool released = !release.version.empty();
        if (!first) out << '\n';
        first = false;
        out << signer.package << " (" << (released ? release.version : unreleasedVersion(releases))
            << ") " << (released ? "unstable" : "UNRELEASED") << "; urgency=medium\n\n";
        for (const std::string& item : release.items) {
            for (const std::string& line : wrapWords(item, "  * ", "    ", kChangelogWidth))
                out << line << '\n';
        }
        out << "\n -- " << signer.maintainer << "  "
            << rfc2822Date(released ? *release.date : signer.buildDate) << '\n';
    }
}

}  // namespace tugworth::docs
