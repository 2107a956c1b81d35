#include "bassTestStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>
#include <set>
#include <thread>

using namespace bass_testing;

namespace {

void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Waits for the stream to stop, checking on the way that its position never
// goes back; the wall-clock seconds it took.
double playOut(HSTREAM stream, double timeout)
{
    const double start = wallSeconds();
    QWORD previous = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    while (BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED && wallSeconds() - start < timeout) {
        const QWORD position = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
        EXPECT_GE(position, previous);
        previous = position;
        sleepSeconds(0.001);
    }
    return wallSeconds() - start;
}

// Every state seen while polling until the stream stops.
std::set<DWORD> statesUntilStopped(HSTREAM stream, double timeout)
{
    std::set<DWORD> seen;
    const double start = wallSeconds();
    DWORD state = BASS_ACTIVE_PLAYING;
    while (state != BASS_ACTIVE_STOPPED && wallSeconds() - start < timeout) {
        state = BASS_ChannelIsActive(stream);
        seen.insert(state);
    }
    return seen;
}

DWORD leftLevel(DWORD word)
{
    return word & 0xFFFF;
}

DWORD rightLevel(DWORD word)
{
    return word >> 16;
}

} // namespace

class bassPlaybackTest : public StreamTest {
};

TEST_F(bassPlaybackTest, PlaysToTheEndInRealTime)
{
    const HSTREAM stream = make("half_second.mp3", {44100, 1, 0.5}, "-V 2");
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    const double took = playOut(stream, 3.0);

    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
    EXPECT_GE(took, 0.49);
    EXPECT_LT(took, 0.9);
    // The end stays the end.
    sleepSeconds(0.05);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
    EXPECT_FALSE(BASS_ChannelPause(stream));
    EXPECT_EQ(BASS_ChannelGetLevel(stream), 0u);
}

// Playing at once, or seeking far ahead while playing, must not wait on the
// layer's own decoder: a caller that ends on a stall would end right there.
TEST_F(bassPlaybackTest, LocalFileNeverStallsOnItsOwnDecoding)
{
    const std::set<DWORD> playingThenStopped{BASS_ACTIVE_STOPPED, BASS_ACTIVE_PLAYING};
    const HSTREAM shortStream = make("short.mp3", {44100, 2, 0.4});
    ASSERT_NE(shortStream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(shortStream, FALSE));
    EXPECT_EQ(statesUntilStopped(shortStream, 3.0), playingThenStopped);
    EXPECT_EQ(BASS_ChannelGetPosition(shortStream, BASS_POS_BYTE), BASS_ChannelGetLength(shortStream, BASS_POS_BYTE));

    const HSTREAM longStream = make("long.mp3", {44100, 2, 40.0});
    ASSERT_NE(longStream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(longStream, FALSE));
    ASSERT_TRUE(BASS_ChannelSetPosition(longStream, BASS_ChannelSeconds2Bytes(longStream, 39.6), BASS_POS_BYTE));
    EXPECT_EQ(statesUntilStopped(longStream, 3.0), playingThenStopped);
    EXPECT_EQ(BASS_ChannelGetPosition(longStream, BASS_POS_BYTE), BASS_ChannelGetLength(longStream, BASS_POS_BYTE));
}

TEST_F(bassPlaybackTest, PositionFollowsTheClockBetweenPulls)
{
    const HSTREAM stream = make("one_second.mp3", {44100, 2, 1.0});
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    while (BASS_ChannelGetPosition(stream, BASS_POS_BYTE) == 0)
        std::this_thread::yield();

    const double wallStart = wallSeconds();
    const double positionStart = positionSeconds(stream);
    double previous = positionStart;
    double worst = 0.0;
    std::set<QWORD> seen;
    while (wallSeconds() - wallStart < 0.3) {
        const QWORD bytes = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
        const double wall = wallSeconds();
        const double position = BASS_ChannelBytes2Seconds(stream, bytes);
        EXPECT_GE(position, previous);
        previous = position;
        seen.insert(bytes);
        worst = std::max(worst, std::fabs((position - positionStart) - (wall - wallStart)));
        sleepSeconds(0.0002);
    }
    // The silent output pulls every 10 ms: 30 pulls. Hundreds of positions
    // mean it moves in between; it keeps within a few ms of the clock.
    EXPECT_GT(seen.size(), 200u);
    EXPECT_LT(worst, 0.005);
}

TEST_F(bassPlaybackTest, PauseFreezesAndPlayResumes)
{
    const HSTREAM stream = make("one_second.mp3", {44100, 2, 1.0});
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(BASS_ChannelPause(stream));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    sleepSeconds(0.15);
    ASSERT_TRUE(BASS_ChannelPause(stream));
    const QWORD paused = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    EXPECT_GT(BASS_ChannelBytes2Seconds(stream, paused), 0.1);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PAUSED));
    EXPECT_FALSE(BASS_ChannelPause(stream));
    sleepSeconds(0.1);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), paused);
    EXPECT_EQ(BASS_ChannelGetLevel(stream), 0u);

    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_GE(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), paused);
    sleepSeconds(0.1);
    const double moved = positionSeconds(stream) - BASS_ChannelBytes2Seconds(stream, paused);
    EXPECT_GT(moved, 0.07);
    EXPECT_LT(moved, 0.2);
}

TEST_F(bassPlaybackTest, SeeksAreSampleExactWhenNotPlaying)
{
    const HSTREAM stream = make("one_second.mp3", {44100, 2, 1.0});
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);

    // Stopped: the position moves, the state stays.
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 4 * 12345, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 4u * 12345);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));

    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    sleepSeconds(0.05);
    ASSERT_TRUE(BASS_ChannelPause(stream));
    // A byte inside a frame seeks to the frame.
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 4 * 777 + 3, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 4u * 777);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PAUSED));
    // Past the end: refused, nothing changes.
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, length + 4, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 4u * 777);
    // The end itself is a position.
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, length, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PAUSED));

    // Playing goes on from the position sought.
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 4 * 777, BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    const double resumed = positionSeconds(stream);
    EXPECT_GE(resumed, 777.0 / 44100);
    EXPECT_LT(resumed, 777.0 / 44100 + 0.03);
}

TEST_F(bassPlaybackTest, SeeksWhilePlayingGoOnFromTheTarget)
{
    const HSTREAM stream = make("one_second.mp3", {44100, 2, 1.0});
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    sleepSeconds(0.1);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.8), BASS_POS_BYTE));
    const double target = positionSeconds(stream);
    EXPECT_GE(target, 0.8);
    EXPECT_LT(target, 0.83);
    // What is left after the target takes its time to play.
    const double took = playOut(stream, 2.0);
    EXPECT_GT(took, 0.15);
    EXPECT_LT(took, 0.5);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));

    // Seeking to the end while playing ends it; playing there ends at once.
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_LT(positionSeconds(stream), 0.03);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelGetLength(stream, BASS_POS_BYTE), BASS_POS_BYTE));
    EXPECT_LT(playOut(stream, 1.0), 0.1);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
}

TEST_F(bassPlaybackTest, LevelWordIsThePeakOfEachChannel)
{
    Signal unequal{44100, 2, 1.0, "sine 1000 sine 1000", "remix 1v0.5 2v0.25"};
    const HSTREAM stereo = make("stereo.mp3", unequal, "-m s -b 192");
    const HSTREAM mono = make("mono.mp3", {44100, 1, 1.0, "sine 1000", "vol 0.5"}, "-b 128");
    ASSERT_NE(stereo, 0u);
    ASSERT_NE(mono, 0u);
    EXPECT_EQ(BASS_ChannelGetLevel(stereo), 0u);

    ASSERT_TRUE(BASS_ChannelPlay(stereo, FALSE));
    ASSERT_TRUE(BASS_ChannelPlay(mono, FALSE));
    sleepSeconds(0.15);
    const DWORD stereoLevel = BASS_ChannelGetLevel(stereo);
    const DWORD monoLevel = BASS_ChannelGetLevel(mono);
    EXPECT_NEAR(leftLevel(stereoLevel), 16384.0, 16384 * 0.06);
    EXPECT_NEAR(rightLevel(stereoLevel), 8192.0, 8192 * 0.06);
    EXPECT_NEAR(leftLevel(monoLevel), 16384.0, 16384 * 0.06);
    EXPECT_EQ(leftLevel(monoLevel), rightLevel(monoLevel));
}

// Calls from two threads while the output runs: for the thread sanitizer
// above all, and for the invariants that hold whatever the order.
TEST_F(bassPlaybackTest, CallsFromSeveralThreadsKeepTheStreamConsistent)
{
    const HSTREAM stream = make("one_second.mp3", {44100, 2, 1.0});
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done.load()) {
            const DWORD state = BASS_ChannelIsActive(stream);
            EXPECT_LE(state, static_cast<DWORD>(BASS_ACTIVE_PAUSED));
            EXPECT_LE(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
            EXPECT_LE(leftLevel(BASS_ChannelGetLevel(stream)), 32768u);
        }
    });
    std::mt19937 random(7);
    std::uniform_int_distribution<QWORD> frame(0, length / 4);
    const double start = wallSeconds();
    while (wallSeconds() - start < 0.3) {
        switch (random() % 4) {
        case 0:
            BASS_ChannelPlay(stream, FALSE);
            break;
        case 1:
            BASS_ChannelPause(stream);
            break;
        default:
            EXPECT_TRUE(BASS_ChannelSetPosition(stream, 4 * frame(random), BASS_POS_BYTE));
            break;
        }
        sleepSeconds(0.001);
    }
    BASS_ChannelPlay(stream, FALSE);
    done.store(true);
    watcher.join();
    // Released while playing.
    EXPECT_TRUE(BASS_Free());
}
