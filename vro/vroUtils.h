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
    // Whether a GL_RENDERER string names a rasteriser that runs on the CPU
    // (Mesa's llvmpipe, softpipe and swrast, SwiftShader, Windows' WARP),
    // whose drawing shares the cores with everything else the program does.
    static bool isSoftwareRenderer(const std::string& renderer);
};
