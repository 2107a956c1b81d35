#include "vroAudio.h"
#include "vroProgressBar.h"

#include "bass.h"
#include "bassTestMedia.h"
#include "glTest.h"
#include "testFiles.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace testing_support;
using bass_testing::Signal;

namespace {

constexpr double kRowsPerSecondAt127 = 16.933333333333334;

void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Key {
    int32_t row;
    float value;
    int8_t kind;
};

// A track file: 8-byte key count, then row, value and kind of every key.
std::string trackFile(const std::vector<Key>& keys)
{
    std::string bytes(8, '\0');
    const uint64_t count = keys.size();
    std::memcpy(bytes.data(), &count, sizeof count);
    for (const Key& key : keys) {
        char record[9];
        std::memcpy(record, &key.row, 4);
        std::memcpy(record + 4, &key.value, 4);
        record[8] = static_cast<char>(key.kind);
        bytes.append(record, sizeof record);
    }
    return bytes;
}

size_t loadLines(const std::string& text)
{
    const std::string line = "DEBUG: Getting track data\n";
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size()))
        ++count;
    return count;
}

} // namespace

// kakRowRate belongs to the process: this case comes first so that it sees
// the start value even when the whole file runs in one process.
TEST(vroAudioRowRate, RowIsZeroBeforeAnyTune)
{
    EXPECT_EQ(kakRowRate, 0.0);
    vroAudio audio;
    EXPECT_EQ(audio.HowManyItems(), 0);
    EXPECT_EQ(audio.getRow(), 0.0);
    EXPECT_FALSE(audio.IsOK());
}

TEST(vroAudioRowRate, SetTuneSetsRowsPerSecondAndOneLoadingStep)
{
    vroAudio audio;
    audio.setTune("tolvenmark.mp3", 127);
    EXPECT_EQ(kakRowRate, kRowsPerSecondAt127);
    EXPECT_EQ(audio.HowManyItems(), 1);
    audio.setTune("tolvenmark.mp3", 60);
    EXPECT_EQ(kakRowRate, 8.0);
}

// Loading takes the loading bar, and with it a GL context. The tests run in a
// folder of their own, where the tune and the track files are found by bare
// names as in the production.
class vroAudioTest : public GLTest {
protected:
    vroAudioTest()
        : inFolder(folder.path())
    {
    }

    // A tune of that signal at 127 bpm, loaded behind a bar.
    void load(vroAudio& audio, const std::string& name, const Signal& signal, const std::string& lameOptions = "-b 128")
    {
        bass_testing::makeMp3(folder.path(), name, signal, lameOptions);
        audio.setTune(name, 127);
        vroProgressBar bar(&window());
        bar.AddSteps(audio.HowManyItems());
        audio.Load(bar);
        EXPECT_EQ(bar.getDoneSteps(), 1);
    }

    // A track whose value is its row, to read the recorded row back.
    void addRowTrack(vroAudio& audio)
    {
        folder.write("kelvandrix_sync_row.track", trackFile({{0, 0.0f, 1}, {1000000, 1000000.0f, 0}}));
        audio.addSyncTrack("row");
    }

    TempDir folder;
    WorkingDir inFolder;
};

TEST_F(vroAudioTest, LoadOpensTheTuneWithoutPlayingIt)
{
    vroAudio audio;
    load(audio, "tune.mp3", {48000, 2, 0.5});
    EXPECT_EQ(audio.GetLength(), 0.5);
    EXPECT_EQ(audio.GetPosition(), 0.0);
    sleepSeconds(0.05);
    EXPECT_EQ(audio.GetPosition(), 0.0);
    EXPECT_FALSE(audio.IsOK());
}

TEST_F(vroAudioTest, MissingTuneEndsAtTheFirstFrame)
{
    vroAudio audio;
    audio.setTune("absent.mp3", 127);
    vroProgressBar bar(&window());
    bar.AddSteps(audio.HowManyItems());
    testing::internal::CaptureStderr();
    audio.Load(bar);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"absent.mp3\""), std::string::npos);
    EXPECT_EQ(bar.getDoneSteps(), 1);
    EXPECT_EQ(audio.GetLength(), 0.0);
    audio.Play();
    EXPECT_FALSE(audio.IsOK());
}

TEST_F(vroAudioTest, LoadWithoutTuneAnnouncesNoStepButAdvancesOnce)
{
    vroAudio audio;
    EXPECT_EQ(audio.HowManyItems(), 0);
    vroProgressBar bar(&window());
    audio.Load(bar);
    EXPECT_EQ(bar.getDoneSteps(), 1);
    EXPECT_EQ(audio.GetLength(), 0.0);
    EXPECT_FALSE(audio.IsOK());
}

TEST_F(vroAudioTest, RowIsMusicSecondsTimesRowsPerSecond)
{
    vroAudio audio;
    load(audio, "minute.mp3", {8000, 1, 61.0}, "-b 32");
    addRowTrack(audio);
    audio.Forward(60.0);
    EXPECT_EQ(audio.GetPosition(), 60.0);
    EXPECT_EQ(audio.getRow(), 1016.0);
    // Not playing: false, and the row is recorded all the same.
    EXPECT_EQ(audio.getSyncValue("row"), 0.0f);
    EXPECT_FALSE(audio.IsOK());
    EXPECT_EQ(audio.getSyncValue("row"), 1016.0f);
    // Fractional rows stay fractional.
    audio.Rewind(0.5);
    EXPECT_EQ(audio.getRow(), 59.5 * kRowsPerSecondAt127);
}

TEST_F(vroAudioTest, IsOKIsFalseAtTheEndEvenWhileRunning)
{
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 0.5});
    addRowTrack(audio);
    audio.Play();
    audio.Pause();
    EXPECT_TRUE(audio.IsOK());
    audio.Forward(audio.GetLength() - audio.GetPosition());
    EXPECT_EQ(audio.GetPosition(), audio.GetLength());
    EXPECT_FALSE(audio.IsOK());
    EXPECT_FLOAT_EQ(audio.getSyncValue("row"), static_cast<float>(0.5 * kRowsPerSecondAt127));
}

TEST_F(vroAudioTest, PlaysToTheEndAndTheLoopEnds)
{
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 0.5});
    const double start = wallSeconds();
    audio.Play();
    double previous = 0.0;
    while (audio.IsOK() && wallSeconds() - start < 3.0) {
        EXPECT_GE(audio.GetBeat(), previous);
        previous = audio.GetBeat();
        sleepSeconds(0.002);
    }
    EXPECT_GE(wallSeconds() - start, 0.49);
    EXPECT_LT(wallSeconds() - start, 1.0);
    EXPECT_EQ(audio.GetPosition(), audio.GetLength());
    EXPECT_FALSE(audio.IsOK());
}

TEST_F(vroAudioTest, SeeksRecordTheirTargetsEvenOutsideTheMusic)
{
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 0.5});
    audio.Forward(0.25);
    EXPECT_EQ(audio.GetBeat(), 0.25);
    EXPECT_EQ(audio.GetPosition(), 0.25);
    audio.Forward(0.0);
    EXPECT_EQ(audio.GetPosition(), 0.25);

    audio.Rewind(1.0);
    EXPECT_EQ(audio.GetBeat(), -0.75);
    EXPECT_EQ(audio.GetPosition(), 0.25);
    audio.Forward(1.0);
    EXPECT_EQ(audio.GetBeat(), 1.25);
    EXPECT_EQ(audio.GetPosition(), 0.25);
}

// An absolute seek lands on the nearest sample and the next frame's row
// follows it at once; a target outside the music changes nothing.
TEST_F(vroAudioTest, SeekToLandsOnTheSampleAndTheRowFollows)
{
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 2.0});
    addRowTrack(audio);
    audio.Play();
    audio.Pause();
    ASSERT_TRUE(audio.SeekTo(1.0 / 3.0));
    EXPECT_EQ(audio.GetPosition(), 14700.0 / 44100.0);
    EXPECT_TRUE(audio.IsOK());
    EXPECT_NEAR(audio.getSyncValue("row"), 14700.0 / 44100.0 * kRowsPerSecondAt127, 1e-3);

    EXPECT_FALSE(audio.SeekTo(-0.5));
    EXPECT_FALSE(audio.SeekTo(audio.GetLength() + 0.5));
    EXPECT_EQ(audio.GetBeat(), 14700.0 / 44100.0);
    EXPECT_EQ(audio.GetPosition(), 14700.0 / 44100.0);
}

// The development player swaps in a rendered score whatever the transport
// does: a paused tune must stay paused at its place, not read as ended.
TEST_F(vroAudioTest, AReplacedTuneKeepsThePositionAndWhetherItPlays)
{
    using namespace bass_testing;
    const std::string wav = riffWave(wavFormat(2, 44100)
                                     + wavChunk("data", wavSamples(std::vector<int16_t>(2 * 44100, 0))));
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 2.0});
    audio.Play();
    audio.Pause();
    ASSERT_TRUE(audio.SeekTo(0.25));
    ASSERT_TRUE(audio.ReplaceTune(std::vector<uint8_t>(wav.begin(), wav.end())));
    EXPECT_EQ(audio.GetLength(), 1.0);
    EXPECT_TRUE(audio.IsOK()) << "paused, not ended";
    sleepSeconds(0.05);
    EXPECT_EQ(audio.GetPosition(), 0.25);

    audio.Play();
    ASSERT_TRUE(audio.ReplaceTune(std::vector<uint8_t>(wav.begin(), wav.end())));
    sleepSeconds(0.05);
    EXPECT_TRUE(audio.IsOK());
    EXPECT_GT(audio.GetPosition(), 0.25) << "still playing";
}

TEST_F(vroAudioTest, LevelIsTheMeanOfBothChannels)
{
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 1.0, "sine 1000 sine 1000", "remix 1v0.5 2v0.25"}, "-m s -b 192");
    EXPECT_EQ(audio.GetLevel(), 0.0f);
    audio.Play();
    sleepSeconds(0.1);
    EXPECT_NEAR(audio.GetLevel(), 0.375f, 0.02f);
    audio.Pause();
    EXPECT_EQ(audio.GetLevel(), 0.0f);
}

TEST_F(vroAudioTest, SyncTracksAreReadOnceAndEvaluatedAtTheRecordedRow)
{
    folder.write("kelvandrix_sync_ramp.track", trackFile({{0, 1.0f, 1}, {8, 3.0f, 0}}));
    vroAudio audio;
    load(audio, "tune.mp3", {44100, 2, 1.0});

    testing::internal::CaptureStdout();
    audio.addSyncTrack("ramp");
    audio.addSyncTrack("ramp");
    audio.addSyncTrack("absent");
    EXPECT_EQ(audio.getSyncValue("never"), 0.0f);
    EXPECT_EQ(loadLines(testing::internal::GetCapturedStdout()), 2u);

    // Before the first IsOK every value is read at row 0.
    EXPECT_EQ(audio.getSyncValue("ramp"), 1.0f);
    EXPECT_EQ(audio.getSyncValue("absent"), 0.0f);
    // Row 4 is half way between the keys; the value stays until the next IsOK.
    audio.Forward(4.0 / kRowsPerSecondAt127);
    EXPECT_EQ(audio.getSyncValue("ramp"), 1.0f);
    audio.IsOK();
    EXPECT_NEAR(audio.getSyncValue("ramp"), 2.0f, 1e-3f);
    EXPECT_EQ(audio.getSyncValue("absent"), 0.0f);

    // A name read before it was registered was not registered by the reading.
    testing::internal::CaptureStdout();
    audio.addSyncTrack("never");
    EXPECT_EQ(loadLines(testing::internal::GetCapturedStdout()), 1u);
}
