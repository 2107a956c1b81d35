#include "bassTestStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

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
    for (const char* name : {"absent.mp3", "empty.mp3", "notes.mp3", "header.mp3"}) {
        SCOPED_TRACE(name);
        testing::internal::CaptureStderr();
        const HSTREAM stream = open(dir.file(name));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(stream, 0u);
        EXPECT_EQ(lineCount(said), 1u) << said;
        EXPECT_EQ(said.rfind("audio: ", 0), 0u) << said;
        EXPECT_NE(said.find(std::string(name) + "\""), std::string::npos) << said;
    }
}

TEST_F(bassStreamTest, TruncatedFilePlaysWhatDecodes)
{
    const std::filesystem::path whole = makeMp3(dir.path(), "whole.mp3", {44100, 2, 1.0}, "-b 128");
    const std::filesystem::path cut = truncateCopy(whole, dir.file("cut.mp3"), std::filesystem::file_size(whole) / 2);
    testing::internal::CaptureStderr();
    const HSTREAM stream = open(cut);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(lineCount(said), 1u) << said;
    EXPECT_NE(said.find("\"" + cut.string() + "\" is truncated"), std::string::npos) << said;
    const double length = lengthSeconds(stream);
    EXPECT_GT(length, 0.4);
    EXPECT_LT(length, 0.6);

    // Its last tenth of a second plays to the end like any other music.
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, length - 0.1), BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    const double deadline = wallSeconds() + 2.0;
    while (BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED && wallSeconds() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
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
