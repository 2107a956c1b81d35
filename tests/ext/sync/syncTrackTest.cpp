#include "sync.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

struct Track {
    explicit Track(std::vector<sync_key> k) : keys(std::move(k))
    {
        track.name = name;
        track.keys = keys.empty() ? nullptr : keys.data();
        track.key_count = static_cast<int32_t>(keys.size());
    }
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;
    const sync_track* get() const { return &track; }

    char name[2] = "t";
    std::vector<sync_key> keys;
    sync_track track{};
};

// Key 0 at row 0 with value 1.0 and the given kind, key 1 at row 8 with 3.0.
Track twoKeys(sync_key_kind kind)
{
    return Track({{0, 1.0f, kind}, {8, 3.0f, SYNC_KEY_STEP}});
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(SyncFindKey, EncodesFoundKeysAndInsertionPoints)
{
    const Track track({{0, 10.0f, SYNC_KEY_STEP}, {8, 20.0f, SYNC_KEY_STEP}, {16, 30.0f, SYNC_KEY_STEP}});
    EXPECT_EQ(sync_find_key(track.get(), 0), 0);
    EXPECT_EQ(sync_find_key(track.get(), 8), 1);
    EXPECT_EQ(sync_find_key(track.get(), 16), 2);
    EXPECT_EQ(sync_find_key(track.get(), 9), -3);
    EXPECT_EQ(sync_find_key(track.get(), -5), -1);
    EXPECT_EQ(sync_find_key(track.get(), 20), -4);
    EXPECT_EQ(sync_find_key(Track({}).get(), 3), -1);

    // The floor of those searches (1, 1, -1, 2) picks the held value.
    EXPECT_EQ(sync_get_val(track.get(), 8.0), 20.0);
    EXPECT_EQ(sync_get_val(track.get(), 9.0), 20.0);
    EXPECT_EQ(sync_get_val(track.get(), -5.0), 10.0);
    EXPECT_EQ(sync_get_val(track.get(), 20.0), 30.0);
}

TEST(SyncGetVal, TracksWithoutOrWithOneKeyAreConstant)
{
    const Track empty({});
    const Track one({{5, 2.5f, SYNC_KEY_LINEAR}});
    for (double row : {-100.0, 0.0, 5.0, 5.5, 1e6, kNaN, kInf, -kInf}) {
        EXPECT_EQ(sync_get_val(empty.get(), row), 0.0) << row;
        EXPECT_EQ(sync_get_val(one.get(), row), 2.5) << row;
    }
}

TEST(SyncGetVal, InterpolatesByTheFirstKeysKind)
{
    const struct {
        sync_key_kind kind;
        double at2, at4, at6;
    } cases[] = {
        {SYNC_KEY_STEP, 1.0, 1.0, 1.0},
        {SYNC_KEY_LINEAR, 1.5, 2.0, 2.5},
        {SYNC_KEY_SMOOTH, 1.3125, 2.0, 2.6875},
        {SYNC_KEY_RAMP, 1.125, 1.5, 2.125},
    };
    for (const auto& c : cases) {
        const Track track = twoKeys(c.kind);
        EXPECT_DOUBLE_EQ(sync_get_val(track.get(), 2.0), c.at2) << c.kind;
        EXPECT_DOUBLE_EQ(sync_get_val(track.get(), 4.0), c.at4) << c.kind;
        EXPECT_DOUBLE_EQ(sync_get_val(track.get(), 6.0), c.at6) << c.kind;
        EXPECT_EQ(sync_get_val(track.get(), -0.5), 1.0) << c.kind;
        EXPECT_EQ(sync_get_val(track.get(), 8.0), 3.0) << c.kind;
        EXPECT_EQ(sync_get_val(track.get(), 1000.0), 3.0) << c.kind;
    }
    // The search floors the row, the interpolation does not: t = 0.9875.
    EXPECT_DOUBLE_EQ(sync_get_val(twoKeys(SYNC_KEY_LINEAR).get(), 7.9), 1.0 + 2.0 * 0.9875);
}

TEST(SyncGetVal, RowsBeyondTheIntRangeClampToTheEnds)
{
    const Track track = twoKeys(SYNC_KEY_LINEAR);
    EXPECT_EQ(sync_get_val(track.get(), kNaN), 1.0);
    EXPECT_EQ(sync_get_val(track.get(), -kInf), 1.0);
    EXPECT_EQ(sync_get_val(track.get(), -1e300), 1.0);
    EXPECT_EQ(sync_get_val(track.get(), -2147483648.5), 1.0);
    EXPECT_EQ(sync_get_val(track.get(), 2147483648.0), 3.0);
    EXPECT_EQ(sync_get_val(track.get(), 1e300), 3.0);
    EXPECT_EQ(sync_get_val(track.get(), kInf), 3.0);
}

TEST(SyncGetVal, ExtremeKeysStayFinite)
{
    // Rows as far apart as an int allows, values as far apart as a float allows.
    const Track track({{INT_MIN, -FLT_MAX, SYNC_KEY_LINEAR}, {INT_MAX, FLT_MAX, SYNC_KEY_STEP}});
    EXPECT_EQ(sync_get_val(track.get(), -2147483648.0), -FLT_MAX);
    EXPECT_EQ(sync_get_val(track.get(), 2147483647.5), FLT_MAX);
    const double middle = sync_get_val(track.get(), -0.5);
    EXPECT_TRUE(std::isfinite(middle));
    EXPECT_NEAR(middle, 0.0, 1e30);
    for (sync_key_kind kind : {SYNC_KEY_SMOOTH, SYNC_KEY_RAMP}) {
        const Track curved({{-1, -FLT_MAX, kind}, {1, FLT_MAX, SYNC_KEY_STEP}});
        for (double row : {-1.0, -0.5, 0.0, 0.99})
            EXPECT_TRUE(std::isfinite(sync_get_val(curved.get(), row))) << kind << " at " << row;
    }
}

// Step keys valued by their index show which key each row picked.
TEST(SyncGetVal, PicksTheLastKeyAtOrBeforeTheRowOnAnyTrack)
{
    std::mt19937 random(7);
    for (int keyCount = 1; keyCount <= 40; ++keyCount) {
        std::vector<sync_key> keys;
        int32_t row = -20;
        for (int i = 0; i < keyCount; ++i) {
            row += std::uniform_int_distribution<int32_t>(1, 5)(random);
            keys.push_back({row, static_cast<float>(i), SYNC_KEY_STEP});
        }
        const Track track(keys);
        for (int32_t at = keys.front().row - 3; at <= row + 3; ++at) {
            int floor = -1;
            while (floor + 1 < keyCount && keys[floor + 1].row <= at)
                ++floor;
            const bool exact = floor >= 0 && keys[floor].row == at;
            EXPECT_EQ(sync_find_key(track.get(), at), exact ? floor : -(floor + 1) - 1) << keyCount << " keys, row " << at;
            EXPECT_EQ(sync_get_val(track.get(), at + 0.75), floor < 0 ? 0.0 : floor) << keyCount << " keys, row " << at;
        }
    }
}

// Tracks built by hand may break the row order; evaluation still never
// divides by zero nor leaves the span of the two keys it uses.
TEST(SyncGetVal, KeysOutOfOrderNeverYieldNaN)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> anyRow(-6, 6);
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<sync_key> keys;
        for (int i = 0; i < 2 + trial % 7; ++i)
            keys.push_back({anyRow(random), static_cast<float>(i), static_cast<sync_key_kind>(i % 4)});
        const Track track(keys);
        for (double at = -8.0; at <= 8.0; at += 0.25) {
            const double value = sync_get_val(track.get(), at);
            EXPECT_TRUE(value >= 0.0 && value <= static_cast<double>(keys.size() - 1)) << value;
        }
    }
}

TEST(SyncGetValDeathTest, BrokenKeysStopWithTheirPlace)
{
    const Track badKind({{0, 1.0f, static_cast<sync_key_kind>(7)}, {8, 2.0f, SYNC_KEY_STEP}});
    EXPECT_DEATH(sync_get_val(badKind.get(), 4.0), "k0->kind >= SYNC_KEY_STEP.* failed in sync_get_val \\(.*track\\.cpp:[0-9]+\\)");
}
