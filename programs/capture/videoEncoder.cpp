#include "videoEncoder.h"

#include "outputFiles.h"

#include <cstdio>

namespace {

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// The frames' colours: given to ffmpeg for its output, so that x264 writes
// them into the stream and the muxer into the container (players that find
// no label guess, and not all alike), and for frames the GPU converted, for
// its input too, so that it converts nothing.
const std::vector<std::string> kBt709LimitedRange = {"-color_primaries", "bt709", "-color_trc", "bt709",
                                                     "-colorspace", "bt709", "-color_range", "tv"};

} // namespace

VideoEncoder::VideoEncoder(Settings settings)
    : settings(std::move(settings)),
      partial(temporaryBeside(this->settings.output, "capture")),
      log(std::filesystem::path(this->settings.output) += ".ffmpeg.log")
{
}

VideoEncoder::~VideoEncoder()
{
    if (encoder.isRunning())
        Abandon();
}

// "file:" keeps a name with ':' or a leading '-' a plain file name for ffmpeg.
std::vector<std::string> VideoEncoder::arguments() const
{
    const bool converted = settings.frames == Pixels::yuv420p;
    const char* const input = converted ? "yuv420p" : settings.frames == Pixels::bgra ? "bgra" : "rgba";
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-nostats", "-loglevel", "warning", "-y",
                                     "-f", "rawvideo", "-pix_fmt", input};
    if (converted)
        args.insert(args.end(), kBt709LimitedRange.begin(), kBt709LimitedRange.end());
    args.insert(args.end(), {"-s", std::to_string(settings.width) + "x" + std::to_string(settings.height),
                             "-framerate", number(settings.fps), "-i", "pipe:0"});
    if (!settings.audioWav.empty())
        args.insert(args.end(), {"-i", "file:" + settings.audioWav.u8string()});
    args.insert(args.end(), {"-map", "0:v"});
    if (!settings.audioWav.empty())
        args.insert(args.end(), {"-map", "1:a"});
    // ffmpeg's own conversion takes BT.601 unless told.
    if (!converted)
        args.insert(args.end(), {"-vf", "scale=out_color_matrix=bt709:out_range=tv"});
    // The encoder shares the cores with software GL: x264's fastest preset
    // takes about 10 ms of CPU for a 1280x720 frame, "veryfast" 37 ms, for
    // files about a fifth larger at the same quality.
    args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-crf", std::to_string(settings.crf),
                             "-pix_fmt", "yuv420p"});
    args.insert(args.end(), kBt709LimitedRange.begin(), kBt709LimitedRange.end());
    if (!settings.audioWav.empty())
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
    args.insert(args.end(), {"-movflags", "+faststart", "file:" + partial.u8string()});
    return args;
}

bool VideoEncoder::Start()
{
    // A pipe that holds a whole frame lets this process draw frame n+1 while
    // ffmpeg still encodes n-1.
    const size_t pixels = static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height);
    const size_t frameBytes = settings.frames == Pixels::yuv420p ? pixels * 3 / 2 : pixels * 4;
    std::string problem;
    if (!encoder.Start(arguments(), log, frameBytes, problem)) {
        removeTemporaryFiles(false);
        std::fprintf(stderr, "capture: cannot start ffmpeg: %s\n", problem.c_str());
        return false;
    }
    return true;
}

bool VideoEncoder::Write(long, const std::vector<std::uint8_t>& pixels)
{
    size_t done = 0;
    while (done < pixels.size()) {
        // A signal cuts a blocked write short, with or without part of the
        // frame taken; only a stop request ends the frame there.
        if (stopRequested())
            return false;
        const std::ptrdiff_t written = encoder.Write(pixels.data() + done, pixels.size() - done);
        if (written < 0) {
            encoderFailed = true;
            std::fprintf(stderr, "capture: ffmpeg stopped taking frames, see \"%s\"\n", log.u8string().c_str());
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool VideoEncoder::Finish()
{
    encoder.CloseInput();
    const bool exitedCleanly = encoder.Wait(settings.stop);
    if (stopRequested()) {
        removeTemporaryFiles(false);
        return false;
    }
    if (!exitedCleanly) {
        removeTemporaryFiles(true);
        std::fprintf(stderr, "capture: ffmpeg failed, see \"%s\"\n", log.u8string().c_str());
        return false;
    }
    std::error_code failed;
    std::filesystem::rename(partial, settings.output, failed);
    if (failed) {
        removeTemporaryFiles(true);
        std::fprintf(stderr, "capture: cannot rename \"%s\" to \"%s\": %s\n", partial.u8string().c_str(),
                     settings.output.u8string().c_str(), failed.message().c_str());
        return false;
    }
    removeTemporaryFiles(false);
    return true;
}

void VideoEncoder::Abandon()
{
    encoder.CloseInput();
    if (encoder.isRunning())
        encoder.Kill();
    // The log of an encoder that failed has been named to the user.
    removeTemporaryFiles(encoderFailed);
}

void VideoEncoder::removeTemporaryFiles(bool keepLog)
{
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    if (!keepLog)
        std::filesystem::remove(log, ignored);
}
