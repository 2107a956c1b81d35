#pragma once

#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <glm/vec2.hpp>

// One FreeType face that draws a line of text straight into the texture
// bound on the active unit, one glyph bitmap at a time. Nothing is cached:
// every call sets the size and rasterises every glyph again.
class vroFont {
public:
    vroFont(FT_Library& library, std::string fileName);
    ~vroFont();

    vroFont(const vroFont&) = delete;
    vroFont& operator=(const vroFont&) = delete;

    // Opens the face; a file FreeType cannot open is named on standard error
    // and leaves a font that draws nothing.
    FT_Error Load();
    // `start` and `canvas` are in canvas pixels, row 0 being the texture's
    // first row. A glyph touching the canvas border or crossing it is left
    // out whole; glyph rectangles replace the texels under them.
    void RenderText(std::string text, int size, glm::ivec2 start, glm::ivec2 canvas);

private:
    FT_Face face = nullptr;
    FT_Library library;
    std::string fileName;
};
