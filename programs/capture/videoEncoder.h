#pragma once

#include "frameSink.h"
#include "vroChildProcess.h"

#include <csignal>
#include <filesystem>
#include <string>

// H.264 video in yuv420p (BT.709, limited range) made by ffmpeg, labelled as
// such in the stream and the container, with an optional WAV file muxed in
// as AAC. Its frames come raw through a pipe: in yuv420p, converted on the
// GPU, which ffmpeg encodes as they are; or in RGBA or BGRA, which ffmpeg
// converts with the same matrix and range (cheaper where the GPU is the
// CPU). ffmpeg is started from an argument vector (no shell), in a process
// group of its own so that a Ctrl-C reaches only this program, which then
// stops it. It writes under a temporary name beside the output that is
// renamed into place only when ffmpeg has finished successfully; its
// standard error goes to "<output>.ffmpeg.log", removed on success and named
// in the error line on failure.
class VideoEncoder : public FrameSink {
public:
    struct Settings {
        std::filesystem::path output;
        int width = 0;
        int height = 0;
        double fps = 0.0;
        int crf = 18;
        std::filesystem::path audioWav; // empty: no audio track
        // Raised by a stop signal: a write blocked on a stalled ffmpeg gives up.
        const volatile std::sig_atomic_t* stop = nullptr;
        Pixels frames = Pixels::yuv420p;
    };

    explicit VideoEncoder(Settings settings);
    ~VideoEncoder() override;

    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Starts ffmpeg; false after one line on standard error when it cannot.
    bool Start();
    Pixels takes() const override { return settings.frames; }
    bool Write(long number, const std::vector<std::uint8_t>& pixels) override;
    // False without a word when a stop was asked meanwhile: the caller says it.
    bool Finish() override;
    void Abandon() override;

private:
    // ffmpeg's command line, one word per argument.
    std::vector<std::string> arguments() const;
    bool stopRequested() const { return settings.stop && *settings.stop; }
    void removeTemporaryFiles(bool keepLog);

    Settings settings;
    std::filesystem::path partial;
    std::filesystem::path log;
    vroChildProcess encoder;
    bool encoderFailed = false;
};
