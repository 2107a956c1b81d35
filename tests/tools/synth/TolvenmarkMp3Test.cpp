#include <gtest/gtest.h>

#include <mpg123.h>

#include <filesystem>

#include "testFiles.h"

// The encoded tune in the run folder decodes, gaplessly, to exactly the
// rendered length: 64 bars at 127 bpm.
TEST(TolvenmarkMp3, DecodesToExactlySixtyFourBars)
{
    auto path = testing_support::runDir() / "tolvenmark.mp3";
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " has not been built";

    ASSERT_EQ(mpg123_init(), MPG123_OK);
    int status = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &status);
    ASSERT_NE(decoder, nullptr);
    mpg123_param(decoder, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    ASSERT_EQ(mpg123_open(decoder, path.c_str()), MPG123_OK);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    ASSERT_EQ(mpg123_getformat(decoder, &rate, &channels, &encoding), MPG123_OK);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(encoding, MPG123_ENC_SIGNED_16);

    unsigned char buffer[1 << 16];
    size_t bytes = 0;
    size_t total = 0;
    do {
        status = mpg123_read(decoder, buffer, sizeof buffer, &bytes);
        total += bytes;
    } while (status == MPG123_OK);
    EXPECT_EQ(status, MPG123_DONE);
    EXPECT_EQ(total, 5333669u * 4u);
    mpg123_close(decoder);
    mpg123_delete(decoder);
}
