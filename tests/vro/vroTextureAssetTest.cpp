// The picture readers behind textures: PNG through libpng and JPEG through
// libjpeg-turbo decode as stb_image decoded them before, the formats left
// out are refused, and a file claiming more pixels than its bytes can hold
// is refused by its size before anything is decoded.
#include "vroTextureAsset.h"

#include "testFiles.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <stb/stb_image.h>

using namespace testing_support;

namespace {

const std::filesystem::path kPictures = std::filesystem::path(KELVANDRIX_SOURCE_DIR) / "tests/vro/fuzz/corpus";

std::vector<unsigned char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Pixels = std::unique_ptr<unsigned char, void (*)(void*)>;

// Every picture of every kind the corpus holds: 1 to 16 bits, grey, palette
// with and without transparency, interlaced, with alpha.
TEST(TextureAsset, PicturesDecodeAsStbDecodedThemAndLeftOutFormatsAreRefused)
{
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kPictures)) {
        const std::string name = entry.path().filename().string();
        const std::string kind = entry.path().extension().string();
        const std::vector<unsigned char> bytes = fileBytes(entry.path());
        glm::ivec2 size(0, 0);
        std::string problem;
        Pixels decoded(vroTextureAsset::Decode(bytes, 16384, size, problem), std::free);
        if (kind == ".psd" || kind == ".hdr") {
            EXPECT_FALSE(decoded) << name;
            EXPECT_EQ(problem, "") << name;
            continue;
        }
        ASSERT_TRUE(decoded) << name << ": " << problem;
        int width = 0, height = 0, channels = 0;
        Pixels expected(stbi_load(entry.path().c_str(), &width, &height, &channels, 4), stbi_image_free);
        ASSERT_TRUE(expected) << name;
        ASSERT_EQ(size, glm::ivec2(width, height)) << name;
        const size_t count = static_cast<size_t>(width) * height * 4;
        long difference = 0, largest = 0;
        for (size_t i = 0; i < count; ++i) {
            const long step = std::labs(static_cast<long>(decoded.get()[i]) - expected.get()[i]);
            difference += step;
            largest = std::max(largest, step);
        }
        // Two JPEG decoders round their transforms apart; the rest is exact.
        if (kind == ".jpg") {
            EXPECT_LE(static_cast<double>(difference) / static_cast<double>(count), 1.0) << name;
            EXPECT_LE(largest, 8) << name;
        } else {
            EXPECT_EQ(largest, 0) << name;
        }
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

// A cut or forged header: the picture it claims would be mostly zeros.
TEST(TextureAsset, AFileClaimingMorePixelsThanItsBytesHoldIsRefusedByItsSize)
{
    std::string header = "BM";
    for (std::uint32_t field : {54u, 0u, 54u, 40u, 4096u, 4096u})
        header.append(reinterpret_cast<const char*>(&field), 4);
    header += std::string("\1\0\x20\0", 4) + std::string(24, '\0');
    TempDir dir;
    dir.write("claims.bmp", header);
    vroTextureAsset asset(dir.file("claims.bmp").string());
    testing::internal::CaptureStderr();
    asset.LoadData(16384);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "texture: \"" + dir.file("claims.bmp").string()
                                                          + "\" claims 4096x4096 pixels, more than its 54 bytes can hold\n");
    EXPECT_EQ(asset.getData(), nullptr);
}

} // namespace
