// The project's NEWS.md read into releases: "## Unreleased" and "## VERSION (YYYY-MM-DD)"
// headings, each followed by "- " items whose continuation lines are indented.
#pragma once

#include <chrono>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace tugworth::docs {

struct NewsRelease {
    std::string version;                              // empty for the unreleased changes
    std::optional<std::chrono::year_month_day> date;  // set for every released version
    std::vector<std::string> items;                   // each item's text on one line
};

// Newest first, as written. Returns nothing and sets error ("NEWS.md:LINE: what") when the
// file does not follow the layout above.
std::optional<std::vector<NewsRelease>> readNews(std::istream& in, const std::string& fileName,
                                                 std::string& error);

// "2026-12-07" and back; nothing for a day that does not exist.
std::optional<std::chrono::year_month_day> parseIsoDate(const std::string& text);
std::string isoDate(std::chrono::year_month_day date);

}  // namespace tugworth::docs
