#include "pageOptions.h"

#include "optionValues.h"

namespace {

// Sizes WebGL 2 is sure to draw: every implementation has 4096-pixel textures.
constexpr int kLargestSide = 4096;

void readStart(const std::string& text, PageOptions& options)
{
    const auto seconds = parseNumber(text);
    if (seconds && *seconds >= 0.0)
        options.start = *seconds;
    else
        options.problems.push_back("?start needs seconds of music, 0 or more, not \"" + text
                                   + "\"; starting at 0");
}

void readSize(const std::string& text, PageOptions& options)
{
    const auto size = parseSize(text);
    if (size && size->x > 0 && size->y > 0 && size->x <= kLargestSide && size->y <= kLargestSide)
        options.size = *size;
    else
        options.problems.push_back("?size needs WIDTHxHEIGHT of whole numbers from 1 to 4096, not \""
                                   + text + "\"; drawing at 1280x720");
}

} // namespace

PageOptions readPageOptions(const std::map<std::string, std::string>& query)
{
    PageOptions options;
    if (const auto start = query.find("start"); start != query.end())
        readStart(start->second, options);
    if (const auto size = query.find("size"); size != query.end())
        readSize(size->second, options);
    options.paused = query.count("paused") != 0;
    return options;
}
