#include "Reverb.h"

namespace synth {

namespace {

// Mutually prime line lengths in samples at 44.1 kHz.
const int combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int allPassLengths[] = {556, 441, 341, 225};
constexpr int stereoSpread = 23;
constexpr double inputGain = 0.015;
constexpr double outputGain = 3.0;
constexpr double allPassFeedback = 0.5;

} // namespace

Reverb::Reverb(double size, double damping) : feedback(0.7 + 0.28 * size), damping(0.4 * damping)
{
    for (int length : combLengths) {
        left.combs.push_back({std::vector<double>(length), 0, 0.0});
        right.combs.push_back({std::vector<double>(length + stereoSpread), 0, 0.0});
    }
    for (int length : allPassLengths) {
        left.allPasses.push_back({std::vector<double>(length), 0});
        right.allPasses.push_back({std::vector<double>(length + stereoSpread), 0});
    }
}

double Reverb::processSide(Side& side, double input)
{
    double sum = 0.0;
    for (Comb& comb : side.combs) {
        double out = comb.buffer[comb.position];
        comb.store = out * (1.0 - damping) + comb.store * damping;
        comb.buffer[comb.position] = input + comb.store * feedback;
        if (++comb.position == comb.buffer.size()) {
            comb.position = 0;
        }
        sum += out;
    }
    for (AllPass& allPass : side.allPasses) {
        double delayed = allPass.buffer[allPass.position];
        allPass.buffer[allPass.position] = sum + delayed * allPassFeedback;
        sum = delayed - sum;
        if (++allPass.position == allPass.buffer.size()) {
            allPass.position = 0;
        }
    }
    return sum;
}

void Reverb::process(const double* sendLeft, const double* sendRight, double* outLeft, double* outRight, int count)
{
    for (int i = 0; i < count; ++i) {
        double input = (sendLeft[i] + sendRight[i]) * inputGain;
        outLeft[i] += processSide(left, input) * outputGain;
        outRight[i] += processSide(right, input) * outputGain;
    }
}

} // namespace synth
