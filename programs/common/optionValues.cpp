#include "optionValues.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::optional<double> parseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseWholeNumber(const std::string& text)
{
    // Six digits keep every value inside an int.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 6)
        return std::nullopt;
    return std::atoi(text.c_str());
}

std::optional<glm::ivec2> parseSize(const std::string& text)
{
    const size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto width = parseWholeNumber(text.substr(0, x));
    const auto height = parseWholeNumber(text.substr(x + 1));
    if (!width || !height)
        return std::nullopt;
    return glm::ivec2(*width, *height);
}

std::string sizeText(glm::ivec2 size)
{
    return std::to_string(size.x) + "x" + std::to_string(size.y);
}
