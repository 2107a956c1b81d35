#pragma once

// Smooths the times at which an output asks for audio. Output threads wake
// with a jitter of a millisecond or more; positions interpolated from raw
// wake-up times would jump by that much. A second-order delay-locked loop
// follows the device's real period (its clock may drift from the steady
// clock) while filtering the jitter out.
class bassTimeFilter {
public:
    struct Estimate {
        double start;  // filtered time of the current request, seconds
        double period; // filtered time until the next one, seconds
    };

    // Bandwidth of the loop in Hz: lower filters more, follows slower.
    explicit bassTimeFilter(double bandwidth = 0.5);

    // A request for one period of audio made at time `now`.
    Estimate update(double now, double nominalPeriod);

private:
    void restart(double now, double nominalPeriod);

    double bandwidth;
    bool started = false;
    double current = 0.0;
    double next = 0.0;
    double period = 0.0;
    double b = 0.0;
    double c = 0.0;
};
