#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct vroDeclaration;

// What one capture is asked to do, as read from the command line.
struct CaptureOptions {
    double fps = 60.0;
    int width = 0; // the declared size unless --size says otherwise
    int height = 0;
    double from = 0.0;
    std::optional<double> to; // the end of the tune when not given
    std::string out; // NAME.mp4 for production NAME unless --out says otherwise
    bool audio = true;
    bool audioOnly = false;
    int crf = 18;
    // Where a video's frames become yuv420p: on the GPU, or in ffmpeg from
    // the frames as drawn. Left open, the renderer settles it
    // (checkBeforeLoading).
    enum class Conversion { byRenderer, gpu, ffmpeg } conversion = Conversion::byRenderer;
    bool stats = false;
    std::string statsCsv; // empty: the table only
    bool help = false;

    // A name ending in '/' (or the system's own separator, '\\' on Windows)
    // asks for a folder of numbered pictures.
    // The output as a path: option values are UTF-8 on every platform.
    std::filesystem::path outPath() const { return std::filesystem::u8path(out); }
    bool writesPictures() const
    {
        return !out.empty() && (out.back() == '/' || out.back() == std::filesystem::path::preferred_separator);
    }
};

// The options, or one line naming what is wrong with them in `error`; the
// defaults are the declaration's.
std::optional<CaptureOptions> parseCaptureOptions(int argc, char** argv, const vroDeclaration& declaration,
                                                  std::string& error);

// Every option with its default, for --help and after a usage error.
std::string captureUsage(const vroDeclaration& declaration);
