#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bass_testing {

// A signal for sox to generate: its sample rate, channel count, duration and
// synth arguments (one generator per channel, e.g. "sine 440 sine 440").
struct Signal {
    int rate = 44100;
    int channels = 2;
    double seconds = 0.5;
    std::string synth = "sine 440";
    std::string effects = "vol 0.5";
};

// Makes `name` in `dir`: the signal encoded by lame with `lameOptions`.
// Fails the current test when sox or lame fail.
std::filesystem::path makeMp3(const std::filesystem::path& dir, const std::string& name, const Signal& signal,
                              const std::string& lameOptions);

// The first `bytes` bytes of `from`, written to `to`.
std::filesystem::path truncateCopy(const std::filesystem::path& from, const std::filesystem::path& to, size_t bytes);

// Pieces of a RIFF/WAVE file, little-endian: a chunk (its size field as
// given, its body padded to an even size), a format chunk, samples, and the
// RIFF header around chunks.
std::string wavChunk(const char* id, const std::string& body, uint32_t sizeField);
std::string wavChunk(const char* id, const std::string& body);
std::string wavFormat(int channels, uint32_t rate, int bits = 16, int tag = 1);
std::string wavSamples(const std::vector<int16_t>& samples);
std::string riffWave(const std::string& chunks);

} // namespace bass_testing
