#include "captureRun.h"

#include "frameCapture.h"
#include "outputFiles.h"
#include "partStats.h"
#include "pngSequence.h"
#include "rangeAudio.h"
#include "videoEncoder.h"
#include "vroProcessPlatform.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

// Xlib ends the program with exit() when the X server goes away, and the
// window class does when it cannot make its window: what a capture has under
// way is undone then as on a stop signal, its encoder stopped and its
// temporary files removed.
struct UnderWay {
    FrameSink* sink = nullptr;
    std::filesystem::path temporaryMusic;
} underWay;

void undoWhatIsUnderWay()
{
    if (underWay.sink)
        underWay.sink->Abandon();
    std::error_code ignored;
    if (!underWay.temporaryMusic.empty())
        std::filesystem::remove(underWay.temporaryMusic, ignored);
}

bool fail(const std::string& problem)
{
    std::fprintf(stderr, "capture: %s\n", problem.c_str());
    return false;
}

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(value) < 1e9 ? "%.3f s" : "%.3g s", value);
    return text;
}

// The range of the options within a tune of `length` seconds, or nothing
// after one line naming what is wrong.
std::optional<FrameRange> rangeWithin(const CaptureOptions& options, double length)
{
    const double to = options.to.value_or(length);
    // The tune's last frame may end past the music: a --to up to there adds
    // no frame (split captures pass such frame boundaries). Both ends are
    // checked before they are turned into frame numbers, which they may not fit.
    const FrameRange tune = FrameRange::covering(0.0, length, options.fps);
    const double end = tune.seconds(tune.end) + 1e-9;
    if (options.from < 0.0 || options.from > end || to < 0.0 || to > end) {
        fail("the range " + seconds(options.from) + " to " + seconds(to) + " lies outside the tune (0 to "
             + seconds(length) + ")");
        return std::nullopt;
    }
    const FrameRange range = FrameRange::covering(options.from, to, options.fps);
    if (range.count() <= 0) {
        fail("the range " + seconds(options.from) + " to " + seconds(to) + " holds no frame at "
             + std::to_string(options.fps) + " frames per second");
        return std::nullopt;
    }
    return range;
}

std::filesystem::path audioFileFor(const CaptureOptions& options)
{
    if (!options.audio)
        return {};
    if (options.writesPictures())
        return options.outPath() / "audio.wav";
    return temporaryBeside(options.outPath().replace_extension(".wav"), "capture-audio");
}

std::unique_ptr<FrameSink> makeSink(const CaptureOptions& options, const std::filesystem::path& audio)
{
    if (options.writesPictures())
        return std::make_unique<PngSequence>(options.outPath(), options.width, options.height);
    const FrameSink::Pixels frames = options.conversion == CaptureOptions::Conversion::ffmpeg
        ? FrameSink::Pixels::bgra
        : FrameSink::Pixels::yuv420p;
    auto encoder = std::make_unique<VideoEncoder>(VideoEncoder::Settings{
        options.outPath(), options.width, options.height, options.fps, options.crf, audio, &stopRequested, frames});
    if (!encoder->Start())
        return nullptr;
    return encoder;
}

// The file's size, or for a folder of pictures the size of the range's pictures.
std::uintmax_t bytesWritten(const CaptureOptions& options, const FrameRange& range)
{
    std::error_code unknown;
    if (!options.writesPictures())
        return std::filesystem::file_size(options.outPath(), unknown);
    std::uintmax_t bytes = 0;
    for (long frame = range.first; frame < range.end; ++frame) {
        const auto size = std::filesystem::file_size(options.outPath() / PngSequence::fileName(frame), unknown);
        if (!unknown)
            bytes += size;
    }
    return bytes;
}

void printSummary(const CaptureOptions& options, const FrameRange& range, double elapsed)
{
    const std::string& file = options.out;
    const std::uintmax_t bytes = bytesWritten(options, range);
    std::fprintf(stderr, "capture: wrote \"%s\": %ld frames, %.3f s, %llu bytes, %.2f frames/s\n", file.c_str(),
                 range.count(), static_cast<double>(range.count()) / range.fps, static_cast<unsigned long long>(bytes),
                 elapsed > 0.0 ? static_cast<double>(range.count()) / elapsed : 0.0);
}

// Checks the range against the tune and writes its music: to --out alone with
// --audio-only, else to `audioFile` unless that is empty. The range, or nothing.
std::optional<FrameRange> writeMusic(const CaptureOptions& options, const std::string& tune,
                                     const std::filesystem::path& audioFile)
{
    RangeAudio audio(tune);
    std::optional<FrameRange> range;
    if (!audio.isOpen() || !(range = rangeWithin(options, audio.lengthSeconds())))
        return std::nullopt;
    const std::filesystem::path target = options.audioOnly ? options.outPath() : audioFile;
    if (!target.empty() && !audio.WriteWav(*range, target))
        return std::nullopt;
    return range;
}

// Draws the range into the sink and finishes it; on interruption or failure
// abandons it. False after one line on standard error.
bool captureFrames(const CaptureOptions& options, const vroDeclaration& declaration, const vroShow::Factory& create,
                   const FrameRange& range, FrameSink& sink, PartStats& stats)
{
    bool drawn = false;
    {
        FrameCapture capture(declaration, create, options.width, options.height);
        drawn = capture.Run(range, sink, options.stats ? &stats : nullptr, stopRequested);
    }
    if (drawn && !stopRequested) {
        // A stop asked while the encoder finishes its file is named below.
        const bool finished = sink.Finish();
        if (finished || !stopRequested)
            return finished;
    } else {
        sink.Abandon();
        if (!stopRequested)
            return false;
    }
    if (options.writesPictures())
        return fail("interrupted; the pictures finished so far stay in \"" + options.out + "\"");
    return fail("interrupted; nothing was written under \"" + options.out + "\"");
}

// Everything that runCapture does within its folder of pictures.
bool captureMusicAndFrames(const CaptureOptions& options, const vroDeclaration& declaration,
                           const vroShow::Factory& create)
{
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    // The music is decoded before the engine starts the audio layer for playing.
    const std::filesystem::path audioFile = options.audioOnly ? std::filesystem::path() : audioFileFor(options);
    const std::optional<FrameRange> range = writeMusic(options, declaration.tune, audioFile);
    if (!range)
        return false;
    if (options.audioOnly) {
        printSummary(options, *range, elapsed());
        return true;
    }

    const std::unique_ptr<FrameSink> sink = makeSink(options, audioFile);
    PartStats stats;
    underWay = {sink.get(), options.writesPictures() ? std::filesystem::path() : audioFile};
    const bool done = sink && captureFrames(options, declaration, create, *range, *sink, stats);
    underWay = {};
    // The music feeds the encoder; beside a video it is only temporary.
    std::error_code ignored;
    if (!options.writesPictures() && !audioFile.empty())
        std::filesystem::remove(audioFile, ignored);
    if (!done)
        return false;
    printSummary(options, *range, elapsed());
    if (options.stats) {
        stats.PrintTable(stderr);
        if (!options.statsCsv.empty() && !stats.WriteCsv(options.statsCsv))
            return false;
    }
    return true;
}

// Makes the folder of pictures when it is missing; true when it was made.
bool makePictureFolder(const CaptureOptions& options)
{
    std::error_code ignored;
    return options.writesPictures() && std::filesystem::create_directory(options.outPath(), ignored);
}

} // namespace

bool runCapture(const CaptureOptions& options, const vroDeclaration& declaration, const vroShow::Factory& create)
{
    vroProcessPlatform::CatchStopSignals(requestStop);
    std::atexit(undoWhatIsUnderWay);
    const bool madeFolder = makePictureFolder(options);
    const bool done = captureMusicAndFrames(options, declaration, create);
    // Removes it only when empty: pictures finished before an interruption stay.
    std::error_code ignored;
    if (!done && madeFolder)
        std::filesystem::remove(options.outPath(), ignored);
    return done;
}
