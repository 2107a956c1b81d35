// The sound-device path, through SDL's "disk" driver, which plays into a file
// in real time: what the file holds is what a listener would have heard.

#include "bass.h"
#include "bassTestMedia.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// What a decode-only stream of the file reads from `from` (bytes) to the end,
// in reads of an odd size.
std::vector<int16_t> decodeAll(const std::filesystem::path& music, QWORD from)
{
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, music.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, from, BASS_POS_BYTE));
    std::vector<int16_t> samples;
    int16_t buffer[3001 * 2];
    DWORD got = 0;
    while ((got = BASS_ChannelGetData(stream, buffer, sizeof buffer)) != ~DWORD{0})
        samples.insert(samples.end(), buffer, buffer + got / sizeof(int16_t));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
    EXPECT_TRUE(BASS_StreamFree(stream));
    return samples;
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

    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const std::vector<int16_t> reference = decodeAll(music, 0);
    ASSERT_EQ(reference.size(), 44100u * 12 * 2);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, music.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    const int64_t target = 44100 * 12 - 12345;
    // A decode-only stream sought to the target reads exactly the rest.
    EXPECT_TRUE(std::equal(reference.begin() + target * 2, reference.end(), decodeAll(music, target * 4).begin()));
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
    const int16_t* rest = reference.data() + target * 2;
    const size_t restCount = reference.size() - static_cast<size_t>(target) * 2;
    const long at = findRun(heard, rest, restCount);
    ASSERT_GE(at, 0) << "the music from the target is not in what was heard";
    EXPECT_TRUE(silent(heard.begin(), heard.begin() + at));
    EXPECT_TRUE(silent(heard.begin() + at + static_cast<long>(restCount), heard.end()));
}
