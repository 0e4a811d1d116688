// The released versions of NEWS.md as AppStream <release> elements, for the metainfo file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "NewsFile.h"

namespace tugworth::docs {

// Copies the template to out, replacing the line that holds only "@RELEASES@" with a
// <releases> element (newest first; unreleased changes are not listed). Returns false when
// the template has no such line.
bool writeMetainfo(std::istream& metainfoTemplate, std::ostream& out,
                   const std::vector<NewsRelease>& releases);

std::string escapeXml(const std::string& text);

}  // namespace tugworth::docs
