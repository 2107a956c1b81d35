// The capture program run whole on the small data set (flat colours whose
// timing the tracks give), so that what each frame must show is known.
#include "childProcess.h"
#include "smallDataSet.h"
#include "testFiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stb/stb_image.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr double kRowsPerSecond = 127.0 / 60.0 * 8.0;

struct Outcome {
    std::optional<int> status;
    std::string error;
    std::string output;
};

Outcome capture(const TempDir& dir, const std::vector<std::string>& arguments)
{
    ChildProcess program(KELVANDRIX_CAPTURE, dir.path(), arguments);
    Outcome run;
    run.status = program.waitForExit(120s);
    run.error = program.standardError();
    run.output = program.standardOutput();
    return run;
}

std::set<std::string> filesIn(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string expectedDebugLines()
{
    std::string lines;
    for (int i = 0; i < 10; ++i)
        lines += "DEBUG: Getting track data\n";
    return lines;
}

// The small data set's colour at a row (see smallDataSet.h), for rows below 60.
std::array<int, 3> backgroundAtRow(double row)
{
    if (row < 20.0)
        return {255, 0, 0};
    if (row < 40.0)
        return {0, 255, 0};
    return {128, 128, 128};
}

class Capture : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override { makeSmallDataSet(dir); }

    // One line of ffprobe's "key=value" output for the first stream of a kind.
    std::string probe(const std::string& file, const std::string& stream, const std::string& entries) const
    {
        return runCommand("ffprobe -v error -count_frames -select_streams " + stream + " -show_entries stream="
                          + entries + " -of default=nw=1 '" + dir.file(file).string() + "'");
    }
};

TEST_F(Capture, PicturesAreTheSameInEveryRunAndEverySplitAndShowThePartOfTheirTime)
{
    const std::vector<std::string> common = {"--fps", "10", "--size", "48x32", "--no-audio"};
    auto run = [&](const std::string& out, const std::string& from, const std::string& to) {
        std::vector<std::string> arguments = common;
        arguments.insert(arguments.end(), {"--from", from, "--to", to, "--out", out});
        const Outcome result = capture(dir, arguments);
        EXPECT_EQ(result.status, std::optional<int>(0)) << result.error;
        EXPECT_EQ(result.output, expectedDebugLines());
    };
    run("first/", "1", "3");
    run("second/", "1", "3");
    run("split/", "1", "2");
    run("split/", "2", "3");

    std::set<std::string> expected;
    for (int frame = 10; frame < 30; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frame);
        expected.insert(name);
    }
    ASSERT_EQ(filesIn(dir.file("first")), expected);
    ASSERT_EQ(filesIn(dir.file("second")), expected);
    ASSERT_EQ(filesIn(dir.file("split")), expected);

    for (int frame = 10; frame < 30; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frame);
        const std::string first = readFile(dir.file("first") / name);
        EXPECT_EQ(first, readFile(dir.file("second") / name)) << name << " differs between two runs";
        EXPECT_EQ(first, readFile(dir.file("split") / name)) << name << " differs in the split capture";

        // Frame n shows music time n / 10: the part changes at rows 20 and 40,
        // between frames 11 and 12 and between 23 and 24.
        int width = 0, height = 0, channels = 0;
        std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
            stbi_load((dir.file("first") / name).c_str(), &width, &height, &channels, 4), stbi_image_free);
        ASSERT_TRUE(pixels) << name;
        ASSERT_EQ(width, 48);
        ASSERT_EQ(height, 32);
        const auto colour = backgroundAtRow(frame / 10.0 * kRowsPerSecond);
        for (int corner : {0, (width * height - 1) * 4})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(pixels.get()[corner + c], colour[c], 2) << name << " channel " << c;
    }
}

// The real production's ray-marched cubes and post pass read the clock: with
// it held at each frame's music time, two captures agree byte for byte.
TEST(CaptureOfTheProduction, TwoRunsGiveTheSameBytes)
{
    TempDir dir;
    for (const char* out : {"first/", "second/"}) {
        ChildProcess program(KELVANDRIX_CAPTURE, runDir(),
                             {"--fps", "10", "--size", "96x54", "--from", "27.2", "--to", "27.5", "--no-audio",
                              "--out", dir.file(out).string() + "/"});
        ASSERT_EQ(program.waitForExit(60s), std::optional<int>(0)) << program.standardError();
    }
    for (const char* name : {"frame_000272.png", "frame_000273.png", "frame_000274.png"}) {
        const std::string first = readFile(dir.file("first") / name);
        ASSERT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, readFile(dir.file("second") / name)) << name;
    }
}

// The mean difference, over every channel of every pixel, between a picture
// and the first frame of a video decoded to RGB with the BT.709 matrix at
// limited range.
double differenceFromVideo(const std::filesystem::path& picture, const std::filesystem::path& video)
{
    const std::filesystem::path decoded = video.string() + ".rgb";
    runCommand("ffmpeg -v error -i '" + video.string() + "' -vf scale=in_color_matrix=bt709:in_range=tv "
               "-frames:v 1 -f rawvideo -pix_fmt rgb24 '" + decoded.string() + "'");
    const std::string frame = readFile(decoded);
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load(picture.c_str(), &width, &height, &channels, 3),
                                                     stbi_image_free);
    EXPECT_TRUE(pixels && frame.size() == static_cast<size_t>(width) * height * 3) << video;
    if (!pixels || frame.size() != static_cast<size_t>(width) * height * 3)
        return 255.0;
    double sum = 0.0;
    for (size_t i = 0; i < frame.size(); ++i)
        sum += std::abs(static_cast<int>(static_cast<unsigned char>(frame[i])) - static_cast<int>(pixels.get()[i]));
    return sum / static_cast<double>(frame.size());
}

// The production's saturated colours at 30 s, captured as a video and as a
// picture: the video says which colours it holds, in the stream and in the
// container, and decoded as it says it is as close to the picture as
// ffmpeg's own conversion and encoding of that picture, whether the GPU or
// ffmpeg converted it. (Converted with the BT.601 matrix as ffmpeg does by
// default, it was 0.6/255 further off.) On this software renderer the
// capture leaves the conversion to ffmpeg unless told otherwise.
TEST(CaptureOfTheProduction, VideoColoursAreLabelledBt709AndAsCloseAsFfmpegsOwnConversion)
{
    TempDir dir;
    const std::vector<std::vector<std::string>> outputs = {
        {"pictures/"}, {"gpu.mp4", "--convert", "gpu"}, {"ffmpeg.mp4", "--convert", "ffmpeg"}, {"default.mp4"}};
    for (const std::vector<std::string>& out : outputs) {
        std::vector<std::string> arguments = {"--fps", "10", "--size", "160x90", "--from", "30", "--to", "30.1",
                                              "--no-audio", "--out", dir.file(out[0]).string() + (out[0].back() == '/' ? "/" : "")};
        arguments.insert(arguments.end(), out.begin() + 1, out.end());
        ChildProcess program(KELVANDRIX_CAPTURE, runDir(), arguments);
        ASSERT_EQ(program.waitForExit(60s), std::optional<int>(0)) << program.standardError();
    }
    const std::filesystem::path picture = dir.file("pictures") / "frame_000300.png";
    runCommand("ffmpeg -v error -i '" + picture.string() + "' -vf scale=out_color_matrix=bt709:out_range=tv,"
               "format=yuv420p -c:v libx264 -preset ultrafast -crf 18 '" + dir.file("reference.mp4").string() + "'");
    const double byFfmpeg = differenceFromVideo(picture, dir.file("reference.mp4"));
    const std::string colours = "color_range=tv\ncolor_space=bt709\ncolor_transfer=bt709\ncolor_primaries=bt709\n";
    for (const char* video : {"gpu", "ffmpeg"}) {
        const std::filesystem::path file = dir.file(video + std::string(".mp4"));
        const std::filesystem::path stream = dir.file(video + std::string(".h264"));
        runCommand("ffmpeg -v error -i '" + file.string() + "' -c copy -f h264 '" + stream.string() + "'");
        for (const std::filesystem::path& labelled : {file, stream})
            EXPECT_EQ(runCommand("ffprobe -v error -show_entries stream=color_range,color_space,color_transfer,"
                                 "color_primaries -of default=nw=1 '" + labelled.string() + "'"),
                      colours) << labelled;
        // The container's own label: primaries, transfer and matrix 1 (BT.709), not full range.
        EXPECT_NE(readFile(file).find(std::string("colrnclx\0\1\0\1\0\1\0", 15)), std::string::npos) << video;
        const double captured = differenceFromVideo(picture, file);
        EXPECT_LE(captured, byFfmpeg + 0.1) << video << " converted: " << captured << "/255, ffmpeg's own " << byFfmpeg
                                            << "/255";
    }
    EXPECT_TRUE(readFile(dir.file("default.mp4")) == readFile(dir.file("ffmpeg.mp4")));
    EXPECT_FALSE(readFile(dir.file("default.mp4")) == readFile(dir.file("gpu.mp4")));
}

// A tone burst at 1.5 s of the music; the video from 1 s must carry it at 0.5 s.
TEST_F(Capture, VideoHasTheFramesOfTheRangeAndItsMusicInTime)
{
    runCommand("cd '" + dir.path().string() + "' && sox -n -r 44100 -c 2 a.wav trim 0 1.5 && "
               "sox -n -r 44100 -c 2 b.wav synth 0.05 sine 1000 && sox -n -r 44100 -c 2 c.wav trim 0 5.95 && "
               "sox a.wav b.wav c.wav burst.wav && lame --silent -b 192 burst.wav tolvenmark.mp3 && rm a.wav b.wav c.wav burst.wav");
    const auto before = filesIn(dir.path());
    // A name that a shell would split, quote or read as an option.
    const std::string name = "-odd name; 'q'.mp4";
    const Outcome run = capture(dir, {"--fps", "10", "--size", "64x36", "--from", "1", "--to", "3", "--out", name});
    ASSERT_EQ(run.status, std::optional<int>(0)) << run.error;
    EXPECT_EQ(run.output, expectedDebugLines());
    auto after = filesIn(dir.path());
    after.erase(name);
    EXPECT_EQ(after, before) << "temporary files or the encoder's log were left";
    EXPECT_NE(run.error.find("capture: wrote \"" + name + "\": 20 frames, 2.000 s"), std::string::npos) << run.error;
    std::filesystem::rename(dir.file(name), dir.file("probe.mp4"));

    EXPECT_EQ(probe("probe.mp4", "v", "codec_name,width,height,r_frame_rate,pix_fmt,nb_read_frames"),
              "codec_name=h264\nwidth=64\nheight=36\npix_fmt=yuv420p\nr_frame_rate=10/1\nnb_read_frames=20\n");
    EXPECT_EQ(probe("probe.mp4", "a", "codec_name"), "codec_name=aac\n");
    const double audioSeconds = std::atof(probe("probe.mp4", "a", "duration").substr(9).c_str());
    EXPECT_NEAR(audioSeconds, 2.0, 1024.0 / 44100.0);

    runCommand("ffmpeg -v error -i '" + dir.file("probe.mp4").string() + "' -ac 1 -ar 44100 -f s16le '"
               + dir.file("decoded.raw").string() + "'");
    const std::string raw = readFile(dir.file("decoded.raw"));
    ASSERT_GT(raw.size(), 44100u * 2);
    const auto* samples = reinterpret_cast<const std::int16_t*>(raw.data());
    const size_t count = raw.size() / 2;
    int peak = 0;
    for (size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    ASSERT_GT(peak, 4000) << "the tone burst is missing";
    size_t onset = 0;
    while (onset < count && std::abs(static_cast<int>(samples[onset])) < peak / 4)
        ++onset;
    EXPECT_NEAR(static_cast<double>(onset) / 44100.0, 0.5, 0.001);

    // A name about as long as a folder takes: the temporary files beside it
    // must still have names that fit.
    std::filesystem::remove(dir.file("probe.mp4"));
    std::filesystem::remove(dir.file("decoded.raw"));
    const std::string longest = std::string(240, 'v') + ".mp4"; // its log's name is 255 bytes long
    const Outcome longName = capture(dir, {"--fps", "10", "--size", "64x36", "--to", "0.5", "--out", longest});
    EXPECT_EQ(longName.status, std::optional<int>(0)) << longName.error;
    after = filesIn(dir.path());
    after.erase(longest);
    EXPECT_EQ(after, before) << "temporary files or the encoder's log were left";

    // A tone to the tune's very end (7.5 s): the last frame at 7 frames per
    // second lasts to 53/7 s, and the music written past the end is silence.
    runCommand("cd '" + dir.path().string() + "' && sox -n -r 44100 -c 2 tone.wav synth "
               + std::to_string(kSmallDataMusicSeconds) + " sine 440 && lame --silent -b 192 tone.wav tolvenmark.mp3");
    const Outcome tail = capture(dir, {"--fps", "7", "--from", "6", "--audio-only", "--out", "tail.wav"});
    ASSERT_EQ(tail.status, std::optional<int>(0)) << tail.error;
    const std::string wav = readFile(dir.file("tail.wav")).substr(44); // 16-bit stereo after the header
    const auto* frames = reinterpret_cast<const std::int16_t*>(wav.data());
    const size_t end = static_cast<size_t>((kSmallDataMusicSeconds - 6.0) * 44100.0) * 2;
    ASSERT_EQ(wav.size() / 2, static_cast<size_t>(std::lround((53.0 / 7.0 - 6.0) * 44100.0)) * 2);
    EXPECT_GT(*std::max_element(frames + end - 882, frames + end), 8000) << "the tone stops before the tune's end";
    EXPECT_EQ(std::count(frames + end, frames + wav.size() / 2, std::int16_t{0}),
              static_cast<std::ptrdiff_t>(wav.size() / 2 - end))
        << "sound past the tune's end";
}

TEST_F(Capture, BadInputIsOneLineAndWritesNothing)
{
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {{"--frobnicate"}, 2, "capture: unknown option \"--frobnicate\""},
        {{"--fps", "0"}, 2, "capture: --fps needs a positive number"},
        {{"--fps", "ten"}, 2, "capture: --fps needs a positive number"},
        {{"--size", "0x36"}, 2, "capture: --size needs WIDTHxHEIGHT"},
        {{"--size", "64x"}, 2, "capture: --size needs WIDTHxHEIGHT"},
        {{"--stats=v.mp4", "--out", "./v.mp4"}, 2, "capture: --stats and --out name the same file"},
        {{"--stats", "costs.txt"}, 2, "capture: --stats takes a CSV file only by a name ending in .csv, not \"costs.txt\""},
        {{"--size", "99998x99998"}, 1, "is beyond the largest picture this OpenGL renders"},
        {{"--size", "63x36", "--out", "v.mp4"}, 1, "is odd; H.264 video in yuv420p needs an even width and height"},
        // Software GL renders up to 16384 pixels high: a picture that tall, not a video.
        {{"--size", "64x16000", "--convert", "gpu", "--out", "v.mp4"}, 1,
         "is too tall for a video converted on the GPU: this OpenGL converts frames up to 10922"},
        {{"--convert", "cpu"}, 2, "capture: --convert needs gpu or ffmpeg, not \"cpu\""},
        {{"--from", "3", "--to", "2", "--out", "v.mp4"}, 1, "holds no frame"},
        {{"--from", "1", "--to", "9", "--out", "v.mp4"}, 1, "lies outside the tune"},
        {{"--from", "-1", "--out", "v.mp4"}, 1, "lies outside the tune"},
        {{"--from", "1e300", "--audio-only", "--out", "a.wav"}, 1, "lies outside the tune"},
        // One frame lasting 24348 s: a little over 2^32 bytes of music at 44.1 kHz in stereo.
        {{"--fps", "0.0000410709", "--to", "1", "--audio-only", "--out", "a.wav"}, 1, "is more than a WAV file holds"},
        {{"--out", "no/such/folder/v.mp4"}, 1, "cannot write into the folder of \"no/such/folder/v.mp4\""},
        {{"--out", "folder.mp4"}, 1, "\"folder.mp4\" is a folder, not a file"},
        {{"--stats", "folder.csv", "--out", "v.mp4"}, 1, "\"folder.csv\" is a folder, not a file"},
        // Renamed into place, the file would replace the FIFO (as root, a device such as /dev/null).
        {{"--audio-only", "--to", "1", "--out", "fifo.wav"}, 1, "\"fifo.wav\" is a device, FIFO or socket"},
        {{"--stats", "fifo.csv", "--to", "1", "--out", "v.mp4"}, 1, "\"fifo.csv\" is a device, FIFO or socket"},
        // A folder of pictures that would stay empty is not left behind.
        {{"--size", "99998x99998", "--out", "pictures/"}, 1, "is beyond the largest picture"},
        {{"--from", "1", "--to", "9", "--out", "pictures/"}, 1, "lies outside the tune"},
    };
    std::filesystem::create_directory(dir.file("folder.mp4"));
    std::filesystem::create_directory(dir.file("folder.csv"));
    for (const char* fifo : {"fifo.wav", "fifo.csv"})
        ASSERT_EQ(mkfifo(dir.file(fifo).c_str(), 0644), 0);
    const auto before = filesIn(dir.path());
    for (const Case& bad : cases) {
        std::vector<std::string> arguments = {"--size", "64x36"};
        arguments.insert(arguments.end(), bad.arguments.begin(), bad.arguments.end());
        const Outcome run = capture(dir, arguments);
        EXPECT_EQ(run.status, std::optional<int>(bad.status)) << bad.problem << ": " << run.error;
        EXPECT_NE(run.error.find(bad.problem), std::string::npos) << run.error;
        if (bad.status == 1)
            EXPECT_EQ(std::count(run.error.begin(), run.error.end(), '\n'), 1) << run.error;
        else
            EXPECT_NE(run.error.find("usage: kelvandrix-capture"), std::string::npos);
        EXPECT_EQ(run.output, "") << "nothing was loaded, so no track was read";
    }

    // No display: one line of its own, not the window's two.
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    const Outcome withoutDisplay = capture(dir, {"--size", "64x36", "--to", "1", "--out", "pictures/"});
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(withoutDisplay.status, std::optional<int>(1));
    EXPECT_EQ(withoutDisplay.error.rfind("capture: no display to draw on (", 0), 0u) << withoutDisplay.error;
    EXPECT_EQ(std::count(withoutDisplay.error.begin(), withoutDisplay.error.end(), '\n'), 1) << withoutDisplay.error;

    // No ffmpeg on the way: named before anything is drawn.
    const std::string path = std::getenv("PATH");
    setenv("PATH", dir.path().c_str(), 1);
    const Outcome withoutEncoder = capture(dir, {"--size", "64x36", "--to", "1"});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(withoutEncoder.status, std::optional<int>(1));
    EXPECT_EQ(withoutEncoder.error.rfind("capture: ffmpeg is not installed", 0), 0u) << withoutEncoder.error;

    // An encoder that fails: its log is kept and named, no video appears.
    TempDir bin;
    bin.write("ffmpeg", "#!/bin/sh\necho 'cannot encode today' >&2\nexit 1\n");
    std::filesystem::permissions(bin.file("ffmpeg"), std::filesystem::perms::owner_all);
    setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
    const Outcome failingEncoder = capture(dir, {"--size", "64x36", "--to", "1", "--out", "v.mp4"});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(failingEncoder.status, std::optional<int>(1));
    EXPECT_NE(failingEncoder.error.find("see \"v.mp4.ffmpeg.log\""), std::string::npos) << failingEncoder.error;
    EXPECT_EQ(readFile(dir.file("v.mp4.ffmpeg.log")), "cannot encode today\n");
    std::filesystem::remove(dir.file("v.mp4.ffmpeg.log"));

    std::filesystem::rename(dir.file("tolvenmark.mp3"), dir.file("elsewhere.mp3"));
    const Outcome withoutMusic = capture(dir, {"--size", "64x36", "--to", "1"});
    std::filesystem::rename(dir.file("elsewhere.mp3"), dir.file("tolvenmark.mp3"));
    EXPECT_EQ(withoutMusic.status, std::optional<int>(1));
    EXPECT_EQ(withoutMusic.error, "audio: cannot open \"tolvenmark.mp3\"\n");

    EXPECT_EQ(filesIn(dir.path()), before);
}

// Started with standard error closed, the capture's display connection took
// its number and the first message was written into it: the capture hung.
TEST_F(Capture, AClosedStandardErrorTakesNoConnectionOrFile)
{
    const std::string status = runCommand("cd '" + dir.path().string() + "' && timeout -k 5 60 '" KELVANDRIX_CAPTURE
                                          "' --fps 10 --size 64x36 --to 1 --out v.mp4 >/dev/null 2>&-; echo $?");
    EXPECT_EQ(status, "0\n");
    EXPECT_EQ(probe("v.mp4", "v", "nb_read_frames"), "nb_read_frames=10\n");
}

// Started with SIGCHLD ignored (as some services start their children), the
// encoder's failure went unseen: its broken file under the name, status 0.
TEST_F(Capture, AFailedEncoderIsSeenWhateverSIGCHLDWasLeftAs)
{
    TempDir bin;
    bin.write("ffmpeg", "#!/bin/sh\nfor last; do :; done\necho broken > \"${last#file:}\"\ncat > /dev/null\n"
                        "echo 'muxing failed at the end' >&2\nexit 1\n");
    std::filesystem::permissions(bin.file("ffmpeg"), std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH");
    setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
    ChildProcess program(KELVANDRIX_CAPTURE, dir.path(), {"--size", "64x36", "--to", "1", "--out", "v.mp4"},
                         ChildProcess::Output::Captured, {SIGCHLD});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(program.waitForExit(120s), std::optional<int>(1)) << program.standardError();
    EXPECT_FALSE(std::filesystem::exists(dir.file("v.mp4")));
    // It failed after taking every frame: the log its line names is kept.
    EXPECT_NE(program.standardError().find("capture: ffmpeg failed, see \"v.mp4.ffmpeg.log\""), std::string::npos)
        << program.standardError();
    EXPECT_EQ(readFile(dir.file("v.mp4.ffmpeg.log")), "muxing failed at the end\n");
}

// The capture's children once it is well under way: the first tenth done,
// the encoder writing.
std::vector<pid_t> childrenWhenUnderWay(ChildProcess& program)
{
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (program.standardError().find(" 10%") == std::string::npos && program.running()
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    return childrenOf(program.pid());
}

TEST_F(Capture, InterruptedCaptureLeavesNoFileAndNoEncoder)
{
    const auto before = filesIn(dir.path());
    ChildProcess program(KELVANDRIX_CAPTURE, dir.path(),
                         {"--fps", "30", "--size", "320x180", "--to", "7", "--out", "v.mp4"});
    const std::vector<pid_t> encoders = childrenWhenUnderWay(program);
    ASSERT_EQ(encoders.size(), 1u) << program.standardError();
    kill(program.pid(), SIGINT);
    EXPECT_EQ(program.waitForExit(30s), std::optional<int>(1));
    EXPECT_NE(program.standardError().find("capture: interrupted; nothing was written under \"v.mp4\""),
              std::string::npos)
        << program.standardError();
    EXPECT_NE(kill(encoders[0], 0), 0) << "ffmpeg still runs";
    EXPECT_EQ(filesIn(dir.path()), before);
}

// Started under nohup, a hangup is no stop: the capture goes on to its file.
TEST_F(Capture, AHangupItWasStartedIgnoringLetsItFinish)
{
    // Ignored from the start, as nohup hands it on.
    ChildProcess program(KELVANDRIX_CAPTURE, dir.path(),
                         {"--fps", "30", "--size", "320x180", "--to", "7", "--out", "v.mp4"},
                         ChildProcess::Output::Captured, {SIGHUP});
    ASSERT_EQ(childrenWhenUnderWay(program).size(), 1u) << program.standardError();
    kill(program.pid(), SIGHUP);
    EXPECT_EQ(program.waitForExit(120s), std::optional<int>(0)) << program.standardError();
    EXPECT_EQ(probe("v.mp4", "v", "nb_read_frames"), "nb_read_frames=210\n");
}

// Whether a process sleeps in a write to a full pipe.
bool blockedOnPipe(pid_t process)
{
    return readFile("/proc/" + std::to_string(process) + "/wchan").find("pipe_write") != std::string::npos;
}

// An encoder that stalls, on PATH for the object's life: it takes no frame,
// or with `takesFrames` it takes them all and then never finishes. Each one
// started adds its process id to the file `started`.
class StalledEncoder {
public:
    explicit StalledEncoder(bool takesFrames = false) : path(std::getenv("PATH"))
    {
        bin.write("ffmpeg", "#!/bin/sh\necho $$ >> '" + bin.file("started").string() + "'\n"
                                + (takesFrames ? "cat > /dev/null\n" : "") + "exec sleep 60\n");
        std::filesystem::permissions(bin.file("ffmpeg"), std::filesystem::perms::owner_all);
        setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
    }
    ~StalledEncoder() { setenv("PATH", path.c_str(), 1); }

    std::vector<pid_t> started() const
    {
        std::ifstream list(bin.file("started"));
        std::vector<pid_t> encoders;
        for (pid_t encoder; list >> encoder;)
            encoders.push_back(encoder);
        return encoders;
    }

private:
    TempDir bin;
    std::string path;
};

// A stop signal, a closed terminal's included, ends the capture at once even
// while it waits on an encoder that takes nothing, and the script stops its
// jobs with it. The suite may run under nohup (as some CI runners start it):
// the test's children take their hangup all the same, and a test that gives
// up on a capture stops everything it started.
TEST_F(Capture, AStalledEncoderStillStopsOnASignal)
{
    struct IgnoredHangup {
        void (*previous)(int) = signal(SIGHUP, SIG_IGN);
        ~IgnoredHangup() { signal(SIGHUP, previous); }
    } underNohup;
    const auto before = filesIn(dir.path());
    const StalledEncoder encoder;
    auto waitFor = [](const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!condition() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        return condition();
    };
    const auto noEncoderRuns = [&] {
        const std::vector<pid_t> started = encoder.started();
        return std::none_of(started.begin(), started.end(), [](pid_t pid) { return kill(pid, 0) == 0; });
    };
    {
        ChildProcess program(KELVANDRIX_CAPTURE, dir.path(), {"--size", "64x36", "--to", "5", "--out", "v.mp4"});
        ASSERT_TRUE(waitFor([&] { return blockedOnPipe(program.pid()); })) << program.standardError();
        kill(program.pid(), SIGHUP);
        EXPECT_EQ(program.waitForExit(10s), std::optional<int>(1)) << "still waits for the encoder";
        EXPECT_NE(program.standardError().find("capture: interrupted; nothing was written under \"v.mp4\""),
                  std::string::npos)
            << program.standardError();
    }
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    for (int signal : {SIGTERM, SIGHUP}) {
        const size_t started = encoder.started().size();
        ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(),
                            {"--jobs", "2", "--size", "64x36", "--to", "5", "--out", "v.mp4"});
        ASSERT_TRUE(waitFor([&] { return encoder.started().size() == started + 2; })) << script.standardError();
        kill(script.pid(), signal);
        EXPECT_EQ(script.waitForExit(10s), std::optional<int>(1)) << "still waits for its jobs, signal " << signal;
    }
    EXPECT_TRUE(noEncoderRuns());
    EXPECT_EQ(filesIn(dir.path()), before);

    {
        // Given up on, as a failed assertion leaves it: the capture's encoder,
        // in a process group of its own, goes with the test's object too.
        ChildProcess program(KELVANDRIX_CAPTURE, dir.path(), {"--size", "64x36", "--to", "5", "--out", "v.mp4"});
        ASSERT_TRUE(waitFor([&] { return blockedOnPipe(program.pid()); })) << program.standardError();
    }
    EXPECT_TRUE(waitFor(noEncoderRuns)) << "an encoder still runs";
}

// An encoder that never finishes its file: a stop signal ends the wait for it.
TEST_F(Capture, AnEncoderStalledAtItsEndStillStopsOnASignal)
{
    const auto before = filesIn(dir.path());
    const StalledEncoder encoder(true);
    ChildProcess program(KELVANDRIX_CAPTURE, dir.path(), {"--size", "64x36", "--to", "1", "--out", "v.mp4"});
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (readFile("/proc/" + std::to_string(program.pid()) + "/wchan") != "do_wait"
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    kill(program.pid(), SIGINT);
    EXPECT_EQ(program.waitForExit(10s), std::optional<int>(1)) << "still waits for the encoder";
    EXPECT_NE(program.standardError().find("capture: interrupted; nothing was written under \"v.mp4\""),
              std::string::npos)
        << program.standardError();
    ASSERT_EQ(encoder.started().size(), 1u);
    EXPECT_NE(kill(encoder.started()[0], 0), 0) << "the encoder still runs";
    EXPECT_EQ(filesIn(dir.path()), before);
}

// Xlib ends the program when the X server goes away; what the capture had
// under way goes with it, as on a stop signal.
TEST_F(Capture, AnXServerGoingAwayLeavesNoFileAndNoEncoder)
{
    const auto before = filesIn(dir.path());
    OwnXServer own(dir.path());
    ASSERT_FALSE(own.number.empty()) << "Xvfb did not start";

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", (":" + own.number).c_str(), 1);
    ChildProcess program(KELVANDRIX_CAPTURE, dir.path(),
                         {"--fps", "30", "--size", "320x180", "--to", "7", "--out", "v.mp4"});
    setenv("DISPLAY", display.c_str(), 1);
    const std::vector<pid_t> encoders = childrenWhenUnderWay(program);
    ASSERT_EQ(encoders.size(), 1u) << program.standardError();
    kill(own.server.pid(), SIGTERM);
    EXPECT_EQ(program.waitForExit(30s), std::optional<int>(1)) << program.standardError();
    EXPECT_NE(kill(encoders[0], 0), 0) << "ffmpeg still runs";
    EXPECT_EQ(filesIn(dir.path()), before);
}

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// A TCP port on the loopback address that nothing listens on.
int freeLoopbackPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

// A port on the loopback address that takes connections and never answers
// them, as a machine that hangs: the system completes them, nobody serves them.
struct SilentPort {
    SilentPort()
    {
        sockaddr_in address = loopback(0);
        socklen_t length = sizeof address;
        bind(socket, reinterpret_cast<sockaddr*>(&address), length);
        listen(socket, 8);
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
        number = ntohs(address.sin_port);
    }
    ~SilentPort() { close(socket); }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;

    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    int number = 0;
};

bool listening(int port)
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool answered = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return answered;
}

// Another machine on this one: an SSH server of the test's own on a free
// loopback port, with a host key and a client key made for it, reached by an
// ssh command of its own that an sshlogin line names before the machine's
// name. What differs from this machine is seen by the server and its
// sessions alone (a mount namespace of their own): a folder given as its own
// is a copy of it made now, at the same path, so that what a job leaves
// there stays on that machine; each path it is given to hide is covered by
// an empty folder, or by an empty file that nothing can run.
class SshMachine {
public:
    SshMachine(const TempDir& keys, const std::filesystem::path& own = {},
               const std::vector<std::filesystem::path>& hidden = {})
        : port(freeLoopbackPort()), command(sshCommand(keys, port)), server(start(keys, own, hidden))
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!listening(port) && server.running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
    }
    ~SshMachine()
    {
        kill(server.pid(), SIGTERM);
        server.waitForExit(10s);
    }

    static void makeKeys(const TempDir& keys)
    {
        for (const char* key : {"host_key", "client_key"})
            runCommand("ssh-keygen -q -t ed25519 -N '' -f '" + keys.file(key).string() + "'");
    }

    // The ssh command of a machine on a loopback port.
    static std::filesystem::path sshCommand(const TempDir& keys, int port)
    {
        const std::string name = "ssh-" + std::to_string(port);
        keys.write(name, "#!/bin/sh\nexec ssh -p " + std::to_string(port) + " -i '" + keys.file("client_key").string()
                             + "' -o BatchMode=yes -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null"
                               " -o LogLevel=ERROR -o HostName=127.0.0.1 -o SendEnv=ASAN_OPTIONS"
                               " -o SendEnv=LSAN_OPTIONS -o SendEnv=UBSAN_OPTIONS \"$@\"\n");
        std::filesystem::permissions(keys.file(name), std::filesystem::perms::owner_all);
        return keys.file(name);
    }

    bool up() { return listening(port) && server.running(); }
    std::string sshlogin(const std::string& name) const { return command.string() + " " + name; }
    std::string log() const { return server.standardError(); }
    // The server's sessions still running.
    size_t sessions() const { return childrenOf(server.pid()).size(); }
    // Its own folder as it has it.
    const std::filesystem::path& ownFolder() const { return copy.path(); }

private:
    ChildProcess start(const TempDir& keys, const std::filesystem::path& own,
                       const std::vector<std::filesystem::path>& hidden) const
    {
        const std::string config = "sshd-" + std::to_string(port) + ".conf";
        keys.write(config, "HostKey " + keys.file("host_key").string() + "\nAuthorizedKeysFile "
                               + keys.file("client_key.pub").string() + "\nPidFile "
                               + keys.file(config + ".pid").string()
                               + "\nListenAddress 127.0.0.1\nStrictModes no\nUsePAM no\n"
                                 "PermitRootLogin prohibit-password\nPasswordAuthentication no\n"
                                 // The sanitizers' settings reach the jobs, as they would a local one.
                                 "AcceptEnv ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS\n");
        std::filesystem::create_directories("/run/sshd"); // its privilege separation folder
        const std::vector<std::string> sshd = {"/usr/sbin/sshd", "-D", "-e", "-f", keys.file(config).string(),
                                               "-p", std::to_string(port)};
        if (own.empty() && hidden.empty())
            return ChildProcess(sshd[0], keys.path(), {sshd.begin() + 1, sshd.end()});
        if (!own.empty())
            std::filesystem::copy(own, copy.path(), std::filesystem::copy_options::recursive);
        keys.write("nothing", "");
        std::filesystem::permissions(keys.file("nothing"), std::filesystem::perms::none);
        std::vector<std::string> arguments = {
            "--mount", "/bin/sh", "-c",
            "nothing=$1 copy=$2 own=$3; shift 3\n"
            "[ -z \"$own\" ] || mount --bind \"$copy\" \"$own\" || exit 1\n"
            "while [ \"$1\" != -- ]; do\n"
            "  if [ -d \"$1\" ]; then mount -t tmpfs tmpfs \"$1\"; else mount --bind \"$nothing\" \"$1\"; fi || exit 1\n"
            "  shift\n"
            "done\n"
            "shift; exec \"$@\"",
            "sh", keys.file("nothing").string(), copy.path().string(), own.string()};
        for (const std::filesystem::path& path : hidden)
            arguments.push_back(path.string());
        arguments.push_back("--");
        arguments.insert(arguments.end(), sshd.begin(), sshd.end());
        return ChildProcess("/usr/bin/unshare", keys.path(), arguments);
    }

    int port;
    std::filesystem::path command;
    TempDir copy;
    ChildProcess server;
};

// Two machines reached over SSH, headless as servers are (sshd hands its
// sessions no DISPLAY), each with its own copy of the run folder: each job
// draws on a virtual display of its own, the pieces come back and are
// removed where they were made, and the video is the one a single capture
// makes.
TEST_F(Capture, ParallelOnOtherMachinesMakesTheSameVideoAsOneCapture)
{
    // Music that is not silence, so that its samples can be told apart.
    runCommand("cd '" + dir.path().string() + "' && sox -n -r 44100 -c 2 sweep.wav synth 7.5 sine 200-2000 && "
               "lame --silent -b 192 sweep.wav tolvenmark.mp3 && rm sweep.wav");
    const auto before = filesIn(dir.path());
    TempDir keys;
    SshMachine::makeKeys(keys);
    SshMachine one(keys, dir.path());
    SshMachine two(keys, dir.path());
    ASSERT_TRUE(one.up()) << one.log();
    ASSERT_TRUE(two.up()) << two.log();
    keys.write("machines", one.sshlogin("one") + "\n" + two.sshlogin("two") + "\n");
    const auto nothingLeft = [&](const char* what) {
        EXPECT_EQ(filesIn(dir.path()), before) << what << " here";
        EXPECT_EQ(filesIn(one.ownFolder()), before) << what << " on one";
        EXPECT_EQ(filesIn(two.ownFolder()), before) << what << " on two";
    };
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    auto parallel = [&](const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {"--sshloginfile", keys.file("machines").string(), "--jobs", "2",
                                              "--fps", "10", "--from", "2.5", "--to", "5.5", "--crf", "0"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(), arguments);
        return Outcome{script.waitForExit(120s), script.standardError(), script.standardOutput()};
    };

    // A job's own failure reaches the user under its machine's name.
    const Outcome failed = parallel({"--size", "99998x99998", "--out", "v.mp4"});
    EXPECT_EQ(failed.status, std::optional<int>(1));
    std::istringstream lines(failed.error);
    int jobLines = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.find("capture: --size 99998x99998 is beyond the largest picture") != std::string::npos) {
            ++jobLines;
            EXPECT_TRUE(line.rfind("one: ", 0) == 0 || line.rfind("two: ", 0) == 0) << line;
        }
    EXPECT_GT(jobLines, 0) << failed.error;
    nothingLeft("files were left");

    const Outcome joined = parallel({"--size", "160x90", "--out", "joined.mp4"});
    ASSERT_EQ(joined.status, std::optional<int>(0)) << joined.error;
    for (const char* name : {"one: ", "two: "})
        EXPECT_NE(joined.error.find(std::string(name) + "capture: wrote"), std::string::npos) << joined.error;
    const Outcome single = capture(dir, {"--fps", "10", "--size", "160x90", "--from", "2.5", "--to", "5.5", "--crf",
                                         "0", "--out", "single.mp4"});
    ASSERT_EQ(single.status, std::optional<int>(0)) << single.error;
    auto decoded = [&](const std::string& file, const std::string& stream) {
        return runCommand("ffmpeg -v error -i '" + dir.file(file).string() + "' -map 0:" + stream + " -f "
                          + (stream == "v" ? "rawvideo" : "s16le") + " -");
    };
    const std::string frames = decoded("joined.mp4", "v");
    EXPECT_EQ(frames.size(), 160u * 90 * 3 / 2 * 30) << "30 frames of yuv420p";
    EXPECT_TRUE(frames == decoded("single.mp4", "v")) << "the frames differ";
    const std::string music = decoded("joined.mp4", "a");
    EXPECT_GT(music.size(), 44100u * 4 * 3 - 4096);
    EXPECT_NE(music.find_first_not_of('\0'), std::string::npos) << "the music is silent";
    EXPECT_TRUE(music == decoded("single.mp4", "a")) << "the music differs";

    std::filesystem::remove(dir.file("joined.mp4"));
    std::filesystem::remove(dir.file("single.mp4"));
    nothingLeft("pieces were left");

    // Stopped while both machines draw: each job finishes its frame and
    // removes its files there.
    ChildProcess stopped(KELVANDRIX_CAPTURE_PARALLEL, dir.path(),
                         {"--sshloginfile", keys.file("machines").string(), "--jobs", "2", "--fps", "60", "--size",
                          "640x360", "--to", "7", "--out", "v.mp4"});
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    auto underWay = [&](const char* name) {
        return stopped.standardError().find(std::string(name) + "21/210 frames") != std::string::npos;
    };
    while (!(underWay("one: ") && underWay("two: ")) && stopped.running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    kill(stopped.pid(), SIGTERM);
    EXPECT_EQ(stopped.waitForExit(30s), std::optional<int>(1)) << stopped.standardError();
    EXPECT_NE(stopped.standardError().find("capture-parallel: interrupted; nothing was written"), std::string::npos)
        << stopped.standardError();
    for (const SshMachine* machine : {&one, &two}) {
        while (machine->sessions() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        EXPECT_EQ(machine->sessions(), 0u) << "something still runs on " << machine->sshlogin("");
    }
    nothingLeft("a job left its files");
}

// Every listed machine is asked before anything renders; each one that
// cannot take a job says why, in a line of its own, one that does not
// answer within the time it is given included.
TEST_F(Capture, ParallelNamesEachMachineThatCannotTakeAJob)
{
    const auto before = filesIn(dir.path());
    const std::filesystem::path program = std::filesystem::canonical(KELVANDRIX_CAPTURE);
    const std::string rsync = runCommand("command -v rsync");
    ASSERT_FALSE(rsync.empty());
    TempDir keys;
    SshMachine::makeKeys(keys);
    SshMachine ready(keys);
    SshMachine bare(keys, {}, {program.parent_path(), std::filesystem::canonical(rsync.substr(0, rsync.size() - 1))});
    ASSERT_TRUE(ready.up()) << ready.log();
    ASSERT_TRUE(bare.up()) << bare.log();
    const SilentPort hung;
    keys.write("machines", ready.sshlogin("one") + "\n" + bare.sshlogin("bare") + "\n"
                               + SshMachine::sshCommand(keys, freeLoopbackPort()).string() + " gone\n"
                               + SshMachine::sshCommand(keys, hung.number).string() + " hung\n");
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(),
                        {"--sshloginfile", keys.file("machines").string(), "--check-timeout", "5", "--fps", "10",
                         "--size", "64x36", "--to", "1", "--out", "v.mp4"});
    EXPECT_EQ(script.waitForExit(120s), std::optional<int>(1));
    const std::string error = script.standardError();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 3) << error;
    for (const std::string& line :
         {"capture-parallel: bare lacks the capture program at \"" + program.string() + "\", rsync\n",
          std::string("capture-parallel: gone cannot be reached (ssh: connect to host 127.0.0.1 port"),
          std::string("capture-parallel: hung did not answer in 5 s\n")})
        EXPECT_NE(error.find(line), std::string::npos) << line << " in:\n" << error;
    EXPECT_EQ(filesIn(dir.path()), before);
}

TEST_F(Capture, ParallelSegmentsMakeTheSameVideoAsOneCapture)
{
    const std::vector<std::string> common = {"--fps", "10", "--size", "64x36", "--to", "4"};
    std::vector<std::string> single = common;
    single.insert(single.end(), {"--out", "single.mp4"});
    const Outcome one = capture(dir, single);
    ASSERT_EQ(one.status, std::optional<int>(0)) << one.error;

    std::vector<std::string> parallel = common;
    parallel.insert(parallel.end(), {"--jobs", "2", "--out", "parallel.mp4"});
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(), parallel);
    ASSERT_EQ(script.waitForExit(120s), std::optional<int>(0)) << script.standardError();

    for (const char* entries : {"nb_read_frames,r_frame_rate,width,height", "codec_name"})
        EXPECT_EQ(probe("parallel.mp4", "v", entries), probe("single.mp4", "v", entries));
    EXPECT_EQ(probe("parallel.mp4", "v", "nb_read_frames"), "nb_read_frames=40\n");
    EXPECT_EQ(probe("parallel.mp4", "a", "codec_name,duration"), probe("single.mp4", "a", "codec_name,duration"));
    auto after = filesIn(dir.path());
    after.erase("single.mp4");
    after.erase("parallel.mp4");
    TempDir fresh;
    makeSmallDataSet(fresh);
    EXPECT_EQ(after, filesIn(fresh.path())) << "the script left its pieces behind";

    // To the end of the tune, which ends within its last frame: the last
    // piece ends on that frame's boundary, past the music.
    ChildProcess toTheEnd(KELVANDRIX_CAPTURE_PARALLEL, dir.path(),
                          {"--jobs", "2", "--fps", "7", "--size", "64x36", "--from", "6", "--out", "end.mp4"});
    ASSERT_EQ(toTheEnd.waitForExit(120s), std::optional<int>(0)) << toTheEnd.standardError();
    EXPECT_EQ(probe("end.mp4", "v", "nb_read_frames"), "nb_read_frames=11\n"); // frames 42 to 52 of 7.5 s at 7 fps
}

// Where numbers are written with a decimal comma, the script's arithmetic
// on seconds still hands the capture numbers it takes.
TEST_F(Capture, ParallelSegmentsUnderADecimalCommaLocale)
{
    TempDir locales;
    const std::string output = runCommand("localedef -i de_DE -f UTF-8 '" + locales.file("de_DE.UTF-8").string()
                                          + "' 2>&1");
    ASSERT_TRUE(std::filesystem::exists(locales.file("de_DE.UTF-8"))) << output;
    const char* const userLocale = std::getenv("LC_ALL");
    const std::optional<std::string> previous = userLocale ? std::optional<std::string>(userLocale) : std::nullopt;
    setenv("LOCPATH", locales.path().c_str(), 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(),
                        {"--jobs", "2", "--fps", "10", "--size", "64x36", "--from", "0.5", "--to", "2.5", "--out", "v.mp4"});
    const std::optional<int> status = script.waitForExit(120s);
    previous ? setenv("LC_ALL", previous->c_str(), 1) : unsetenv("LC_ALL");
    unsetenv("LOCPATH");
    ASSERT_EQ(status, std::optional<int>(0)) << script.standardError();
    EXPECT_EQ(probe("v.mp4", "v", "nb_read_frames"), "nb_read_frames=20\n");
}

// parallel stopped the capture when the jobs' lines found nobody to read them.
TEST_F(Capture, ParallelWithNobodyReadingItsLinesStillWritesTheVideo)
{
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(),
                        {"--jobs", "2", "--fps", "10", "--size", "64x36", "--to", "2", "--out", "v.mp4"},
                        ChildProcess::Output::IntoAPipeNobodyReads);
    ASSERT_EQ(script.waitForExit(120s), std::optional<int>(0));
    EXPECT_EQ(probe("v.mp4", "v", "nb_read_frames"), "nb_read_frames=20\n");
}

TEST_F(Capture, ParallelBadInputIsRefusedBeforeAnyJob)
{
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {{"--size", "64x"}, 2, "capture: --size needs WIDTHxHEIGHT"},
        {{"--crf", "52"}, 2, "capture: --crf needs a whole number from 0 to 51"},
        {{"--check-timeout", "0"}, 2, "capture-parallel: --check-timeout needs a positive whole number of seconds"},
        {{"--out", "folder.mp4"}, 1, "capture-parallel: \"folder.mp4\" is a folder"},
        {{"--out", "pictures/"}, 1, "capture-parallel: \"pictures/\" is a folder"},
        // parallel would run every job here with no more than a warning.
        {{"--sshloginfile", "folder.mp4"}, 1, "capture-parallel: \"folder.mp4\" is a folder, not a list of machines"},
        {{"--out", "fifo.mp4"}, 1, "capture-parallel: \"fifo.mp4\" is a device, FIFO or socket"},
    };
    std::filesystem::create_directory(dir.file("folder.mp4"));
    ASSERT_EQ(mkfifo(dir.file("fifo.mp4").c_str(), 0644), 0);
    const auto before = filesIn(dir.path());
    setenv("KELVANDRIX_CAPTURE", KELVANDRIX_CAPTURE, 1);
    for (const Case& bad : cases) {
        std::vector<std::string> arguments = {"--fps", "10", "--size", "64x36", "--to", "1"};
        arguments.insert(arguments.end(), bad.arguments.begin(), bad.arguments.end());
        ChildProcess script(KELVANDRIX_CAPTURE_PARALLEL, dir.path(), arguments);
        EXPECT_EQ(script.waitForExit(60s), std::optional<int>(bad.status)) << bad.problem;
        EXPECT_NE(script.standardError().find(bad.problem), std::string::npos) << script.standardError();
        EXPECT_EQ(script.standardError().find(" at a time\n"), std::string::npos) << "jobs were started";
    }

    // A machine with ffmpeg but without ffprobe, which measures the range.
    TempDir bin;
    for (const auto& tool : std::filesystem::directory_iterator("/usr/bin"))
        if (tool.path().filename() != "ffprobe")
            std::filesystem::create_symlink(tool.path(), bin.file(tool.path().filename().string()));
    const std::string path = std::getenv("PATH");
    setenv("PATH", bin.path().c_str(), 1);
    ChildProcess withoutProbe(KELVANDRIX_CAPTURE_PARALLEL, dir.path(), {"--fps", "10", "--size", "64x36", "--to", "1"});
    const std::optional<int> status = withoutProbe.waitForExit(60s);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(status, std::optional<int>(1));
    EXPECT_EQ(withoutProbe.standardError(), "capture-parallel: ffprobe is not installed (Debian package ffmpeg)\n");

    EXPECT_EQ(filesIn(dir.path()), before);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("folder.mp4")));
}

} // namespace
