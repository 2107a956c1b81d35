#include "captureOptions.h"

#include "optionValues.h"
#include "vroDeclaration.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

bool parsePositiveSize(const std::string& text, CaptureOptions& options)
{
    const auto size = parseSize(text);
    if (!size || size->x == 0 || size->y == 0)
        return false;
    options.width = size->x;
    options.height = size->y;
    return true;
}

// Reads the value of one option; false with `error` set when it is not valid.
bool applyValue(const std::string& name, const std::string& value, CaptureOptions& options, std::string& error)
{
    if (name == "--fps") {
        const auto fps = parseNumber(value);
        if (!fps || *fps <= 0.0 || *fps > 1000.0) {
            error = "--fps needs a positive number of frames per second up to 1000, not \"" + value + "\"";
            return false;
        }
        options.fps = *fps;
    } else if (name == "--size") {
        if (!parsePositiveSize(value, options)) {
            error = "--size needs WIDTHxHEIGHT of positive whole numbers, not \"" + value + "\"";
            return false;
        }
    } else if (name == "--from" || name == "--to") {
        const auto seconds = parseNumber(value);
        if (!seconds) {
            error = name + " needs seconds of music, not \"" + value + "\"";
            return false;
        }
        if (name == "--from")
            options.from = *seconds;
        else
            options.to = *seconds;
    } else if (name == "--out") {
        if (value.empty()) {
            error = "--out needs a file name";
            return false;
        }
        options.out = value;
    } else if (name == "--crf") {
        const auto crf = parseWholeNumber(value);
        if (!crf || *crf > 51) {
            error = "--crf needs a whole number from 0 to 51, not \"" + value + "\"";
            return false;
        }
        options.crf = *crf;
    } else if (name == "--convert") {
        if (value != "gpu" && value != "ffmpeg") {
            error = "--convert needs gpu or ffmpeg, not \"" + value + "\"";
            return false;
        }
        options.conversion = value == "gpu" ? CaptureOptions::Conversion::gpu : CaptureOptions::Conversion::ffmpeg;
    }
    return true;
}

bool takesValue(const std::string& name)
{
    for (const char* option : {"--fps", "--size", "--from", "--to", "--out", "--crf", "--convert"})
        if (name == option)
            return true;
    return false;
}

} // namespace

std::optional<CaptureOptions> parseCaptureOptions(int argc, char** argv, const vroDeclaration& declaration,
                                                  std::string& error)
{
    CaptureOptions options;
    options.width = declaration.width;
    options.height = declaration.height;
    options.out = declaration.name + ".mp4";
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> value;
        if (const size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--no-audio" && !value) {
            options.audio = false;
        } else if (name == "--audio-only" && !value) {
            options.audioOnly = true;
        } else if (name == "--stats") {
            options.stats = true;
            // The CSV file is optional: only a following word ending in .csv is taken.
            if (value)
                options.statsCsv = *value;
            else if (i + 1 < argc && std::strlen(argv[i + 1]) > 4
                     && std::strcmp(argv[i + 1] + std::strlen(argv[i + 1]) - 4, ".csv") == 0)
                options.statsCsv = argv[++i];
        } else if (takesValue(name)) {
            if (!value) {
                if (i + 1 >= argc) {
                    error = name + " needs a value";
                    return std::nullopt;
                }
                value = argv[++i];
            }
            if (!applyValue(name, *value, options, error))
                return std::nullopt;
        } else if (std::strcmp(argv[i - 1], "--stats") == 0 && argv[i][0] != '-') {
            // Taken for a file name, which it is, not for an option.
            error = "--stats takes a CSV file only by a name ending in .csv, not \"" + std::string(argv[i]) + "\"";
            return std::nullopt;
        } else {
            error = "unknown option \"" + std::string(argv[i]) + "\"";
            return std::nullopt;
        }
    }
    if (options.audioOnly && !options.audio) {
        error = "--audio-only and --no-audio leave nothing to write";
        return std::nullopt;
    }
    if (!options.statsCsv.empty()
        && std::filesystem::path(options.statsCsv).lexically_normal()
               == std::filesystem::path(options.out).lexically_normal()) {
        error = "--stats and --out name the same file, \"" + options.out + "\"; the table would replace the capture";
        return std::nullopt;
    }
    if (options.audioOnly && options.writesPictures()) {
        error = "--audio-only writes one WAV file, not a folder";
        return std::nullopt;
    }
    return options;
}

std::string captureUsage(const vroDeclaration& declaration)
{
    return "usage: " + declaration.name + "-capture [options]\n"
           "Renders the production off-line at a fixed frame rate, frame n at music time n / fps,\n"
           "and writes a video with its music. Run it from the run folder (it reads the same data).\n"
           "\n"
           "  --fps N         frames per second, a positive number up to 1000 (default 60)\n"
           "  --size WxH      picture size in pixels (default " + sizeText({declaration.width, declaration.height}) + ")\n"
           "  --from S        first second of music; frames n with from <= n/fps < to (default 0)\n"
           "  --to S          end in seconds of music, not included (default: the end of the tune)\n"
           "  --out FILE      output file (default " + declaration.name + ".mp4); a name ending in / writes\n"
           "                  frame_NNNNNN.png into that folder, NNNNNN the global frame number,\n"
           "                  and the range's music as audio.wav beside them\n"
           "  --no-audio      no music track (no audio.wav for pictures)\n"
           "  --audio-only    write only the range's music, as 16-bit PCM WAV, to --out (default off)\n"
           "  --crf N         H.264 quality (x264, fastest preset), 0 (lossless) to 51 (default 18)\n"
           "  --convert WHERE where a video's frames become yuv420p (BT.709, limited range): gpu, or\n"
           "                  ffmpeg from the frames as drawn (default: ffmpeg on a software\n"
           "                  renderer, else gpu)\n"
           "  --stats [F.csv] CPU and GPU time per frame for each part, as a table on standard error\n"
           "                  at the end and, given a name ending in .csv, as CSV too (default off)\n"
           "  --help          this text\n"
           "\n"
           "Exit status: 0 done, 1 failed or interrupted, 2 bad options.\n";
}
