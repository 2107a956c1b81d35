#include "WavFile.h"

#include "wholeFile.h"

namespace synth {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xff));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

void putTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

constexpr uint32_t channels = 2;
constexpr uint32_t bytesPerSample = 2;
constexpr size_t kHeaderBytes = 44;

} // namespace

std::vector<uint8_t> WavFile::header(uint32_t frames, int sampleRate)
{
    uint32_t dataBytes = frames * channels * bytesPerSample;
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes);
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, channels);
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate) * channels * bytesPerSample);
    put16(out, channels * bytesPerSample);
    put16(out, bytesPerSample * 8);
    putTag(out, "data");
    put32(out, dataBytes);
    return out;
}

bool WavFile::writeStereo(const std::string& path, const std::vector<int16_t>& samples, int sampleRate)
{
    std::vector<uint8_t> bytes = header(static_cast<uint32_t>(samples.size() / channels), sampleRate);
    bytes.reserve(bytes.size() + samples.size() * bytesPerSample);
    for (int16_t sample : samples) {
        put16(bytes, static_cast<uint16_t>(sample));
    }
    return writeWholeFile(path, bytes);
}

} // namespace synth
