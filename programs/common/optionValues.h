#pragma once

#include <optional>
#include <string>

#include <glm/vec2.hpp>

// Values of command-line options, shared by the programs built on the
// production. Each takes the whole text or nothing; the limits that make a
// value sensible are the program's to check.

// A finite number, as strtod reads it.
std::optional<double> parseNumber(const std::string& text);
// Up to six decimal digits, nothing else.
std::optional<int> parseWholeNumber(const std::string& text);
// WIDTHxHEIGHT of whole numbers.
std::optional<glm::ivec2> parseSize(const std::string& text);
// The size as parseSize reads it, for help texts and messages.
std::string sizeText(glm::ivec2 size);
