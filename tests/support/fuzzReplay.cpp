// Replays what a libFuzzer target keeps in its folder (every file of corpus/
// and regressions/) as ordinary tests, one per file, so that the plain and
// sanitizer builds catch a reader that breaks on an input once found.
// Linked with one *Fuzz.cpp by kelvandrix_fuzz_replay in tests/CMakeLists.txt.

#include "testFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> keptInputs()
{
    std::vector<fs::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(KELVANDRIX_FUZZ_DIR) / folder;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// "regressions/crash-0a1b" becomes "regressions_crash_0a1b".
std::string testName(const fs::path& input)
{
    std::string name = input.parent_path().filename().string() + "_" + input.filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class FuzzReplay : public testing::TestWithParam<fs::path> {};

TEST_P(FuzzReplay, RunsCleanly)
{
    const std::string bytes = testing_support::readFile(GetParam());
    // A block of exactly the input's size, so that the sanitizers see a read
    // one byte past its end, as under libFuzzer.
    const auto data = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    EXPECT_EQ(LLVMFuzzerTestOneInput(data.get(), bytes.size()), 0);
}

std::string nameOf(const testing::TestParamInfo<fs::path>& info)
{
    return testName(info.param);
}

// The suite is named after the target, so that the replays of several
// targets stay apart in CTest.
#define REPLAY_KEPT_INPUTS(target) INSTANTIATE_TEST_SUITE_P(target, FuzzReplay, testing::ValuesIn(keptInputs()), nameOf)
REPLAY_KEPT_INPUTS(KELVANDRIX_FUZZ_NAME);

} // namespace
