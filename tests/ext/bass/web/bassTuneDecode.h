#pragma once

#include <cstdint>
#include <vector>

namespace bass_testing {

// A whole tune as the layer decodes it, read the same way by the desktop
// test and by the test page.
struct DecodedTune {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved; empty when the file did not open
};

// Opens `path` as a decode-only stream of the started layer and reads it all.
DecodedTune decodeTune(const char* path);

} // namespace bass_testing
