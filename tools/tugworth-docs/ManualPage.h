// The manual page tugworth.1, written from the same table as the program's --help.
#pragma once

#include <ostream>
#include <string>

namespace tugworth::docs {

void writeManualPage(std::ostream& out, const std::string& version, const std::string& date);

// Text made safe for roff: backslashes, hyphens and a leading dot or quote escaped.
std::string escapeRoff(const std::string& text);

}  // namespace tugworth::docs
