#include "plainText.h"

std::string_view withoutByteOrderMark(std::string_view text)
{
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    if (text.substr(0, mark.size()) == mark)
        text.remove_prefix(mark.size());
    return text;
}
