#include "vroFont.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "vroGL.h"

namespace {

constexpr FT_ULong kReferenceGlyph = 'M';
constexpr FT_ULong kSpace = ' ';

// FreeType's 26.6 fixed point to whole pixels, rounding towards minus
// infinity.
int pixels(FT_Pos value)
{
    return static_cast<int>(value >> 6);
}

struct CodePoint {
    FT_ULong code;
    std::size_t length;
};

// The UTF-8 sequence a lead byte opens: its length (0 for a byte that opens
// none), the payload bits of the lead byte and the smallest code point the
// sequence may carry (anything smaller is an overlong form).
struct SequenceForm {
    std::size_t length;
    std::uint8_t payloadMask;
    FT_ULong smallest;
};

SequenceForm sequenceFormOf(std::uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x1F, 0x80};
    if (lead >= 0xE0 && lead <= 0xEF)
        return {3, 0x0F, 0x800};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {4, 0x07, 0x10000};
    return {0, 0, 0};
}

// The code point starting at text[index] and the number of bytes it takes.
// Text is UTF-8; a byte that does not start a well-formed sequence stands for
// itself as Latin-1, so plain ASCII maps byte for byte.
CodePoint decodeAt(const std::string& text, std::size_t index)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byteAt(index);
    const CodePoint asLatin1{lead, 1};
    const SequenceForm form = sequenceFormOf(lead);
    if (form.length == 0 || index + form.length > text.size())
        return asLatin1;
    FT_ULong code = lead & form.payloadMask;
    for (std::size_t i = 1; i < form.length; ++i) {
        const std::uint8_t next = byteAt(index + i);
        if ((next & 0xC0) != 0x80)
            return asLatin1;
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < form.smallest || surrogate || code > 0x10FFFF)
        return asLatin1;
    return {code, form.length};
}

// Only 8-bit coverage rows of exactly `width` bytes can go to GL as they are.
bool isPackedCoverage(const FT_Bitmap& bitmap)
{
    return bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.pitch == static_cast<int>(bitmap.width);
}

} // namespace

vroFont::vroFont(FT_Library& library, std::string fileName)
    : library(library)
    , fileName(std::move(fileName))
{
}

vroFont::~vroFont()
{
    if (face)
        FT_Done_Face(face);
}

FT_Error vroFont::Load()
{
    if (face)
        FT_Done_Face(face);
    face = nullptr;
    // Only a file is opened: a FIFO without a writer would block FreeType for ever.
    // FreeType opens it through the C library, which takes UTF-8 names on
    // Windows too: the programs declare it their code page there.
    std::error_code ignored;
    const FT_Error error = std::filesystem::is_regular_file(std::filesystem::u8path(fileName), ignored)
                               ? FT_New_Face(library, fileName.c_str(), 0, &face)
                               : FT_Err_Cannot_Open_Resource;
    if (error != 0) {
        face = nullptr;
        std::fprintf(stderr, "font: cannot open \"%s\"\n", fileName.c_str());
    }
    return error;
}

void vroFont::RenderText(std::string text, int size, glm::ivec2 start, glm::ivec2 canvas)
{
    if (!face)
        return;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    FT_Load_Char(face, kReferenceGlyph, FT_LOAD_RENDER);
    const FT_GlyphSlot glyph = face->glyph;
    // The pen runs in 64 bits so that no text, however long or far out,
    // overflows it; whatever lands on the canvas fits in an int.
    std::int64_t penX = std::int64_t{start.x} + pixels(glyph->metrics.horiBearingX);
    std::int64_t penY = std::int64_t{start.y} - pixels(glyph->metrics.vertBearingY);

    for (std::size_t index = 0; index < text.size();) {
        const CodePoint character = decodeAt(text, index);
        index += character.length;
        if (character.code == kSpace) {
            // A space advances by whatever glyph was loaded last.
            penX += pixels(glyph->advance.x);
            continue;
        }
        FT_Load_Char(face, character.code, FT_LOAD_RENDER);
        const FT_Bitmap& bitmap = glyph->bitmap;
        const std::int64_t x = penX + glyph->bitmap_left;
        const std::int64_t y = penY + (std::int64_t{size} - glyph->bitmap_top) - size / 2;
        const bool inside = x >= 1 && y >= 1 && x + bitmap.width < canvas.x && y + bitmap.rows < canvas.y;
        if (inside && bitmap.buffer && isPackedCoverage(bitmap))
            uploadCoverage(static_cast<GLint>(x), static_cast<GLint>(y), static_cast<GLsizei>(bitmap.width),
                           static_cast<GLsizei>(bitmap.rows), bitmap.buffer);
        penX += pixels(glyph->advance.x);
        penY += pixels(glyph->advance.y);
    }
}
