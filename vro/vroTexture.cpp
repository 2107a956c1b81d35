#include "vroTexture.h"

#include "vroTextureAsset.h"
#include "vroTextureObject.h"

#include <cassert>
#include <cstdint>
#include <cstdio>

namespace {

// Four components of up to four bytes each: enough for any format and type
// the engine's textures are made with.
constexpr std::size_t kZeroBytesPerPixel = 16;

[[noreturn]] void stopForMemory(glm::ivec2 dimensions, const char* bytes)
{
    std::fprintf(stderr, "texture: cannot allocate %s bytes for a %dx%d texture\n", bytes, dimensions.x,
                 dimensions.y);
    std::exit(EXIT_FAILURE);
}

void* zeroFilledBuffer(glm::ivec2 dimensions)
{
    assert(dimensions.x > 0 && dimensions.y > 0 && "a texture has at least one pixel");
    std::size_t pixels = 0;
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::size_t>(dimensions.x), static_cast<std::size_t>(dimensions.y),
                               &pixels)
        || __builtin_mul_overflow(pixels, kZeroBytesPerPixel, &bytes))
        stopForMemory(dimensions, "too many");
    void* buffer = std::calloc(bytes, 1);
    if (!buffer)
        stopForMemory(dimensions, std::to_string(bytes).c_str());
    return buffer;
}

// A picture beyond the driver's largest texture would upload as nothing and
// sample black, without a word.
bool fitsATexture(const vroTextureAsset& asset)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const glm::ivec2 size = asset.getDimensions();
    if (size.x <= largest && size.y <= largest)
        return true;
    std::fprintf(stderr, "texture: \"%s\" is %dx%d, larger than the %d pixels a side a texture may have here\n",
                 asset.getFileName().c_str(), size.x, size.y, largest);
    return false;
}

} // namespace

vroTexture::vroTexture(std::string fileName)
    : asset(std::make_unique<vroTextureAsset>(std::move(fileName)))
    , object(std::make_unique<vroTextureObject>(GL_TEXTURE_2D, GL_RGBA))
{
}

vroTexture::vroTexture(void* pixels, glm::ivec2 dimensions, GLenum type)
    : object(std::make_unique<vroTextureObject>(GL_TEXTURE_2D, GL_RGBA))
    , data(pixels)
    , dimensions(dimensions)
    , type(type)
{
    assert(pixels && "an adopted pixel buffer is never null");
}

vroTexture::vroTexture(glm::ivec2 dimensions, GLenum type)
    : vroTexture(dimensions, GL_RGBA, type)
{
}

vroTexture::vroTexture(glm::ivec2 dimensions, GLenum format, GLenum type)
    : object(std::make_unique<vroTextureObject>(GL_TEXTURE_2D, GL_RGBA))
    , dimensions(dimensions)
    , format(format)
    , type(type)
{
    assert(dimensions.x > 0 && dimensions.y > 0 && "a texture has at least one pixel");
}

vroTexture::~vroTexture() = default;

void vroTexture::Load()
{
    if (asset && !data)
        takeDecodedImage();
    if (data)
        object->Upload(data.get(), format, type, dimensions);
    else
        uploadZeros();
}

void vroTexture::uploadZeros()
{
    if (object->UploadZeros(format, type, dimensions))
        return;
    data.reset(zeroFilledBuffer(dimensions));
    object->Upload(data.get(), format, type, dimensions);
}

void vroTexture::takeDecodedImage()
{
    asset->LoadData();
    data.reset(asset->getData());
    dimensions = asset->getDimensions();
    if (data && fitsATexture(*asset))
        return;
    // An image that could not be decoded stays one transparent texel.
    dimensions = glm::ivec2(1, 1);
    data.reset(zeroFilledBuffer(dimensions));
}

bool vroTexture::Reload()
{
    assert(asset && "only a texture made from a file is reloaded");
    auto fresh = std::make_unique<vroTextureAsset>(asset->getFileName());
    fresh->LoadData();
    std::unique_ptr<void, FreeDeleter> pixels(fresh->getData());
    if (!pixels || !fitsATexture(*fresh))
        return false;
    data = std::move(pixels);
    dimensions = fresh->getDimensions();
    asset = std::move(fresh);
    object->Upload(data.get(), format, type, dimensions);
    return true;
}

std::string vroTexture::getFileName() const
{
    return asset ? asset->getFileName() : std::string();
}

void vroTexture::BindToUnit(GLuint unit)
{
    object->BindToUnit(unit);
}

GLuint vroTexture::getID() const
{
    return object->getID();
}
