// stb_image for the tests' own reading of reference pictures and captured
// frames, every format on: the engine keeps its picture readers to itself.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "rgbPicture.h"

#include <memory>

namespace testing_support {

RgbPicture readRgbPicture(const std::filesystem::path& file)
{
    RgbPicture picture;
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load(file.c_str(), &picture.width, &picture.height, &channels, 3), stbi_image_free);
    if (pixels)
        picture.rgb.assign(pixels.get(), pixels.get() + picture.width * picture.height * 3);
    return picture;
}

} // namespace testing_support
