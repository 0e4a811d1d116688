// tugworth-docs: writes the documents the package ships from their one source each: the
// manual page from the command-line table, the Debian changelog and the AppStream releases
// from NEWS.md.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "AppStreamReleases.h"
#include "DebianChangelog.h"
#include "ManualPage.h"
#include "NewsFile.h"

namespace {

using namespace tugworth::docs;

constexpr const char* kUsage =
    "usage: tugworth-docs manpage VERSION DATE OUT\n"
    "       tugworth-docs changelog NEWS PACKAGE MAINTAINER DATE OUT\n"
    "       tugworth-docs metainfo NEWS TEMPLATE OUT\n"
    "DATE is YYYY-MM-DD.\n";

int failWith(const std::string& message) {
    std::cerr << "tugworth-docs: " << message << '\n';
    return 1;
}

std::optional<std::vector<NewsRelease>> loadNews(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return readNews(in, path, error);
}

int run(const std::vector<std::string>& args, std::ofstream& out, std::string& error) {
    const std::string& command = args[0];
    if (command == "manpage") {
        writeManualPage(out, args[1], args[2]);
        return 0;
    }
    auto news = loadNews(args[1], error);
    if (!news) return 1;
    if (command == "changelog") {
        auto date = parseIsoDate(args[4]);
        if (!date) {
            error = "not a date (YYYY-MM-DD): " + args[4];
            return 1;
        }
        writeDebianChangelog(out, *news, {args[2], args[3], *date});
        return 0;
    }
    std::ifstream metainfoTemplate(args[2]);
    if (!metainfoTemplate) {
        error = "cannot read " + args[2];
        return 1;
    }
    if (!writeMetainfo(metainfoTemplate, out, *news)) {
        error = args[2] + " has no line \"@RELEASES@\"";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool known = (args.size() == 4 && (args[0] == "manpage" || args[0] == "metainfo")) ||
                       (args.size() == 6 && args[0] == "changelog");
    if (!known) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& outPath = args.back();
    std::ofstream out(outPath);
    if (!out) return failWith("cannot write " + outPath);
    std::string error;
    if (run(args, out, error) != 0) {
        out.close();
        std::remove(outPath.c_str());
        return failWith(error);
    }
    out.close();
    if (!out) return failWith("cannot write " + outPath);
    return 0;
}
