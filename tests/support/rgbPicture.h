#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace testing_support {

// A picture file (PNG, JPEG, ...) as 8-bit RGB rows from the top, read by the
// tests' own stb_image; empty when it cannot be read.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};
RgbPicture readRgbPicture(const std::filesystem::path& file);

} // namespace testing_support
