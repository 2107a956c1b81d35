#pragma once

#include <chrono>

// Steady-clock time as seconds in a double, the unit of every timing
// computation of the layer.
class bassSteadyClock {
public:
    static double now()
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

    static std::chrono::steady_clock::time_point toTimePoint(double seconds)
    {
        return std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)));
    }
};
