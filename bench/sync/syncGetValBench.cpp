// sync_get_val against a plain baseline: std::upper_bound over an array of
// rows plus the same interpolation, on tracks of 16, 1 000 and 100 000 keys
// at random rows. Prints the time ratio per size (target: within 1.3x) and
// counts heap allocations inside the timed loops (target: none).

#include "sync.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Counts every allocation of the process by standing in front of glibc's own
// allocator; operator new comes through here as well.
namespace {
std::atomic<long> allocationCount{0};
}
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);

void* malloc(size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}
void free(void* pointer)
{
    __libc_free(pointer);
}
}
#define KELVANDRIX_COUNTS_ALLOCATIONS 1
static long allocations()
{
    return allocationCount.load(std::memory_order_relaxed);
}
#else
static long allocations()
{
    return 0;
}
#endif

namespace {

// Enough random rows that the branch predictor cannot learn the sequence,
// which it does for a few thousand and flatters whichever code branches more.
constexpr size_t kQueryCount = 1 << 16;

struct Fixture {
    std::vector<sync_key> keys;
    std::vector<int32_t> rows;
    std::vector<double> queries;
    sync_track track{};
};

// Random gaps, values and kinds; queries spread a little beyond both ends.
const Fixture& fixture(int keyCount)
{
    static std::map<int, Fixture> made;
    auto found = made.find(keyCount);
    if (found != made.end())
        return found->second;
    Fixture& f = made[keyCount];
    std::mt19937 random(static_cast<unsigned>(keyCount));
    std::uniform_int_distribution<int32_t> gap(1, 16);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    std::uniform_int_distribution<int> kind(SYNC_KEY_STEP, SYNC_KEY_RAMP);
    int32_t row = 0;
    for (int i = 0; i < keyCount; ++i) {
        row += gap(random);
        f.keys.push_back({row, value(random), static_cast<sync_key_kind>(kind(random))});
        f.rows.push_back(row);
    }
    std::uniform_real_distribution<double> at(-8.0, row + 8.0);
    for (size_t i = 0; i < kQueryCount; ++i)
        f.queries.push_back(at(random));
    static char name[] = "bench";
    f.track = sync_track{name, f.keys.data(), keyCount};
    return f;
}

double baselineValue(const Fixture& f, double row)
{
    const int32_t floored = static_cast<int32_t>(std::floor(row));
    const ptrdiff_t i = std::upper_bound(f.rows.begin(), f.rows.end(), floored) - f.rows.begin() - 1;
    if (i < 0)
        return f.keys.front().value;
    if (i >= static_cast<ptrdiff_t>(f.rows.size()) - 1)
        return f.keys.back().value;
    const sync_key& k0 = f.keys[i];
    const sync_key& k1 = f.keys[i + 1];
    const double t = (row - k0.row) / static_cast<double>(k1.row - k0.row);
    const double d = k1.value - k0.value;
    switch (k0.kind) {
    case SYNC_KEY_LINEAR:
        return k0.value + d * t;
    case SYNC_KEY_SMOOTH:
        return k0.value + d * ((t * t) * (3 - 2 * t));
    case SYNC_KEY_RAMP:
        return k0.value + d * std::pow(t, 2.0);
    default:
        return k0.value;
    }
}

template <typename Evaluate>
void runQueries(benchmark::State& state, const Fixture& f, Evaluate evaluate)
{
    const long before = allocations();
    size_t next = 0;
    double sum = 0.0;
    for (auto _ : state) {
        sum += evaluate(f.queries[next]);
        next = (next + 1) % kQueryCount;
        benchmark::DoNotOptimize(sum);
    }
    const long allocated = allocations() - before;
    state.counters["allocations"] = static_cast<double>(allocated);
    if (allocated != 0)
        state.SkipWithError("allocated during evaluation");
    state.SetItemsProcessed(state.iterations());
}

void BM_SyncGetVal(benchmark::State& state)
{
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    runQueries(state, f, [&f](double row) { return sync_get_val(&f.track, row); });
}

void BM_UpperBoundBaseline(benchmark::State& state)
{
    const Fixture& f = fixture(static_cast<int>(state.range(0)));
    runQueries(state, f, [&f](double row) { return baselineValue(f, row); });
}

BENCHMARK(BM_SyncGetVal)->Arg(16)->Arg(1000)->Arg(100000);
BENCHMARK(BM_UpperBoundBaseline)->Arg(16)->Arg(1000)->Arg(100000);

// Keeps each run's CPU time per iteration (steadier than wall time on a
// shared machine), averaged over repetitions, so that the ratios can follow
// the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()].add(run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        std::printf("\nsync_get_val CPU time / baseline CPU time (target at most 1.3):\n");
        for (const char* size : {"16", "1000", "100000"}) {
            const auto player = times.find(std::string("BM_SyncGetVal/") + size);
            const auto baseline = times.find(std::string("BM_UpperBoundBaseline/") + size);
            if (player == times.end() || baseline == times.end())
                continue;
            std::printf("  %6s keys: %.2fx\n", size, player->second.mean() / baseline->second.mean());
        }
#if !defined(KELVANDRIX_COUNTS_ALLOCATIONS)
        std::printf("(allocations not counted in this build)\n");
#endif
    }

private:
    struct Mean {
        double sum = 0.0;
        int count = 0;
        void add(double value) { sum += value, ++count; }
        double mean() const { return sum / count; }
    };
    std::map<std::string, Mean> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
