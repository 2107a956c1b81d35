#include "DspMath.h"

#include <cmath>

namespace synth {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double ln2 = 0.69314718055994530942;
constexpr double log2of10 = 3.32192809488736234787;

// sin x for |x| <= pi/2: x (1 - x^2/(2*3) (1 - x^2/(4*5) (1 - ...))), to x^17.
double sineNearZero(double x)
{
    constexpr double inverses[] = {1.0 / (17 * 16), 1.0 / (15 * 14), 1.0 / (13 * 12), 1.0 / (11 * 10),
        1.0 / (9 * 8), 1.0 / (7 * 6), 1.0 / (5 * 4), 1.0 / (3 * 2)};
    double x2 = x * x;
    double sum = 1.0;
    for (double inverse : inverses) {
        sum = 1.0 - sum * x2 * inverse;
    }
    return x * sum;
}

// 2^f for 0 <= f < 1: e^y = 1 + y (1 + y/2 (1 + y/3 (...))) with y = f ln 2, to y^13.
double power2Fraction(double f)
{
    constexpr double inverses[] = {1.0 / 13, 1.0 / 12, 1.0 / 11, 1.0 / 10, 1.0 / 9, 1.0 / 8, 1.0 / 7,
        1.0 / 6, 1.0 / 5, 1.0 / 4, 1.0 / 3, 1.0 / 2, 1.0};
    double y = f * ln2;
    double sum = 1.0;
    for (double inverse : inverses) {
        sum = 1.0 + sum * y * inverse;
    }
    return sum;
}

} // namespace

double sineTurns(double turns)
{
    // Into [-1/2, 1/2) turns, then fold onto [-1/4, 1/4].
    double t = turns - std::floor(turns + 0.5);
    if (t > 0.25) {
        t = 0.5 - t;
    } else if (t < -0.25) {
        t = -0.5 - t;
    }
    return sineNearZero(2.0 * pi * t);
}

double cosineTurns(double turns)
{
    return sineTurns(turns + 0.25);
}

double power2(double x)
{
    double whole = std::floor(x);
    return std::ldexp(power2Fraction(x - whole), static_cast<int>(whole));
}

double fallFactor(double seconds, double sampleRate, double decibels)
{
    return power2(-decibels / 20.0 * log2of10 / (seconds * sampleRate));
}

} // namespace synth
