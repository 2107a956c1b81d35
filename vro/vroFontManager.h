#pragma once

#include <map>
#include <memory>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

class vroFont;
class vroProgressBar;

// The FreeType library and the fonts registered by name. The first font
// registered under a name stays.
class vroFontManager {
public:
    vroFontManager();
    ~vroFontManager();

    vroFontManager(const vroFontManager&) = delete;
    vroFontManager& operator=(const vroFontManager&) = delete;

    void addFont(std::string name, std::string fileName);
    // Counts registrations, so a name registered twice announces one step
    // more than Load makes.
    int HowManyItems() const { return count; }
    // Opens every stored font in name order, one progress step each.
    void Load(vroProgressBar& progressBar);
    // Null for a name that was never registered.
    vroFont* getFont(std::string name);

private:
    FT_Library library = nullptr;
    std::map<std::string, std::unique_ptr<vroFont>> fonts;
    int count = 0;
};
