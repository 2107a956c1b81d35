// A production as scripts/new-production makes it, in a folder of the build
// outside the repository, built with nothing else changed: its own programs
// draw its title and its shader (not the stand-ins of missing files), play
// its tune, and take an edit of a key on the next frame.
#include "childProcess.h"
#include "rgbPicture.h"
#include "testFiles.h"
#include "x11Window.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

// Pixels of the letters: the scene alone never reaches full white.
int whitePixels(const std::vector<std::uint8_t>& rgb)
{
    int count = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        count += rgb[i] >= 250 && rgb[i + 1] >= 250 && rgb[i + 2] >= 250;
    return count;
}

// Colours to a sixteenth of a channel: a stand-in is one flat colour.
size_t coarseColours(const std::vector<std::uint8_t>& rgb)
{
    std::set<int> colours;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        colours.insert((rgb[i] >> 4) << 8 | (rgb[i + 1] >> 4) << 4 | rgb[i + 2] >> 4);
    return colours.size();
}

// Seconds of a 16-bit PCM WAV file from its header.
double wavSeconds(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    char header[44] = {};
    in.read(header, sizeof header);
    std::uint32_t rate = 0, bytes = 0;
    std::uint16_t channels = 0;
    std::memcpy(&channels, header + 22, 2);
    std::memcpy(&rate, header + 24, 4);
    std::memcpy(&bytes, header + 40, 4);
    return in && rate && channels ? bytes / (2.0 * channels * rate) : 0.0;
}

TEST(NewProduction, ItsCaptureShowsItsTitleThenItsSceneAndItsWholeTune)
{
    TempDir out;
    // One frame a second from 1 s (the title, bars 0-3) to 9 s (the scene).
    ChildProcess frames(FRESH_CAPTURE, FRESH_RUN_DIR,
                        {"--fps", "1", "--from", "1", "--to", "10", "--size", "320x180", "--out",
                         out.path().string() + "/"});
    ASSERT_EQ(frames.waitForExit(120s), std::optional<int>(0)) << frames.standardError();
    EXPECT_EQ(frames.standardError().find("shader:"), std::string::npos) << "every program's files are there";
    const RgbPicture title = readRgbPicture(out.file("frame_000001.png"));
    const RgbPicture scene = readRgbPicture(out.file("frame_000009.png"));
    ASSERT_EQ(title.width, 320);
    ASSERT_EQ(scene.width, 320);
    EXPECT_GT(whitePixels(title.rgb), 200) << "the title's letters";
    EXPECT_EQ(whitePixels(scene.rgb), 0) << "no text once the scene plays";
    EXPECT_GT(coarseColours(scene.rgb), 40u) << "the scene shader's rings, not a flat stand-in";

    ChildProcess tune(FRESH_CAPTURE, FRESH_RUN_DIR, {"--audio-only", "--out", out.file("tune.wav").string()});
    ASSERT_EQ(tune.waitForExit(60s), std::optional<int>(0)) << tune.standardError();
    EXPECT_NEAR(wavSeconds(out.file("tune.wav")), 32.0, 0.05) << "16 bars at 120 beats per minute";
}

TEST(NewProduction, ItsDevelopmentPlayerShowsAKeySetOnTheNextFrames)
{
    TempDir dir;
    const std::filesystem::path fifo = dir.file("commands");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ChildProcess player(FRESH_DEV, FRESH_RUN_DIR, {"--size", "320x180", "--commands", fifo.string()});
    // Read and write, so that opening does not wait for the player.
    const int commands = open(fifo.c_str(), O_RDWR);
    ASSERT_GE(commands, 0);
    const auto send = [&](const std::string& lines) {
        ASSERT_EQ(write(commands, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    };
    // Held in the scene, where the colours follow shader_A.
    send("pause\nseek 9\n");
    ASSERT_NE(findWindow("FRESH_PRODUCTION", 60s), 0u) << player.standardError();
    ScreenReader screen;
    const auto settled = [&] {
        Screenshot before = screen.grab(0, 0, 320, 180);
        for (int tries = 0; tries < 100; ++tries) {
            std::this_thread::sleep_for(200ms);
            Screenshot now = screen.grab(0, 0, 320, 180);
            if (now.rgb == before.rgb)
                return now;
            before = std::move(now);
        }
        return Screenshot{};
    };
    const Screenshot held = settled();
    ASSERT_FALSE(held.empty()) << "a paused frame stays the same";

    send("key-set shader_A 0:0:0 0.5\n");
    bool changed = false;
    for (int tries = 0; tries < 100 && !changed; ++tries) {
        std::this_thread::sleep_for(100ms);
        changed = screen.grab(0, 0, 320, 180).rgb != held.rgb;
    }
    send("quit\n");
    close(commands);
    EXPECT_TRUE(changed) << "the colours turn with the edited key";
    EXPECT_EQ(player.waitForExit(30s), std::optional<int>(0)) << player.standardError();
    EXPECT_EQ(player.standardError().find("dev: "), std::string::npos) << player.standardError();
}

} // namespace
