// Replays every kept input of the audio layer's fuzz target (the seed corpus
// and the inputs that once crashed) through the same entry point, in the
// ordinary build, so that what was fixed stays fixed.

#include "testFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> keptInputs()
{
    const std::filesystem::path fuzz = testing_support::sourceDir() / "tests/ext/bass/fuzz";
    std::vector<std::filesystem::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder)) {
            if (entry.is_regular_file() && entry.path().filename() != ".gitkeep")
                inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

} // namespace

TEST(bassStreamFuzzReplayTest, EveryKeptInputDecodesWithAtMostOneLine)
{
    const std::vector<std::filesystem::path> inputs = keptInputs();
    ASSERT_FALSE(inputs.empty());
    for (const std::filesystem::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string bytes = testing_support::readFile(input);
        testing::internal::CaptureStderr();
        // A broken invariant aborts the whole test, naming no input: run the
        // fuzz binary on the input to see which.
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
}
