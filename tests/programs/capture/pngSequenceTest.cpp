#include "pngSequence.h"

#include "fileSizeLimit.h"
#include "testFiles.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>

#include <gtest/gtest.h>
#include <stb/stb_image.h>

using namespace testing_support;

namespace {

TEST(PngSequenceTest, APictureThatCannotBeWrittenWholeLeavesNoFile)
{
    constexpr int kSide = 64;
    std::vector<std::uint8_t> noise(kSide * kSide * 4);
    std::mt19937 random(7);
    for (auto& byte : noise)
        byte = static_cast<std::uint8_t>(random());
    TempDir dir;
    PngSequence pictures(dir.path(), kSide, kSide);

    testing::internal::CaptureStderr();
    bool written = true;
    {
        const FileSizeLimit fullDisk(1000); // the noise compresses to over 16 kB
        written = pictures.Write(7, noise);
    }
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_EQ(error.rfind("capture: cannot write \"" + dir.file("frame_000007.png").string() + "\": ", 0), 0u)
        << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a cut picture or its temporary file was left";

    ASSERT_TRUE(pictures.Write(7, noise));
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> decoded(
        stbi_load(dir.file("frame_000007.png").c_str(), &width, &height, &channels, 4), stbi_image_free);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(std::equal(noise.begin(), noise.end(), decoded.get()));
}

} // namespace
