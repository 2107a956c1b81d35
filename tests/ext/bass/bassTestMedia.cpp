#include "bassTestMedia.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace bass_testing {

namespace {

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

std::string le(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    return out;
}

void run(const std::string& command)
{
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace

std::filesystem::path makeMp3(const std::filesystem::path& dir, const std::string& name, const Signal& signal,
                              const std::string& lameOptions)
{
    const std::filesystem::path wav = dir / (name + ".wav");
    const std::filesystem::path mp3 = dir / name;
    std::ostringstream sox;
    sox << "sox -V1 -n -r " << signal.rate << " -c " << signal.channels << " -b 16 " << quoted(wav) << " synth "
        << signal.seconds << " " << signal.synth << " " << signal.effects;
    run(sox.str());
    run("lame --quiet " + lameOptions + " " + quoted(wav) + " " + quoted(mp3));
    std::filesystem::remove(wav);
    return mp3;
}

std::filesystem::path truncateCopy(const std::filesystem::path& from, const std::filesystem::path& to, size_t bytes)
{
    std::ifstream in(from, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(content.size(), bytes);
    std::ofstream(to, std::ios::binary) << content.substr(0, bytes);
    return to;
}

std::string wavChunk(const char* id, const std::string& body, uint32_t sizeField)
{
    return std::string(id, 4) + le(sizeField, 4) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

std::string wavChunk(const char* id, const std::string& body)
{
    return wavChunk(id, body, static_cast<uint32_t>(body.size()));
}

std::string wavFormat(int channels, uint32_t rate, int bits, int tag)
{
    const uint32_t blockAlign = static_cast<uint32_t>(channels * bits / 8);
    return wavChunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * blockAlign, 4) + le(blockAlign, 2) +
                                le(bits, 2));
}

std::string wavSamples(const std::vector<int16_t>& samples)
{
    std::string out;
    for (int16_t sample : samples)
        out += le(static_cast<uint16_t>(sample), 2);
    return out;
}

std::string riffWave(const std::string& chunks)
{
    return "RIFF" + le(static_cast<uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

} // namespace bass_testing
