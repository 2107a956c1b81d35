#pragma once

namespace synth {

// The few transcendental functions the synthesiser needs, from additions and
// multiplications only. The C library picks its sin/tan/exp code by the
// processor it runs on, and their last bits may differ between machines;
// these give the same bits everywhere, so a score renders to the same bytes
// on every machine. Accuracy is far beyond hearing (relative error < 1e-8).

// sin(2 pi turns).
double sineTurns(double turns);
// cos(2 pi turns).
double cosineTurns(double turns);
// 2 to the power x.
double power2(double x);
// The per-sample factor that makes a level fall by the given decibels over
// the given seconds.
double fallFactor(double seconds, double sampleRate, double decibels = 60.0);

} // namespace synth
