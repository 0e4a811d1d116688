// NEWS.md read into releases, and the Debian changelog written from them.
#include <gtest/gtest.h>

#include <sstream>

#include "DebianChangelog.h"
#include "ManualPage.h"
#include "NewsFile.h"

namespace tugworth::docs {
namespace {

std::optional<std::vector<NewsRelease>> read(const std::string& text, std::string& error) {
    std::istringstream in(text);
    return readNews(in, "NEWS.md", error);
}

constexpr std::chrono::year_month_day kBuildDay{std::chrono::year{2026}, std::chrono::December,
                                                std::chrono::day{8}};

TEST(NewsDocuments, ChangelogHasAnEntryPerReleaseWithItsItemsRewrapped) {
    std::string error;
    auto releases = read(
        "# News\n\n## Unreleased\n\n- Fixed a thing.\n\n## 1.2 (2026-12-07)\n\n"
        "- A long item that goes on and on, well past the width that Debian's tools\n"
        "  read, so it is wrapped again.\n",
        error);
    ASSERT_TRUE(releases) << error;
    std::ostringstream out;
    writeDebianChangelog(out, *releases, {"tugworth", "T <t@example.org>", kBuildDay});
    EXPECT_EQ(out.str(),
              "tugworth (1.2+unreleased) UNRELEASED; urgency=medium\n\n  * Fixed a thing.\n\n"
              " -- T <t@example.org>  Tue, 08 Dec 2026 00:00:00 +0000\n\n"
              "tugworth (1.2) unstable; urgency=medium\n\n"
              "  * A long item that goes on and on, well past the width that Debian's tools\n"
              "    read, so it is wrapped again.\n\n"
              " -- T <t@example.org>  Mon, 07 Dec 2026 00:00:00 +0000\n");
}

TEST(NewsDocuments, MalformedNewsIsRefusedWithTheLineAtFault) {
    const std::pair<const char*, const char*> cases[] = {
        {"- an item\n", "NEWS.md:1: an item before"},
        {"## 1.0 (2026-02-30)\n", "NEWS.md:1: not a date"},
        {"## 1.0 (2026-01-01)\n\n## Unreleased\n", "NEWS.md:3: \"## Unreleased\" must come"},
        {"## Unreleased\n  continued\n", "NEWS.md:2: an indented line"},
        {"## Version 2\n", "NEWS.md:1: expected"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(read(text, error)) << text;
        EXPECT_TRUE(error.starts_with(expected)) << error;
    }
}

TEST(NewsDocuments, RoffControlCharactersAreEscaped) {
    EXPECT_EQ(escapeRoff(".start 'a\\b-c"), "\\&.start 'a\\eb\\-c");
}

}  // namespace
}  // namespace tugworth::docs
