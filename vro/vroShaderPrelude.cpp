#include "vroShaderPrelude.h"

#include <string_view>

vroShaderPrelude::Dialect vroShaderPrelude::platform()
{
#ifdef __EMSCRIPTEN__
    return Dialect::es;
#else
    return Dialect::desktop;
#endif
}

std::string vroShaderPrelude::text(Dialect dialect)
{
    // "#line 1" numbers the line after it 1 in GLSL 4.10 and ES 3.00 alike, as
    // in C (GLSL before 3.30 counted one more); Mesa and glslang agree.
    if (dialect == Dialect::es)
        return "#version 300 es\nprecision highp float;\nprecision highp int;\n#line 1\n";
    return "#version 410 core\n#line 1\n";
}

std::string vroShaderPrelude::Apply(const std::string& source, Dialect dialect)
{
    return hasOwnVersion(source) ? source : text(dialect) + source;
}

bool vroShaderPrelude::hasOwnVersion(const std::string& source)
{
    size_t at = 0;
    while (at < source.size()) {
        if (std::string_view(" \t\r\n\f\v").find(source[at]) != std::string_view::npos) {
            ++at;
        } else if (source.compare(at, 2, "//") == 0) {
            at = source.find('\n', at);
        } else if (source.compare(at, 2, "/*") == 0) {
            const size_t end = source.find("*/", at + 2);
            at = end == std::string::npos ? end : end + 2;
        } else {
            break;
        }
    }
    if (at >= source.size() || source[at] != '#')
        return false;
    at = source.find_first_not_of(" \t", at + 1);
    return at != std::string::npos && source.compare(at, 7, "version") == 0;
}
