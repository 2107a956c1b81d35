#include "bassTimeFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double kPeriod = 0.01;

// Pull times of a device whose real period is `period`, each woken up late
// by up to `jitter` seconds.
class Device {
public:
    Device(double period, double jitter)
        : period(period)
        , lateness(0.0, jitter)
    {
    }
    double ideal(int pull) const { return 100.0 + pull * period; }
    double actual(int pull) { return ideal(pull) + lateness(random); }

private:
    double period;
    std::mt19937 random{11};
    std::uniform_real_distribution<double> lateness;
};

} // namespace

TEST(bassTimeFilterTest, FiltersWakeUpJitterOut)
{
    Device device(kPeriod, 0.002);
    bassTimeFilter filter;
    double worst = 0.0;
    for (int pull = 0; pull < 2000; ++pull) {
        const bassTimeFilter::Estimate estimate = filter.update(device.actual(pull), kPeriod);
        if (pull >= 500) {
            // Against the ideal line shifted by the mean lateness.
            worst = std::max(worst, std::fabs(estimate.start - (device.ideal(pull) + 0.001)));
            EXPECT_NEAR(estimate.period, kPeriod, kPeriod * 0.02);
        }
    }
    // Raw wake-ups scatter over 2 ms, four times as much.
    EXPECT_LT(worst, 0.0005);
}

TEST(bassTimeFilterTest, FollowsADeviceClockThatDrifts)
{
    const double slow = kPeriod * 1.01;
    Device device(slow, 0.0);
    bassTimeFilter filter;
    bassTimeFilter::Estimate estimate{};
    for (int pull = 0; pull < 2000; ++pull)
        estimate = filter.update(device.actual(pull), kPeriod);
    EXPECT_NEAR(estimate.period, slow, 1e-7);
    EXPECT_NEAR(estimate.start, device.ideal(1999), 1e-6);
}

TEST(bassTimeFilterTest, StartsAfreshAfterAStall)
{
    bassTimeFilter filter;
    for (int pull = 0; pull < 100; ++pull)
        filter.update(pull * kPeriod, kPeriod);
    const bassTimeFilter::Estimate estimate = filter.update(5.0, kPeriod);
    EXPECT_EQ(estimate.start, 5.0);
    EXPECT_EQ(estimate.period, kPeriod);
}
