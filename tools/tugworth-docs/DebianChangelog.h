// NEWS.md as the Debian changelog (usr/share/doc/PACKAGE/changelog.gz of a native package).
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "NewsFile.h"

namespace tugworth::docs {

struct ChangelogSigner {
    std::string package;     // "tugworth"
    std::string maintainer;  // "Name <address>"
    // The date given to the unreleased changes: they carry no date of their own.
    std::chrono::year_month_day buildDate;
};

void writeDebianChangelog(std::ostream& out, const std::vector<NewsRelease>& releases,
                          const ChangelogSigner& signer);

// Words of text in lines of at most `width` columns, the first after firstPrefix, the
// others after restPrefix.
std::vector<std::string> wrapWords(const std::string& text, const std::string& firstPrefix,
                                   const std::string& restPrefix, std::size_t width);

}  // namespace tugworth::docs
