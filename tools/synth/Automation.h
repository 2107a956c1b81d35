#pragma once

#include <cstdint>
#include <vector>

namespace synth {

// One setting over time: its base value until the first ramp, a straight
// line within each ramp, and a ramp's end value until the next one begins.
class Automation {
public:
    struct Segment {
        int64_t start; // first sample of the ramp
        int64_t end;   // one past its last sample
        double from;
        double to;
    };

    // segments: sorted and not overlapping.
    Automation(double base, std::vector<Segment> segments);

    double valueAt(int64_t sample) const;

private:
    double base;
    std::vector<Segment> segments;
};

} // namespace synth
