#include "WavFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

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
    // A device or pipe (say /dev/stdout) is written in place; only a real
    // file is replaced as a whole.
    std::error_code ignored;
    auto status = std::filesystem::status(path, ignored);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return out.good();
    }
    std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out.good() && std::rename(partial.c_str(), path.c_str()) == 0) {
            return true;
        }
    }
    std::remove(partial.c_str());
    return false;
}

} // namespace synth
