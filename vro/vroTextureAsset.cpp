#include "vroTextureAsset.h"

#include <algorithm>
#include <csetjmp>
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <memory>

#include <png.h>
#include <turbojpeg.h>

// The decoded pixels are released with free() by their new owner.
#define STBI_MALLOC(size) std::malloc(size)
#define STBI_REALLOC(pointer, size) std::realloc(pointer, size)
#define STBI_FREE(pointer) std::free(pointer)
// PNG goes to libpng and JPEG to libjpeg-turbo, readers fuzzed the world
// over. stb's readers of those two are left out: found by fuzzing, its JPEG
// reader writes past its Huffman tables on a corrupt file and its PNG reader
// sets aside whatever a data chunk announces. So are its HDR reader, which
// loops for ever on a zero run, its PNM reader, which overflows on long
// numbers, and its PSD reader, which converts floats out of range.
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_GIF
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace {

constexpr int kComponents = 4;

// Pictures are read whole; 16384 x 16384 pixels stored raw is 1 GiB.
constexpr std::uintmax_t kLargestFile = std::uintmax_t{1} << 30;

// No picture format packs more pixels into a byte than this: deflate at its
// best holds some 8 000 one-bit pixels in a byte, LZW, run lengths and JPEG
// far fewer. A file that claims more is cut short or forged, and would
// decode its missing part as zeros, up to gigabytes of them.
constexpr double kMostPixelsPerByte = 16384.0;

bool startsWith(const std::vector<unsigned char>& bytes, std::initializer_list<unsigned char> signature)
{
    return bytes.size() >= signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin());
}

using Pixels = std::unique_ptr<unsigned char, void (*)(void*)>;

Pixels allocatePixels(int width, int height)
{
    return Pixels(static_cast<unsigned char*>(std::malloc(static_cast<size_t>(width) * height * kComponents)),
                  std::free);
}

// Each format's reader: first the size from the header, then the pixels.
class PictureReader {
public:
    virtual ~PictureReader() = default;
    virtual bool readSize(const std::vector<unsigned char>& bytes, int& width, int& height) = 0;
    // Called after readSize, with the size it gave.
    virtual Pixels decode(const std::vector<unsigned char>& bytes, int width, int height) = 0;
};

// libpng's own reading: its simplified interface would take 16-bit data
// for linear light and brighten it. Reduced to 8-bit RGBA as stb did: the
// high byte of 16-bit samples, no gamma applied.
class PngReader : public PictureReader {
public:
    PngReader()
        : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning))
        , info(png ? png_create_info_struct(png) : nullptr)
    {
    }
    ~PngReader() override { png_destroy_read_struct(&png, &info, nullptr); }

    bool readSize(const std::vector<unsigned char>& bytes, int& width, int& height) override
    {
        source = {bytes.data(), bytes.size()};
        return info && readHeader(width, height);
    }

    Pixels decode(const std::vector<unsigned char>&, int width, int height) override
    {
        Pixels pixels = allocatePixels(width, height);
        std::vector<png_bytep> rows(static_cast<size_t>(height));
        for (size_t row = 0; row < rows.size(); ++row)
            rows[row] = pixels.get() + row * static_cast<size_t>(width) * kComponents;
        if (!pixels || !readRows(rows.data()))
            pixels.reset();
        return pixels;
    }

private:
    struct Source {
        const unsigned char* next = nullptr;
        size_t left = 0;
    };

    // The reason stays unsaid: the caller names the file it could not decode.
    static void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void ignoreWarning(png_structp, png_const_charp) {}

    static void readSource(png_structp png, png_bytep into, size_t count)
    {
        auto* source = static_cast<Source*>(png_get_io_ptr(png));
        if (count > source->left)
            png_error(png, "cut short");
        std::copy(source->next, source->next + count, into);
        source->next += count;
        source->left -= count;
    }

    // libpng reports an error by a long jump back here, past no object
    // that needs destroying.
    bool readHeader(int& width, int& height)
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_set_read_fn(png, &source, readSource);
        png_read_info(png, info);
        const png_uint_32 fileWidth = png_get_image_width(png, info), fileHeight = png_get_image_height(png, info);
        if (fileWidth > static_cast<png_uint_32>(std::numeric_limits<int>::max())
            || fileHeight > static_cast<png_uint_32>(std::numeric_limits<int>::max()))
            return false;
        width = static_cast<int>(fileWidth);
        height = static_cast<int>(fileHeight);
        return true;
    }

    bool readRows(png_bytepp rows)
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_set_strip_16(png);
        png_set_expand(png); // palettes, grey of 1, 2 or 4 bits, transparent colours
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != png_get_image_width(png, info) * static_cast<size_t>(kComponents))
            return false;
        png_read_image(png, rows);
        png_read_end(png, nullptr);
        return true;
    }

    png_structp png;
    png_infop info;
    Source source;
};

class JpegReader : public PictureReader {
public:
    ~JpegReader() override
    {
        if (handle)
            tjDestroy(handle);
    }

    bool readSize(const std::vector<unsigned char>& bytes, int& width, int& height) override
    {
        int subsampling = 0, colourspace = 0;
        return handle
               && tjDecompressHeader3(handle, bytes.data(), static_cast<unsigned long>(bytes.size()), &width, &height,
                                      &subsampling, &colourspace)
                      == 0;
    }

    // A damaged file is refused rather than decoded in part; a progressive
    // file's scans are limited, as thousands of them take minutes.
    Pixels decode(const std::vector<unsigned char>& bytes, int width, int height) override
    {
        Pixels pixels = allocatePixels(width, height);
        if (pixels
            && tjDecompress2(handle, bytes.data(), static_cast<unsigned long>(bytes.size()), pixels.get(), width, 0,
                             height, TJPF_RGBA, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS)
                   != 0)
            pixels.reset();
        return pixels;
    }

private:
    tjhandle handle = tjInitDecompress();
};

// BMP, TGA and GIF.
class StbReader : public PictureReader {
public:
    // stb tells a picture stored top row first by a negative height.
    bool readSize(const std::vector<unsigned char>& bytes, int& width, int& height) override
    {
        int components = 0;
        if (!stbi_info_from_memory(bytes.data(), length(bytes), &width, &height, &components))
            return false;
        width = width == std::numeric_limits<int>::min() ? 0 : std::abs(width);
        height = height == std::numeric_limits<int>::min() ? 0 : std::abs(height);
        return true;
    }

    Pixels decode(const std::vector<unsigned char>& bytes, int width, int height) override
    {
        int decodedWidth = 0, decodedHeight = 0, components = 0;
        Pixels pixels(stbi_load_from_memory(bytes.data(), length(bytes), &decodedWidth, &decodedHeight, &components,
                                            kComponents),
                      std::free);
        if (decodedWidth != width || decodedHeight != height)
            pixels.reset();
        return pixels;
    }

private:
    static int length(const std::vector<unsigned char>& bytes)
    {
        return static_cast<int>(std::min<size_t>(bytes.size(), std::numeric_limits<int>::max()));
    }
};

std::unique_ptr<PictureReader> readerFor(const std::vector<unsigned char>& bytes)
{
    if (startsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}))
        return std::make_unique<PngReader>();
    if (startsWith(bytes, {0xFF, 0xD8, 0xFF}))
        return std::make_unique<JpegReader>();
    return std::make_unique<StbReader>();
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& problem)
{
    std::error_code ignored;
    const std::filesystem::path file = std::filesystem::u8path(path);
    // Only a file is read: a FIFO without a writer would block for ever.
    if (!std::filesystem::is_regular_file(file, ignored))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(file, ignored);
    if (size > kLargestFile) {
        problem = "is " + std::to_string(size) + " bytes, more than the " + std::to_string(kLargestFile)
                  + " a picture may have";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    bytes.resize(static_cast<size_t>(size));
    return in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))
           && in.gcount() == static_cast<std::streamsize>(size);
}

} // namespace

vroTextureAsset::vroTextureAsset(std::string fileName)
    : fileName(std::move(fileName))
{
}

unsigned char* vroTextureAsset::Decode(const std::vector<unsigned char>& bytes, int largestSide,
                                       glm::ivec2& dimensions, std::string& problem)
{
    const std::unique_ptr<PictureReader> reader = readerFor(bytes);
    // The header alone decides the size of what is decoded.
    int width = 0, height = 0;
    if (!reader->readSize(bytes, width, height) || width <= 0 || height <= 0)
        return nullptr;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (width > largestSide || height > largestSide) {
        problem = "is " + size + ", larger than the " + std::to_string(largestSide) + " pixels a side this GL allows";
        return nullptr;
    }
    if (static_cast<double>(width) * height > kMostPixelsPerByte * static_cast<double>(bytes.size())) {
        problem = "claims " + size + " pixels, more than its " + std::to_string(bytes.size()) + " bytes can hold";
        return nullptr;
    }
    Pixels pixels = reader->decode(bytes, width, height);
    if (pixels)
        dimensions = glm::ivec2(width, height);
    return pixels.release();
}

void vroTextureAsset::LoadData(int largestSide)
{
    assert(data == nullptr && "an asset is decoded once; its buffer belongs to the texture");
    std::vector<unsigned char> bytes;
    std::string problem;
    if (readWholeFile(fileName, bytes, problem))
        data = Decode(bytes, largestSide, dimensions, problem);
    if (data)
        return;
    if (problem.empty())
        std::fprintf(stderr, "texture: cannot decode \"%s\"\n", fileName.c_str());
    else
        std::fprintf(stderr, "texture: \"%s\" %s\n", fileName.c_str(), problem.c_str());
}
