#include "trackfile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(SyncTrackFile, DecodesLittleEndianFieldsWithTheirSign)
{
    const unsigned char count[8] = {0x05, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04};
    const unsigned char negativeCount[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
    const unsigned char row[4] = {0x78, 0x56, 0x34, 0x92};
    const unsigned char value[4] = {0x00, 0x00, 0x20, 0xC1};
    EXPECT_EQ(sync_decode_count(count), 5);
    EXPECT_EQ(sync_decode_count(negativeCount), -2);
    EXPECT_EQ(sync_decode_row(row), static_cast<int32_t>(0x92345678u - 0x100000000ull));
    EXPECT_EQ(sync_decode_value(value), -10.0f);
    EXPECT_EQ(sync_decode_kind(0x03), 3);
    EXPECT_EQ(sync_decode_kind(0x7F), 127);
    EXPECT_EQ(sync_decode_kind(0x80), -128);
    EXPECT_EQ(sync_decode_kind(0xFF), -1);
}

TEST(SyncTrackFile, EncodesTheSameBytesItDecodes)
{
    unsigned char count[8];
    sync_encode_count(258, count);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(count), 8), std::string("\x02\x01\0\0\0\0\0\0", 8));

    const sync_key key = {-2, 0.5f, SYNC_KEY_RAMP};
    unsigned char bytes[SYNC_KEY_BYTES];
    sync_encode_key(&key, bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 9), std::string("\xfe\xff\xff\xff\x00\x00\x00\x3f\x03", 9));
    EXPECT_EQ(sync_decode_row(bytes), -2);
    EXPECT_EQ(sync_decode_value(bytes + 4), 0.5f);
    EXPECT_EQ(sync_decode_kind(bytes[8]), SYNC_KEY_RAMP);
}

TEST(SyncTrackFile, FileNamesFitTheirBufferOrFail)
{
    char name[32];
    EXPECT_TRUE(sync_track_file_name(name, sizeof name, "kelvandrix_sync", "part"));
    EXPECT_STREQ(name, "kelvandrix_sync_part.track");

    // "b_" + 6 + ".track" is 14 characters: 15 bytes hold it, 14 do not.
    EXPECT_TRUE(sync_track_file_name(name, 15, "b", "123456"));
    EXPECT_STREQ(name, "b_123456.track");
    EXPECT_FALSE(sync_track_file_name(name, 14, "b", "123456"));
    EXPECT_FALSE(sync_track_file_name(name, 0, "b", "t"));
}
