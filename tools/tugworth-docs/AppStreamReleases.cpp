#include "AppStreamReleases.h"

#include <istream>

namespace tugworth::docs {

namespace {

void writeReleases(std::ostream& out, const std::string& indent,
                   const std::vector<NewsRelease>& releases) {
    out << indent << "<releases>\n";
    for (const NewsRelease& release : releases) {
        if (release.version.empty()) continue;
        out << indent << "  <release version=\"" << escapeXml(release.version) << "\" date=\""
            << isoDate(*release.date) << "\">\n";
        if (!release.items.empty()) {
            out << indent << "    <description>\n" << indent << "      <ul>\n";
            for (const std::string& item : release.items)
                out << indent << "        <li>" << escapeXml(item) << "</li>\n";
            out << indent << "      </ul>\n" << indent << "    </description>\n";
        }
        out << indent << "  </release>\n";
    }
    out << indent << "</releases>\n";
}

}  // namespace

std::string escapeXml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

bool writeMetainfo(std::istream& metainfoTemplate, std::ostream& out,
                   const std::vector<NewsRelease>& releases) {
    bool replaced = false;
    for (std::string line; std::getline(metainfoTemplate, line);) {
        const auto start = line.find_first_not_of(' ');
        if (start != std::string::npos && line.substr(start) == "@RELEASES@") {
            writeReleases(out, line.substr(0, start), releases);
            replaced = true;
        } else {
            out << line << '\n';
        }
    }
    return replaced;
}

}  // namespace tugworth::docs
