#include "bassTimeFilter.h"

#include <cmath>

bassTimeFilter::bassTimeFilter(double bandwidth)
    : bandwidth(bandwidth)
{
}

void bassTimeFilter::restart(double now, double nominalPeriod)
{
    const double omega = 2.0 * M_PI * bandwidth * nominalPeriod;
    b = std::sqrt(2.0) * omega;
    c = omega * omega;
    period = nominalPeriod;
    current = now;
    next = now + nominalPeriod;
    started = true;
}

bassTimeFilter::Estimate bassTimeFilter::update(double now, double nominalPeriod)
{
    const double error = now - next;
    // A stall of several periods (a suspended machine, a starved thread) is a
    // new start, not jitter to average over.
    if (!started || std::fabs(error) > 4.0 * nominalPeriod) {
        restart(now, nominalPeriod);
        return {current, period};
    }
    current = next;
    next += b * error + period;
    period += c * error;
    return {current, next - current};
}
