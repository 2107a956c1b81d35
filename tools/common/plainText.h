#pragma once

#include <string_view>

// The text without the UTF-8 byte order mark some editors put at its start,
// which would otherwise stick to the first word.
std::string_view withoutByteOrderMark(std::string_view text);
