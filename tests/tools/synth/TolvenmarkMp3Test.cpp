#include <gtest/gtest.h>

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "testFiles.h"

namespace {

// The encoded tune in the run folder, decoded gaplessly as the production's
// audio layer does: interleaved 16-bit stereo at 44.1 kHz.
std::vector<int16_t> decodedTune()
{
    auto path = testing_support::runDir() / "tolvenmark.mp3";
    EXPECT_TRUE(std::filesystem::exists(path)) << path << " has not been built";

    EXPECT_EQ(mpg123_init(), MPG123_OK);
    int status = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &status);
    EXPECT_NE(decoder, nullptr);
    std::vector<int16_t> samples;
    if (!decoder) {
        return samples;
    }
    mpg123_param(decoder, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    if (mpg123_open(decoder, path.c_str()) == MPG123_OK) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        EXPECT_EQ(mpg123_getformat(decoder, &rate, &channels, &encoding), MPG123_OK);
        EXPECT_EQ(rate, 44100);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(encoding, MPG123_ENC_SIGNED_16);
        int16_t buffer[1 << 15];
        size_t bytes = 0;
        do {
            status = mpg123_read(decoder, buffer, sizeof buffer, &bytes);
            samples.insert(samples.end(), buffer, buffer + bytes / sizeof(int16_t));
        } while (status == MPG123_OK);
        EXPECT_EQ(status, MPG123_DONE);
        mpg123_close(decoder);
    } else {
        ADD_FAILURE() << "cannot open " << path;
    }
    mpg123_delete(decoder);
    return samples;
}

} // namespace

// Decoded gaplessly, the tune is exactly the rendered length (64 bars at 127
// bpm) and keeps a decibel of headroom after encoding, at the loudness it
// had before there was any headroom.
TEST(TolvenmarkMp3, DecodesToSixtyFourBarsWithADecibelOfHeadroom)
{
    const std::vector<int16_t> samples = decodedTune();
    EXPECT_EQ(samples.size(), 5333669u * 2u);

    int peak = 0;
    double squares = 0.0;
    for (int16_t sample : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
        squares += static_cast<double>(sample) * sample;
    }
    EXPECT_LE(20.0 * std::log10(peak / 32768.0), -1.0) << "peak " << peak;
    // Measured on the tune decoded before its master had a limiter (its
    // peaks then reached full scale).
    const double rmsBeforeDb = -14.64;
    const double rmsDb = 20.0 * std::log10(std::sqrt(squares / std::max<size_t>(samples.size(), 1)) / 32768.0);
    EXPECT_NEAR(rmsDb, rmsBeforeDb, 0.5);
}
