#include "synthTestAudio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ScoreParser.h"
#include "SongRenderer.h"

namespace synth_test {

synth::Score parseScore(const std::string& text)
{
    synth::ScoreParser parser("test.score");
    auto score = parser.parse(text);
    for (const std::string& message : parser.errors()) {
        ADD_FAILURE() << message;
    }
    return score ? *score : synth::Score{};
}

std::vector<int16_t> renderScore(const std::string& text)
{
    synth::Score score = parseScore(text);
    if (score.bars == 0) {
        return {};
    }
    return synth::SongRenderer(score).render();
}

std::vector<double> channel(const std::vector<int16_t>& stereo, int side, int64_t first, int64_t last)
{
    std::vector<double> out;
    for (int64_t frame = first; frame < last; ++frame) {
        out.push_back(stereo.at(static_cast<size_t>(2 * frame + side)) / 32768.0);
    }
    return out;
}

double rms(const std::vector<double>& signal)
{
    double sum = 0.0;
    for (double x : signal) {
        sum += x * x;
    }
    return signal.empty() ? 0.0 : std::sqrt(sum / signal.size());
}

double peak(const std::vector<double>& signal)
{
    double top = 0.0;
    for (double x : signal) {
        top = std::max(top, std::fabs(x));
    }
    return top;
}

double fundamental(const std::vector<double>& signal, double sampleRate)
{
    auto minLag = static_cast<size_t>(sampleRate / 2000.0);
    auto maxLag = static_cast<size_t>(sampleRate / 40.0);
    if (signal.size() < 2 * maxLag) {
        return 0.0;
    }
    size_t window = signal.size() - maxLag;
    std::vector<double> match(maxLag + 2, 0.0);
    for (size_t lag = minLag; lag <= maxLag + 1; ++lag) {
        double product = 0.0, energyA = 0.0, energyB = 0.0;
        for (size_t i = 0; i + lag < signal.size() && i < window; ++i) {
            product += signal[i] * signal[i + lag];
            energyA += signal[i] * signal[i];
            energyB += signal[i + lag] * signal[i + lag];
        }
        match[lag] = energyA > 0.0 && energyB > 0.0 ? product / std::sqrt(energyA * energyB) : 0.0;
    }
    double best = *std::max_element(match.begin() + minLag, match.begin() + maxLag + 1);
    for (size_t lag = minLag + 1; lag <= maxLag; ++lag) {
        bool isPeak = match[lag] >= match[lag - 1] && match[lag] >= match[lag + 1];
        if (isPeak && match[lag] > 0.9 * best && best > 0.5) {
            double left = match[lag - 1], centre = match[lag], right = match[lag + 1];
            double curvature = left - 2.0 * centre + right;
            double shift = curvature != 0.0 ? 0.5 * (left - right) / curvature : 0.0;
            return sampleRate / (static_cast<double>(lag) + shift);
        }
    }
    return 0.0;
}

} // namespace synth_test
