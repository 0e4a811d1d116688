#include "NewsFile.h"

#include <cstdio>
#include <regex>

namespace tugworth::docs {

std::optional<std::chrono::year_month_day> parseIsoDate(const std::string& text) {
    static const std::regex layout(R"([0-9]{4}-[0-9]{2}-[0-9]{2})");
    if (!std::regex_match(text, layout)) return std::nullopt;
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    if (std::sscanf(text.c_str(), "%4d-%2u-%2u", &year, &month, &day) != 3) return std::nullopt;
    std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                     std::chrono::day{day}};
    if (!date.ok()) return std::nullopt;
    return date;
}

namespace {

class NewsReader {
public:
    NewsReader(const std::string& fileName, std::string& error)
        : fileName_(fileName), error_(error) {}

    bool readLine(const std::string& line) {
        ++lineNumber_;
        static const std::regex unreleased(R"(## Unreleased\s*)");
        static const std::regex released(R"(## ([0-9][0-9A-Za-z.+~]*) \(([0-9-]+)\)\s*)");
        std::smatch match;
        if (std::regex_match(line, unreleased)) {
            if (!releases_.empty()) return fail("\"## Unreleased\" must come first");
            releases_.push_back({});
        } else if (std::regex_match(line, match, released)) {
            auto date = parseIsoDate(match[2]);
            if (!date) return fail("not a date (YYYY-MM-DD): " + match[2].str());
            releases_.push_back({match[1], date, {}});
        } else if (line.starts_with("- ")) {
            if (releases_.empty()) return fail("an item before the first \"## \" heading");
            releases_.back().items.push_back(line.substr(2));
        } else if (line.starts_with("  ") && line.find_first_not_of(' ') != std::string::npos) {
            if (releases_.empty() || releases_.back().items.empty())
                return fail("an indented line that continues no item");
            releases_.back().items.back() += " " + line.substr(line.find_first_not_of(' '));
        } else if (line.starts_with("## ")) {
            return fail("expected \"## Unreleased\" or \"## VERSION (YYYY-MM-DD)\"");
        }
        // Anything else (the title, blank lines, prose) is for readers of the file only.
        return true;
    }

    std::vector<NewsRelease> releases() && { return std::move(releases_); }

private:
    bool fail(const std::string& what) {
        error_ = fileName_ + ":" + std::to_string(lineNumber_) + ": " + what;
        return false;
    }

    const std::string& fileName_;
    std::string& error_;
    int lineNumber_ = 0;
    std::vector<NewsRelease> releases_;
};

}  // namespace

std::optional<std::vector<NewsRelease>> readNews(std::istream& in, const std::string& fileName,
                                                 std::string& error) {
    NewsReader reader(fileName, error);
    for (std::string line; std::getline(in, line);) {
        if (!reader.readLine(line)) return std::nullopt;
    }
    return std::move(reader).releases();
}

std::string isoDate(std::chrono::year_month_day date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()));
    return text;
}

}  // namespace tugworth::docs
