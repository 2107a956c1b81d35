#include "Automation.h"

#include <cassert>
#include <cstddef>

namespace synth {

Automation::Automation(double base, std::vector<Segment> segments) : base(base), segments(std::move(segments))
{
    for (std::size_t i = 0; i < this->segments.size(); ++i) {
        assert(this->segments[i].start < this->segments[i].end);
        assert(i == 0 || this->segments[i - 1].end <= this->segments[i].start);
    }
}

double Automation::valueAt(int64_t sample) const
{
    double value = base;
    for (const Segment& segment : segments) {
        if (sample < segment.start) {
            break;
        }
        if (sample < segment.end) {
            double t = static_cast<double>(sample - segment.start) / static_cast<double>(segment.end - segment.start);
            return segment.from + (segment.to - segment.from) * t;
        }
        value = segment.to;
    }
    return value;
}

} // namespace synth
