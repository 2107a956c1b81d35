#include "videoEncoder.h"

#include "outputFiles.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
      log(this->settings.output.string() + ".ffmpeg.log")
{
}

VideoEncoder::~VideoEncoder()
{
    if (encoder > 0)
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
        args.insert(args.end(), {"-i", "file:" + settings.audioWav.string()});
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
    args.insert(args.end(), {"-movflags", "+faststart", "file:" + partial.string()});
    return args;
}

// A pipe that holds a whole frame takes frame n at once, and this process
// draws frame n+1 while ffmpeg still encodes n-1; a default pipe
// (64 KiB) makes every write wait for ffmpeg. Linux grants unprivileged users
// up to its pipe-max-size (1 MiB unless raised), which still helps; a pipe
// that cannot grow only costs time.
void VideoEncoder::growPipe(int pipe, size_t frameBytes)
{
    constexpr size_t kUnprivilegedLimit = size_t{1} << 20;
    const size_t wanted = std::min<size_t>(frameBytes, std::numeric_limits<int>::max());
    if (fcntl(pipe, F_SETPIPE_SZ, static_cast<int>(wanted)) < 0 && wanted > kUnprivilegedLimit)
        fcntl(pipe, F_SETPIPE_SZ, static_cast<int>(kUnprivilegedLimit));
}

bool VideoEncoder::Start()
{
    // Whoever started this program may have left SIGCHLD ignored; then the
    // system reaps ffmpeg itself, waitpid has no status to give, and a failed
    // encoding would pass for a finished one.
    signal(SIGCHLD, SIG_DFL);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "capture: cannot make a pipe to ffmpeg: %s\n", std::strerror(errno));
        return false;
    }
    // Opened here rather than by the spawn, whose failure would blame ffmpeg.
    const int logFile = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFile < 0) {
        std::fprintf(stderr, "capture: cannot write ffmpeg's log \"%s\": %s\n", log.c_str(), std::strerror(errno));
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    const size_t pixels = static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height);
    growPipe(ends[1], settings.frames == Pixels::yuv420p ? pixels * 3 / 2 : pixels * 4);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, logFile, STDERR_FILENO);

    // Its own process group: a Ctrl-C at the terminal is this program's to
    // handle. Default signal handling, since ignored signals survive exec.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    const std::vector<std::string> args = arguments();
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int failed = posix_spawnp(&encoder, "ffmpeg", &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    close(ends[0]);
    close(logFile);
    if (failed != 0) {
        encoder = -1;
        close(ends[1]);
        removeTemporaryFiles(false);
        std::fprintf(stderr, "capture: cannot start ffmpeg: %s\n", std::strerror(failed));
        return false;
    }
    pipeToEncoder = ends[1];
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
        const ssize_t written = write(pipeToEncoder, pixels.data() + done, pixels.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            encoderFailed = true;
            std::fprintf(stderr, "capture: ffmpeg stopped taking frames, see \"%s\"\n", log.c_str());
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

int VideoEncoder::waitForEncoder()
{
    int status = 0;
    while (waitpid(encoder, &status, 0) < 0 && errno == EINTR)
        if (stopRequested())
            kill(encoder, SIGKILL); // not waited for any longer, even when stalled
    encoder = -1;
    return status;
}

bool VideoEncoder::Finish()
{
    close(pipeToEncoder);
    pipeToEncoder = -1;
    const int status = waitForEncoder();
    if (stopRequested()) {
        removeTemporaryFiles(false);
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        removeTemporaryFiles(true);
        std::fprintf(stderr, "capture: ffmpeg failed, see \"%s\"\n", log.c_str());
        return false;
    }
    std::error_code failed;
    std::filesystem::rename(partial, settings.output, failed);
    if (failed) {
        removeTemporaryFiles(true);
        std::fprintf(stderr, "capture: cannot rename \"%s\" to \"%s\": %s\n", partial.c_str(),
                     settings.output.c_str(), failed.message().c_str());
        return false;
    }
    removeTemporaryFiles(false);
    return true;
}

void VideoEncoder::Abandon()
{
    if (pipeToEncoder >= 0)
        close(pipeToEncoder);
    pipeToEncoder = -1;
    if (encoder > 0) {
        kill(encoder, SIGKILL);
        waitForEncoder();
    }
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
