#pragma once

namespace synth {

// A phase that runs from 0 to 1 once per period, read as a saw or square
// with band-limited steps (polynomial corrections), so high notes do not alias.
class Oscillator {
public:
    void reset(double phase) { position = phase; }
    void setIncrement(double cyclesPerSample) { increment = cyclesPerSample; }
    double saw() const;
    double square() const;
    double sine() const;
    void advance();

private:
    double position = 0.0;
    double increment = 0.0;
};

} // namespace synth
