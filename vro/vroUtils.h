#pragma once

#include <string>

// Stateless helpers of the engine.
class vroUtils {
public:
    // The file's whole contents, byte for byte; an empty text when the file
    // is missing or unreadable.
    static std::string ReadTextFile(std::string path);
    // Leaves `unit` active with no 2D texture bound.
    static void ClearTextureSlot(unsigned unit);
};
