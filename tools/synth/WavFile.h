#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// 16-bit PCM WAV output.
class WavFile {
public:
    // Writes interleaved stereo samples. A file appears under its name only
    // once it is complete; on failure nothing is left behind and false is
    // returned. A device or pipe is written directly.
    static bool writeStereo(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);

    // The 44-byte header of a stereo 16-bit file holding the given frames.
    static std::vector<uint8_t> header(uint32_t frames, int sampleRate);
};

} // namespace synth
