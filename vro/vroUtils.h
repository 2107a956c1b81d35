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
    // Makes what a program says harmless to the program, whatever it was
    // started with: a closed standard input, output or error is opened on
    // /dev/null, so that no file, pipe or X connection opened later takes
    // that number and gets the program's messages written into it; and a
    // reader that went away (SIGPIPE) only makes the messages go nowhere.
    static void SettleStandardStreams();
    // Whether a GL_RENDERER string names a rasteriser that runs on the CPU
    // (Mesa's llvmpipe, softpipe and swrast, SwiftShader, Windows' WARP),
    // whose drawing shares the cores with everything else the program does.
    static bool isSoftwareRenderer(const std::string& renderer);
};
