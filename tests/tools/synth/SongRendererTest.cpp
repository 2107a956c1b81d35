#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "SongRenderer.h"
#include "Timing.h"
#include "synthTestAudio.h"

using synth_test::channel;
using synth_test::fundamental;
using synth_test::peak;
using synth_test::renderScore;
using synth_test::rms;

namespace {

constexpr double rate = synth::Timing::sampleRate;

// 120 bpm, 4/4, sixteenths: a bar is 88200 samples.
constexpr int64_t bar = 88200;

std::string header(int bars)
{
    return "tempo 120\nbars " + std::to_string(bars) + "\n";
}

int64_t firstSoundingFrame(const std::vector<int16_t>& stereo)
{
    for (size_t i = 0; i < stereo.size(); ++i) {
        if (stereo[i] != 0) {
            return static_cast<int64_t>(i / 2);
        }
    }
    return -1;
}

// A plain saw held for a whole bar: nothing to blur its period.
std::string heldNote(const std::string& note, const std::string& settings = "")
{
    return header(1) + "instrument tone bass sub=0 envmod=0 resonance=0 cutoff=3000 " + settings +
        "\npattern held\n| " + note + " --------------- |\nplay 0 tone held\n";
}

} // namespace

TEST(SongRenderer, TheSameScoreGivesTheSameSamples)
{
    const std::string song = header(2) +
        "instrument bd kick\ninstrument hh hat\ninstrument keys pad reverb=0.5 delay=0.5 duck=0.5\n"
        "instrument riser riser\n"
        "pattern beat\n| x..o x..o X... x.xx |\npattern chord\n| A3:C4:E4 --------------- |\n"
        "play 0-1 bd beat\nplay 0-1 hh beat\nplay 0-1 keys chord\nplay 1 riser chord\n"
        "ramp 0-1 keys cutoff 200 5000\n";
    auto first = renderScore(song);
    auto second = renderScore(song);
    ASSERT_EQ(first.size(), static_cast<size_t>(2 * 2 * bar));
    EXPECT_GT(rms(channel(first, 0, 0, 2 * bar)), 0.01);
    EXPECT_TRUE(first == second);
}

TEST(SongRenderer, RendersExactlyTheSongsBars)
{
    synth::Score score = synth_test::parseScore("tempo 127\nbars 64\n");
    synth::SongRenderer renderer(score);
    EXPECT_EQ(renderer.frameCount(), 5333669);
    auto samples = renderer.render();
    EXPECT_EQ(samples.size(), 2u * 5333669u);
    EXPECT_EQ(peak(channel(samples, 0, 0, 5333669)), 0.0);
}

TEST(SongRenderer, NotesStartOnTheirStepAndPatternsRepeatWithinTheirBars)
{
    // The hit is in the second bar of a two-bar pattern played over bars 1-4:
    // it sounds in bars 2 and 4 only.
    auto samples = renderScore(header(5) +
        "instrument hh hat\npattern late\n| ................ | ....x........... |\nplay 1-4 hh late\n");
    int64_t hit = 2 * bar + 4 * bar / 16;
    EXPECT_EQ(firstSoundingFrame(samples), hit);
    EXPECT_GT(peak(channel(samples, 0, hit, hit + 2000)), 0.05);
    EXPECT_EQ(peak(channel(samples, 0, hit + bar / 2, 4 * bar)), 0.0);
    EXPECT_GT(peak(channel(samples, 0, 4 * bar, 5 * bar)), 0.05);
}

TEST(SongRenderer, NotesSoundAtTheirPitch)
{
    const struct {
        const char* note;
        const char* settings;
        double frequency;
    } cases[] = {
        {"A4", "", 440.0},
        {"A3", "", 220.0},
        {"C#5", "", 554.365},
        {"Bb2", "", 116.541},
        {"A3", "transpose=12", 440.0},
        {"A4", "voices=3 detune=0", 440.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.note) + " " + c.settings);
        auto samples = renderScore(heldNote(c.note, c.settings));
        // Well after the attack, well before the note ends.
        double measured = fundamental(channel(samples, 0, bar / 4, bar / 4 + 8192), rate);
        EXPECT_NEAR(measured, c.frequency, c.frequency * 0.003);
    }
}

TEST(SongRenderer, StaysTwoAndAHalfDecibelsUnderFullScaleHoweverHardItIsDriven)
{
    auto samples = renderScore(header(1) + "master gain=4\n"
        "instrument bd kick gain=4 drive=1\ninstrument low bass gain=4 resonance=1\n"
        "instrument keys pad gain=4 attack=0\n"
        "pattern beat\n| X.X. X.X. X.X. X.X. |\npattern chord\n| A1:A2:E3:A3 --------------- |\n"
        "play 0 bd beat\nplay 0 low chord\nplay 0 keys chord\n");
    int16_t top = 0;
    int16_t bottom = 0;
    for (int16_t sample : samples) {
        top = std::max(top, sample);
        bottom = std::min(bottom, sample);
    }
    // -2.5 dBFS is 24572: room for an encoder's ringing under -1 dBFS.
    EXPECT_LE(top, 24572);
    EXPECT_GE(bottom, -24572);
    // It was driven into the limiter, not merely loud (the limiter holds
    // the peaks between samples under the ceiling too, so samples stay a
    // little lower).
    EXPECT_GT(top, 21000);
    EXPECT_LT(bottom, -21000);
}

TEST(SongRenderer, NotesDieAwayToDigitalSilence)
{
    auto samples = renderScore(header(3) +
        "instrument bd kick\ninstrument keys lead release=0.2\npattern one\n| A4 --- ............ |\n"
        "play 0 bd one\nplay 0 keys one\n");
    EXPECT_GT(peak(channel(samples, 0, 0, bar / 4)), 0.1);
    EXPECT_EQ(peak(channel(samples, 0, 2 * bar, 3 * bar)), 0.0);
    EXPECT_EQ(peak(channel(samples, 1, 2 * bar, 3 * bar)), 0.0);
}

TEST(SongRenderer, RampsMoveSettingsAcrossTheirBars)
{
    // A gain ramp from silence: each quarter of the note louder than the one before.
    auto faded = renderScore(heldNote("A3") + "ramp 0 tone gain 0 1\n");
    double previous = 0.0;
    for (int quarter = 0; quarter < 4; ++quarter) {
        double level = rms(channel(faded, 0, quarter * bar / 4, (quarter + 1) * bar / 4));
        EXPECT_GT(level, previous * 1.3) << "quarter " << quarter;
        previous = level;
    }
    // The master's fade reaches silence at the end of its last bar.
    auto ending = renderScore(heldNote("A3") + "ramp 0 master gain 1 0\n");
    EXPECT_EQ(ending.back(), 0);
    EXPECT_LT(peak(channel(ending, 0, bar - 100, bar)), 0.001);
}

TEST(SongRenderer, DuckedInstrumentsDipUnderEveryKick)
{
    // A silent kick still drives the sidechain.
    auto samples = renderScore(header(1) +
        "instrument bd kick gain=0\ninstrument keys pad attack=0 duck=1\n"
        "pattern beat\n| X... X... X... X... |\npattern chord\n| A3:E4 --------------- |\n"
        "play 0 bd beat\nplay 0 keys chord\n");
    int64_t beat = bar / 4;
    double afterKick = rms(channel(samples, 0, 2 * beat + 200, 2 * beat + 1000));
    double beforeKick = rms(channel(samples, 0, 3 * beat - 800, 3 * beat));
    EXPECT_LT(afterKick, beforeKick * 0.3);
}
