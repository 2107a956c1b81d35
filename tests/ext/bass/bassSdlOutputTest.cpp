// The sound-device path, through SDL's "disk" driver, which plays into a file
// in real time: what the file holds is what a listener would have heard.

#include "bass.h"
#include "bassDecodedTrack.h"
#include "bassTestMedia.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace bass_testing;

namespace {

std::vector<int16_t> readSamples(const std::filesystem::path& path)
{
    const std::string bytes = testing_support::readFile(path);
    std::vector<int16_t> samples(bytes.size() / sizeof(int16_t));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
    return samples;
}

// Index in `heard` at which `expected` starts, or -1.
long findRun(const std::vector<int16_t>& heard, const int16_t* expected, size_t count)
{
    for (size_t at = 0; at + count <= heard.size(); ++at) {
        if (std::equal(expected, expected + count, heard.begin() + static_cast<long>(at)))
            return static_cast<long>(at);
    }
    return -1;
}

bool silent(std::vector<int16_t>::const_iterator begin, std::vector<int16_t>::const_iterator end)
{
    return std::all_of(begin, end, [](int16_t sample) { return sample == 0; });
}

} // namespace

TEST(bassSdlOutputTest, TheDeviceHearsTheDecodedMusicFromTheSeekTarget)
{
    testing_support::TempDir dir;
    const std::filesystem::path heardFile = dir.file("heard.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", heardFile.c_str(), 1);
    // Longer than the decoder's lead, so the target lies beyond what is
    // decoded when the stream opens.
    const std::filesystem::path music = makeMp3(dir.path(), "music.mp3", {44100, 2, 12.0, "sine 523 sine 659"}, "-b 160");

    const std::unique_ptr<bassDecodedTrack> reference = bassDecodedTrack::open(music.string());
    ASSERT_TRUE(reference);
    reference->needNow(reference->frames());
    while (reference->decodedFrames() < reference->frames())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, music.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    const int64_t target = 44100 * 12 - 12345;
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, target * 4, BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
    ASSERT_TRUE(BASS_Free());

    // Silence, then every sample from the target to the end, then silence.
    const std::vector<int16_t> heard = readSamples(heardFile);
    const int16_t* rest = reference->samples() + target * 2;
    const size_t restCount = static_cast<size_t>(reference->frames() - target) * 2;
    const long at = findRun(heard, rest, restCount);
    ASSERT_GE(at, 0) << "the music from the target is not in what was heard";
    EXPECT_TRUE(silent(heard.begin(), heard.begin() + at));
    EXPECT_TRUE(silent(heard.begin() + at + static_cast<long>(restCount), heard.end()));
}
