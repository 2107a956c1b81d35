#pragma once

// The frames n of a capture with from <= n / fps < to, numbered from the
// start of the tune, so that [a, b) and [b, c) together are exactly [a, c).
struct FrameRange {
    long first = 0;
    long end = 0; // one past the last
    double fps = 60.0;

    static FrameRange covering(double fromSeconds, double toSeconds, double fps);
    long count() const { return end - first; }
    double seconds(long frame) const { return static_cast<double>(frame) / fps; }
};
