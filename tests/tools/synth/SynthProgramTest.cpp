#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "testFiles.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runSynth(const testing_support::TempDir& dir, const std::string& arguments)
{
    // Run inside the folder, so that file names in messages are as given.
    std::string command = "cd '" + dir.path().string() + "' && '" + SYNTH_EXECUTABLE + "' " + arguments + " >'" +
        dir.file("stdout").string() + "' 2>'" + dir.file("stderr").string() + "'";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing_support::readFile(dir.file("stdout")),
        testing_support::readFile(dir.file("stderr"))};
}

uint32_t read32(const std::string& bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
        static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

uint16_t read16(const std::string& bytes, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

} // namespace

TEST(SynthProgram, WritesAStereo16BitWaveOfTheSongsLength)
{
    testing_support::TempDir dir;
    // 2 bars at 120 bpm: 176400 frames.
    dir.write("song.score", "tempo 120\nbars 2\ninstrument hh hat\npattern p\n| x.x. x.x. x.x. x.x. |\nplay 0-1 hh p\n");
    Outcome run = runSynth(dir, "song.score out.wav");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    std::string wav = testing_support::readFile(dir.file("out.wav"));
    const uint32_t dataBytes = 176400u * 4u;
    ASSERT_EQ(wav.size(), 44u + dataBytes);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(read32(wav, 4), 36u + dataBytes);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(read32(wav, 16), 16u);         // format chunk size
    EXPECT_EQ(read16(wav, 20), 1u);          // PCM
    EXPECT_EQ(read16(wav, 22), 2u);          // channels
    EXPECT_EQ(read32(wav, 24), 44100u);      // frames per second
    EXPECT_EQ(read32(wav, 28), 44100u * 4u); // bytes per second
    EXPECT_EQ(read16(wav, 32), 4u);          // bytes per frame
    EXPECT_EQ(read16(wav, 34), 16u);         // bits per sample
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(read32(wav, 40), dataBytes);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav.part")));
}

TEST(SynthProgram, ABadScoreWritesNothingAndSaysWhereItIsWrong)
{
    testing_support::TempDir dir;
    dir.write("bad.score", "tempo 120\nbars 2\nplay 0 nobody nothing\n");
    Outcome run = runSynth(dir, "bad.score out.wav");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "bad.score:3: unknown instrument \"nobody\"\nbad.score:3: unknown pattern \"nothing\"\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));

    // An earlier rendering is left as it was.
    dir.write("out.wav", "earlier");
    EXPECT_EQ(runSynth(dir, "bad.score out.wav").status, 1);
    EXPECT_EQ(testing_support::readFile(dir.file("out.wav")), "earlier");
}

TEST(SynthProgram, ReportsMissingFilesUnwritableOutputAndWrongUse)
{
    testing_support::TempDir dir;
    Outcome missing = runSynth(dir, "none.score out.wav");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "none.score:0: cannot read the score\n");
    std::filesystem::create_directory(dir.file("folder.score"));
    Outcome folder = runSynth(dir, "folder.score out.wav");
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "folder.score:0: cannot read the score\n");

    dir.write("song.score", "tempo 120\nbars 1\n");
    Outcome unwritable = runSynth(dir, "song.score no/such/folder/out.wav");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "synth: cannot write \"no/such/folder/out.wav\"\n");

    Outcome wrongUse = runSynth(dir, "song.score");
    EXPECT_EQ(wrongUse.status, 2);
    EXPECT_EQ(wrongUse.err.substr(0, wrongUse.err.find('\n')), "synth: expects a score and an output file");
    EXPECT_NE(wrongUse.err.find("usage: synth SCORE OUT.wav"), std::string::npos);
    EXPECT_EQ(wrongUse.out, "");

    // A mistyped option is neither read nor written over.
    Outcome option = runSynth(dir, "song.score --out");
    EXPECT_EQ(option.status, 2);
    EXPECT_EQ(option.err.substr(0, option.err.find('\n')), "synth: unknown option \"--out\"");
    EXPECT_FALSE(std::filesystem::exists(dir.file("--out")));

    // A device is written in place, and a write that does not go through fails.
    Outcome full = runSynth(dir, "song.score /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "synth: cannot write \"/dev/full\"\n");
}
