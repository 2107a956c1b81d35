#include "partStats.h"

#include "testFiles.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

TEST(PartStatsTest, SummarisesEachPartInOrderOfAppearance)
{
    PartStats stats;
    // Cubes: CPU 1..20 ms; titles: two frames; two of the background.
    for (int i = 1; i <= 20; ++i)
        stats.AddFrame("cubes", i);
    stats.AddFrame("titles", 4.0);
    stats.AddFrame("titles", 2.0);
    stats.AddFrame("background", 1.0);
    stats.AddFrame("background", 3.0);
    for (std::size_t i = 0; i < 20; ++i)
        stats.SetGpu(i, 100.0 - static_cast<double>(i));
    stats.SetGpu(21, 9.0);

    const auto rows = stats.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].part, "cubes");
    EXPECT_EQ(rows[0].frames, 20u);
    EXPECT_DOUBLE_EQ(rows[0].cpu[0], 10.5);
    EXPECT_DOUBLE_EQ(rows[0].cpu[1], 19.0); // nearest rank: the 19th of 20
    EXPECT_DOUBLE_EQ(rows[0].cpu[2], 20.0);
    EXPECT_DOUBLE_EQ(rows[0].gpu[2], 100.0);
    EXPECT_DOUBLE_EQ(rows[0].gpu[0], 90.5);

    EXPECT_EQ(rows[1].part, "titles");
    EXPECT_DOUBLE_EQ(rows[1].cpu[0], 3.0);
    EXPECT_EQ(rows[1].gpuFrames, 1u); // only the second titles frame had its GPU time
    EXPECT_DOUBLE_EQ(rows[1].gpu[0], 9.0);

    EXPECT_EQ(rows[2].part, "background");
    EXPECT_EQ(rows[2].frames, 2u);
    EXPECT_EQ(rows[2].gpuFrames, 0u);

    TempDir dir;
    ASSERT_TRUE(stats.WriteCsv(dir.file("stats.csv")));
    const std::string csv = readFile(dir.file("stats.csv"));
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "part,frames,cpu_median_ms,cpu_p95_ms,cpu_max_ms,gpu_median_ms,gpu_p95_ms,gpu_max_ms");
    EXPECT_NE(csv.find("\ncubes,20,10.5000,19.0000,20.0000,90.5000,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\nbackground,2,2.0000,3.0000,3.0000,,,\n"), std::string::npos) << csv;
}

} // namespace
