#include "bassTestStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include <sys/stat.h>

using namespace bass_testing;

namespace {

struct Format {
    const char* name;
    Signal signal;
    const char* lameOptions;
};

size_t lineCount(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A ramp that tells every sample apart, `frames` frames of `channels`.
std::vector<int16_t> ramp(int frames, int channels)
{
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(i * 37 - 20000);
    return samples;
}

std::vector<int16_t> readAll(HSTREAM stream)
{
    std::vector<int16_t> samples;
    int16_t buffer[999];
    DWORD got = 0;
    while ((got = BASS_ChannelGetData(stream, buffer, sizeof buffer)) != ~DWORD{0})
        samples.insert(samples.end(), buffer, buffer + got / sizeof(int16_t));
    return samples;
}

std::string cutShort(const std::string& bytes, size_t by)
{
    return bytes.substr(0, bytes.size() - by);
}

struct WavCase {
    const char* name;
    std::string bytes;
    int frames;        // expected length; 0: refused
    const char* said;  // what its one line says after the name, "" for none
};

// Bytes read by a decode-only stream of the file, front to back.
QWORD decodedBytes(const std::filesystem::path& path)
{
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    const QWORD bytes = readAll(stream).size() * sizeof(int16_t);
    BASS_StreamFree(stream);
    return bytes;
}

} // namespace

class bassStreamTest : public StreamTest {
};

TEST_F(bassStreamTest, LengthIsExactInEveryFormat)
{
    const Format formats[] = {
        {"cbr_stereo_44k.mp3", {44100, 2, 0.5}, "-b 128"},
        {"vbr_mono_32k.mp3", {32000, 1, 0.5}, "-V 2"},
        {"cbr_stereo_48k_id3v2.mp3", {48000, 2, 0.5}, "-b 192 --add-id3v2 --pad-id3v2-size 2000 --tt Title --ta Artist"},
        {"vbr_stereo_44k_id3v1.mp3", {44100, 2, 0.5}, "-V 4 --id3v1-only --tt Title"},
        {"vbr_mono_22k.mp3", {22050, 1, 0.5}, "-V 5"},
        {"cbr_mono_48k_long.mp3", {48000, 1, 1.75}, "-b 96"},
    };
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        const HSTREAM stream = make(format.name, format.signal, format.lameOptions);
        ASSERT_NE(stream, 0u);
        const QWORD frameBytes = 2u * format.signal.channels;
        const QWORD bytes = static_cast<QWORD>(format.signal.rate * format.signal.seconds) * frameBytes;
        EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), bytes);
        EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, bytes), format.signal.seconds);
        EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, frameBytes), 1.0 / format.signal.rate);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, format.signal.seconds), bytes);
        EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
        EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u);
    }
}

TEST_F(bassStreamTest, ConversionsWorkInWholeFrames)
{
    const HSTREAM stream = make("stereo.mp3", {44100, 2, 0.5});
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    for (QWORD bytes : {QWORD{0}, QWORD{4}, QWORD{4 * 12345}, QWORD{4 * 22049}, length})
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, BASS_ChannelBytes2Seconds(stream, bytes)), bytes) << bytes;
    // Bytes inside a frame count as the frame's start; seconds go to the
    // nearest frame.
    EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, 7), 1.0 / 44100);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.4 / 44100), 4u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.6 / 44100), 8u);
    // A time before the start is a negative byte count that no seek takes.
    const QWORD beforeStart = BASS_ChannelSeconds2Bytes(stream, -0.25);
    EXPECT_EQ(static_cast<int64_t>(beforeStart), -44100);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, beforeStart, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u);
}

TEST_F(bassStreamTest, BadFilesGiveNoStreamAndOneLineNamingThem)
{
    const std::filesystem::path whole = makeMp3(dir.path(), "whole.mp3", {44100, 2, 1.0}, "-b 128");
    dir.write("empty.mp3", "");
    dir.write("notes.mp3", "these are notes, not music\n");
    truncateCopy(whole, dir.file("header.mp3"), 200);
    std::filesystem::create_directory(dir.file("folder.mp3"));
    // A FIFO without a writer must not block the opening.
    ASSERT_EQ(mkfifo(dir.file("piped.mp3").c_str(), 0644), 0);
    // Over an hour: 2 s at 8 kHz, 1900 times over, in 4.6 MB.
    const std::string twoSeconds = testing_support::readFile(makeMp3(dir.path(), "two.mp3", {8000, 1, 2.0}, "-b 8"));
    std::string overAnHour;
    for (int i = 0; i < 1900; ++i)
        overAnHour += twoSeconds;
    dir.write("long.mp3", overAnHour);
    for (const char* name :
         {"absent.mp3", "empty.mp3", "notes.mp3", "header.mp3", "folder.mp3", "piped.mp3", "long.mp3"}) {
        SCOPED_TRACE(name);
        testing::internal::CaptureStderr();
        const HSTREAM stream = open(dir.file(name));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(stream, 0u);
        EXPECT_EQ(lineCount(said), 1u) << said;
        // One sentence after the tag: no second colon.
        EXPECT_EQ(said.rfind("audio: ", 0), 0u) << said;
        EXPECT_EQ(said.find(':', std::string("audio:").size()), std::string::npos) << said;
        EXPECT_NE(said.find(std::string(name) + "\""), std::string::npos) << said;
    }
}

// Cut files play what decodes and stop there: the length shrinks to it when
// decoding finds the end, and each file is named in one line. A cut inside
// the first frame that holds audio leaves nothing to play: no stream.
TEST_F(bassStreamTest, TruncatedFilesEndWhereDecodingEnds)
{
    const std::filesystem::path whole = makeMp3(dir.path(), "whole.mp3", {44100, 2, 0.5}, "-b 128");
    const size_t size = std::filesystem::file_size(whole);
    // lame's information frame comes first; each 128 kbps frame has 417 or 418 bytes.
    const struct {
        const char* name;
        size_t bytes;
        bool opens;
    } cuts[] = {
        {"info_frame.mp3", 300, false},
        {"first_audio_frame.mp3", 417 + 300, false},
        {"mid_frame.mp3", 417 * 6 + 200, true},
        {"sixty_percent.mp3", size * 6 / 10, true},
        {"last_frame.mp3", size - 100, true},
    };
    std::vector<HSTREAM> streams;
    testing::internal::CaptureStderr();
    for (const auto& cut : cuts) {
        streams.push_back(open(truncateCopy(whole, dir.file(cut.name), cut.bytes)));
        BASS_ChannelPlay(streams.back(), FALSE);
    }
    // Never stalled at the cut: playing, then stopped.
    bool stalled = false;
    const auto playing = [&stalled](HSTREAM s) {
        const DWORD state = BASS_ChannelIsActive(s);
        stalled = stalled || state == BASS_ACTIVE_STALLED;
        return state != BASS_ACTIVE_STOPPED;
    };
    const double deadline = wallSeconds() + 2.0;
    while (wallSeconds() < deadline && std::count_if(streams.begin(), streams.end(), playing) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(stalled);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(said), std::size(cuts)) << said;

    for (size_t i = 0; i < streams.size(); ++i) {
        SCOPED_TRACE(cuts[i].name);
        const HSTREAM stream = streams[i];
        const std::string named = std::string(cuts[i].name) + "\"";
        if (!cuts[i].opens) {
            EXPECT_EQ(stream, 0u);
            EXPECT_NE(said.find("cannot decode \"" + dir.file(named).string()), std::string::npos) << said;
            continue;
        }
        ASSERT_NE(stream, 0u);
        EXPECT_NE(said.find(named + " is truncated"), std::string::npos) << said;
        EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
        const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
        EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
        EXPECT_GT(length, 0u);
        testing::internal::CaptureStderr();
        EXPECT_EQ(decodedBytes(dir.file(cuts[i].name)), length);
        testing::internal::GetCapturedStderr();
    }
}

TEST_F(bassStreamTest, UnknownHandlesAndModesAreErrors)
{
    const HSTREAM stream = make("stereo.mp3", {44100, 2, 0.5});
    ASSERT_NE(stream, 0u);
    const QWORD none = ~QWORD{0};
    EXPECT_EQ(BASS_ChannelGetLength(stream, 1), none);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, 1), none);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 0, 1));

    const HSTREAM unknown = stream + 1;
    EXPECT_EQ(BASS_ChannelGetLength(unknown, BASS_POS_BYTE), none);
    EXPECT_EQ(BASS_ChannelGetPosition(unknown, BASS_POS_BYTE), none);
    EXPECT_EQ(BASS_ChannelBytes2Seconds(unknown, 4), -1.0);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(unknown, 1.0), none);
    EXPECT_FALSE(BASS_ChannelSetPosition(unknown, 0, BASS_POS_BYTE));
    EXPECT_FALSE(BASS_ChannelPlay(unknown, FALSE));
    EXPECT_FALSE(BASS_ChannelPause(unknown));
    EXPECT_EQ(BASS_ChannelIsActive(unknown), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetLevel(unknown), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, "stereo.mp3", 0, 0, 0), 0u);
}

TEST_F(bassStreamTest, FreeReleasesStreamsAndStartsAgain)
{
    const std::filesystem::path music = makeMp3(dir.path(), "music.mp3", {44100, 2, 0.5}, "-b 128");
    const HSTREAM stream = open(music);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));

    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), ~QWORD{0});
    testing::internal::CaptureStderr();
    EXPECT_EQ(open(music), 0u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("music.mp3\""), std::string::npos);

    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    const HSTREAM again = open(music);
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, stream);
}

// Each case is opened from a file (played to its end) and from memory
// (decoded to its end); both agree on the outcome.
TEST_F(bassStreamTest, WavFilesOpenPlayAndDecodeOrAreRefused)
{
    const std::vector<int16_t> mono = ramp(800, 1);
    const std::vector<int16_t> stereo = ramp(960, 2);
    const std::string monoData = wavSamples(mono);
    const std::string stereoData = wavSamples(stereo);
    const WavCase cases[] = {
        {"mono_8k.wav", riffWave(wavFormat(1, 8000) + wavChunk("data", monoData)), 800, ""},
        {"stereo_48k_odd_chunk_first.wav",
         riffWave(wavChunk("LIST", "odd") + wavFormat(2, 48000) + wavChunk("data", stereoData) + wavChunk("LIST", "x")),
         960, ""},
        {"data_cut_short.wav", riffWave(wavFormat(2, 48000) + wavChunk("data", stereoData, 4000 * 4)), 960,
         "is truncated"},
        {"data_cut_mid_frame.wav", cutShort(riffWave(wavFormat(2, 48000) + wavChunk("data", stereoData)), 4 * 460 - 3),
         500, "is truncated"},
        {"float.wav", riffWave(wavFormat(1, 8000, 32, 3) + wavChunk("data", monoData)), 0, "is not 16-bit PCM"},
        {"24_bit.wav", riffWave(wavFormat(1, 8000, 24) + wavChunk("data", monoData)), 0, "is not 16-bit PCM"},
        {"five_channels.wav", riffWave(wavFormat(5, 8000) + wavChunk("data", monoData)), 0, "is not 16-bit PCM"},
        {"short_format.wav", riffWave(wavChunk("fmt ", wavFormat(1, 8000).substr(8, 12)) + wavChunk("data", monoData)),
         0, "is not 16-bit PCM"},
        {"chunk_past_end.wav",
         riffWave(wavFormat(1, 8000) + wavChunk("LIST", "abcd", 100000) + wavChunk("data", monoData)),
         0, "has a chunk that runs past its end"},
        {"no_data.wav", riffWave(wavFormat(1, 8000)), 0, "has no data chunk"},
        {"data_first.wav", riffWave(wavChunk("data", monoData) + wavFormat(1, 8000)), 0,
         "has its data before its format"},
        {"empty_data.wav", riffWave(wavFormat(1, 8000) + wavChunk("data", "")), 0, "holds no samples"},
        {"data_past_end.wav", riffWave(wavFormat(1, 8000) + wavChunk("data", "", 1600)), 0, "holds no samples"},
    };
    for (const WavCase& wav : cases) {
        SCOPED_TRACE(wav.name);
        dir.write(wav.name, wav.bytes);
        const bool refused = wav.frames == 0;
        testing::internal::CaptureStderr();
        const HSTREAM played = open(dir.file(wav.name));
        const HSTREAM decoded =
            BASS_StreamCreateFile(TRUE, wav.bytes.data(), 0, wav.bytes.size(), BASS_STREAM_DECODE);
        const std::string said = testing::internal::GetCapturedStderr();
        if (*wav.said == '\0') {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(lineCount(said), 2u) << said;
            EXPECT_NE(said.find(std::string(wav.name) + "\" " + wav.said), std::string::npos) << said;
            EXPECT_NE(said.find(std::string("\"(memory)\" ") + wav.said), std::string::npos) << said;
        }
        if (refused) {
            EXPECT_EQ(played, 0u);
            EXPECT_EQ(decoded, 0u);
            continue;
        }
        ASSERT_NE(played, 0u);
        ASSERT_NE(decoded, 0u);
        BASS_CHANNELINFO info;
        ASSERT_TRUE(BASS_ChannelGetInfo(played, &info));
        const DWORD frameBytes = 2 * info.chans;
        EXPECT_EQ(info.ctype, static_cast<DWORD>(BASS_CTYPE_STREAM_WAV));
        EXPECT_EQ(BASS_ChannelGetLength(played, BASS_POS_BYTE), QWORD{frameBytes} * wav.frames);
        EXPECT_EQ(BASS_ChannelGetLength(decoded, BASS_POS_BYTE), QWORD{frameBytes} * wav.frames);

        const std::vector<int16_t>& written = info.chans == 1 ? mono : stereo;
        const std::vector<int16_t> read = readAll(decoded);
        EXPECT_EQ(read, std::vector<int16_t>(written.begin(), written.begin() + wav.frames * info.chans));

        ASSERT_TRUE(BASS_ChannelPlay(played, FALSE));
        const double deadline = wallSeconds() + 1.0;
        while (BASS_ChannelIsActive(played) != BASS_ACTIVE_STOPPED && wallSeconds() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(BASS_ChannelGetPosition(played, BASS_POS_BYTE), BASS_ChannelGetLength(played, BASS_POS_BYTE));
    }
}

// What a decode-only stream is and is not, its description, and freeing one
// stream among others.
TEST_F(bassStreamTest, DecodeOnlyStreamsInfoAndFree)
{
    const std::filesystem::path mp3 = makeMp3(dir.path(), "music.mp3", {32000, 1, 0.5}, "-b 64");
    const std::string wav = riffWave(wavFormat(2, 22050) + wavChunk("data", wavSamples(ramp(3000, 2))));
    const HSTREAM played = open(mp3);
    const HSTREAM decoded = BASS_StreamCreateFile(TRUE, wav.data(), 0, wav.size(), BASS_STREAM_DECODE);
    ASSERT_NE(played, 0u);
    ASSERT_NE(decoded, 0u);

    BASS_CHANNELINFO info;
    ASSERT_TRUE(BASS_ChannelGetInfo(played, &info));
    EXPECT_EQ(info.freq, 32000u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(info.ctype, static_cast<DWORD>(BASS_CTYPE_STREAM_MP3));
    EXPECT_EQ(info.origres, 16u);
    EXPECT_STREQ(info.filename, mp3.c_str());
    ASSERT_TRUE(BASS_ChannelGetInfo(decoded, &info));
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.flags, static_cast<DWORD>(BASS_STREAM_DECODE));
    EXPECT_EQ(info.ctype, static_cast<DWORD>(BASS_CTYPE_STREAM_WAV));
    EXPECT_EQ(info.filename, nullptr);
    EXPECT_FALSE(BASS_ChannelGetInfo(played + decoded, &info));

    // Never played; read in whole frames, from where it is sought to.
    char buffer[64];
    EXPECT_FALSE(BASS_ChannelPlay(decoded, FALSE));
    EXPECT_FALSE(BASS_ChannelPause(decoded));
    EXPECT_EQ(BASS_ChannelGetData(played, buffer, sizeof buffer), ~DWORD{0});
    EXPECT_EQ(BASS_ChannelIsActive(decoded), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    EXPECT_EQ(BASS_ChannelGetData(decoded, buffer, 11), 8u);
    EXPECT_EQ(BASS_ChannelGetPosition(decoded, BASS_POS_BYTE), 8u);
    ASSERT_TRUE(BASS_ChannelSetPosition(decoded, 4 * 2990, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetData(decoded, buffer, sizeof buffer), 40u);
    EXPECT_EQ(BASS_ChannelGetData(decoded, buffer, sizeof buffer), ~DWORD{0});
    EXPECT_EQ(BASS_ChannelIsActive(decoded), static_cast<DWORD>(BASS_ACTIVE_STOPPED));

    ASSERT_TRUE(BASS_ChannelPlay(played, FALSE));
    EXPECT_TRUE(BASS_StreamFree(played));
    EXPECT_FALSE(BASS_StreamFree(played));
    EXPECT_EQ(BASS_ChannelGetLength(played, BASS_POS_BYTE), ~QWORD{0});
    EXPECT_EQ(BASS_ChannelGetLength(decoded, BASS_POS_BYTE), 4u * 3000);
    EXPECT_TRUE(BASS_StreamFree(decoded));
}
