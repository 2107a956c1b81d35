#include "vroFontManager.h"

#include "vroFont.h"
#include "vroProgressBar.h"

#include <cstdio>

vroFontManager::vroFontManager()
{
    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        std::fputs("font: cannot start FreeType\n", stderr);
    }
}

vroFontManager::~vroFontManager()
{
    // The faces belong to the library and go before it.
    fonts.clear();
    if (library)
        FT_Done_FreeType(library);
}

void vroFontManager::addFont(std::string name, std::string fileName)
{
    ++count;
    fonts.try_emplace(std::move(name), std::make_unique<vroFont>(library, std::move(fileName)));
}

void vroFontManager::Load(vroProgressBar& progressBar)
{
    for (auto& entry : fonts) {
        entry.second->Load();
        progressBar.Advance();
    }
}

vroFont* vroFontManager::getFont(std::string name)
{
    const auto found = fonts.find(name);
    return found == fonts.end() ? nullptr : found->second.get();
}
