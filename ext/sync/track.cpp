#include "syncPrivate.h"

#include <cmath>
#include <cstdint>

int sync_find_key(const sync_track* t, int row)
{
    int lo = 0;
    int hi = t->key_count;
    while (lo < hi) {
        // The same as (lo + hi) / 2 for these non-negative bounds, without
        // overflowing on tracks of more than a billion keys.
        const int mi = lo + (hi - lo) / 2;
        SYNC_ASSERT(mi != hi);
        if (t->keys[mi].row < row)
            lo = mi + 1;
        else if (t->keys[mi].row > row)
            hi = mi;
        else
            return mi;
    }
    SYNC_ASSERT(lo == hi);
    return -lo - 1;
}

// Index of the last key at or before row; -1 before the first key. For keys
// in ascending order that is sync_find_key's result turned to its floor; it
// is found by a search whose halving step compiles to a conditional move,
// because at random rows a mispredicted three-way branch per step made
// evaluation markedly slower on large tracks.
static int key_idx_floor(const sync_track* t, int row)
{
    const sync_key* base = t->keys;
    int count = t->key_count;
    while (count > 1) {
        const int half = count / 2;
        base = base[half].row <= row ? base + half : base;
        count -= half;
    }
    return static_cast<int>(base - t->keys) - (base->row > row ? 1 : 0);
}

// Where row stands between k0 and k1, from 0 at k0 towards 1 at k1. The
// search leaves k0->row <= floor(row) < k1->row, whatever the order of the
// other keys, so the span is at least one row; it is taken in 64 bits
// because keys far apart overflow a 32-bit difference.
static double key_position(const sync_key* k0, const sync_key* k1, double row)
{
    const int64_t span = static_cast<int64_t>(k1->row) - k0->row;
    return (row - k0->row) / static_cast<double>(span);
}

// The difference is taken in single precision, except where two finite
// values so far apart overflow it: there the double difference stays finite.
static double key_difference(const sync_key* k0, const sync_key* k1)
{
    const float d = k1->value - k0->value;
    if (std::isfinite(d))
        return d;
    return static_cast<double>(k1->value) - static_cast<double>(k0->value);
}

static double key_linear(const sync_key* k0, const sync_key* k1, double row)
{
    const double t = key_position(k0, k1, row);
    return k0->value + key_difference(k0, k1) * t;
}

static double key_smooth(const sync_key* k0, const sync_key* k1, double row)
{
    const double t = key_position(k0, k1, row);
    return k0->value + key_difference(k0, k1) * ((t * t) * (3 - 2 * t));
}

static double key_ramp(const sync_key* k0, const sync_key* k1, double row)
{
    const double t = key_position(k0, k1, row);
    return k0->value + key_difference(k0, k1) * std::pow(t, 2.0);
}

double sync_get_val(const sync_track* t, double row)
{
    if (t->key_count == 0)
        return 0.0;
    const sync_key* first = &t->keys[0];
    const sync_key* last = &t->keys[t->key_count - 1];

    // Rows whose floor has no int (NaN among them) stand before the first
    // key or after the last one; clamping them keeps the conversion defined.
    if (!(row >= static_cast<double>(INT32_MIN)))
        return first->value;
    if (row >= 2147483648.0)
        return last->value;

    const int i = key_idx_floor(t, static_cast<int>(std::floor(row)));
    if (i < 0)
        return first->value;
    if (i > t->key_count - 2)
        return last->value;

    const sync_key* k0 = &t->keys[i];
    const sync_key* k1 = &t->keys[i + 1];
    SYNC_ASSERT(k0->kind >= SYNC_KEY_STEP && k0->kind <= SYNC_KEY_RAMP);
    switch (k0->kind) {
    case SYNC_KEY_LINEAR:
        return key_linear(k0, k1, row);
    case SYNC_KEY_SMOOTH:
        return key_smooth(k0, k1, row);
    case SYNC_KEY_RAMP:
        return key_ramp(k0, k1, row);
    default:
        return k0->value;
    }
}
