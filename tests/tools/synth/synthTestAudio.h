#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Score.h"

namespace synth_test {

// Parses a score that the test expects to be valid; any problem fails the test.
synth::Score parseScore(const std::string& text);
std::vector<int16_t> renderScore(const std::string& text);

// One channel (0 left, 1 right) of interleaved stereo, frames [first, last),
// scaled to -1..1.
std::vector<double> channel(const std::vector<int16_t>& stereo, int side, int64_t first, int64_t last);

double rms(const std::vector<double>& signal);
double peak(const std::vector<double>& signal);

// The fundamental of a periodic signal from its autocorrelation: the first
// lag that matches the signal almost as well as the best one, refined
// between samples. 0 when nothing repeats between 40 Hz and 2 kHz.
double fundamental(const std::vector<double>& signal, double sampleRate);

} // namespace synth_test
