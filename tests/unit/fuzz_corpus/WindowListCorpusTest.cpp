// The window_list fuzz corpus replayed in the ordinary unit tests, so that every input the
// fuzzer kept (the crashes it found among them) is checked by each build, sanitizers included.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/HostileDesktop.h"

namespace tugworth {
namespace {

namespace fs = std::filesystem;

fs::path corpusFolder() {
    return fs::path(TUGWORTH_FUZZ_CORPUS) / "window_list";
}

std::vector<std::uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WindowListCorpus, EveryInputRunsCleanly) {
    ASSERT_TRUE(fs::is_directory(corpusFolder())) << corpusFolder();
    std::size_t replayed = 0;
    for (const auto& entry : fs::directory_iterator(corpusFolder())) {
        const std::vector<std::uint8_t> bytes = readBytes(entry.path());
        EXPECT_EQ(fuzz::runHostileDesktop(bytes.data(), bytes.size()), std::nullopt)
            << entry.path().filename();
        ++replayed;
    }
    EXPECT_GT(replayed, 0U);
}

}  // namespace
}  // namespace tugworth
