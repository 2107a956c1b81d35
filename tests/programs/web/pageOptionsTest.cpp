#include "pageOptions.h"

#include <gtest/gtest.h>

namespace {

// A production's declared size, the default of ?size.
const glm::ivec2 kDeclared{800, 450};

struct Case {
    const char* name;
    std::map<std::string, std::string> query;
    double start;
    bool paused;
    glm::ivec2 size;
    std::vector<std::string> problems;
};

const Case kCases[] = {
    {"Nothing", {}, 0.0, false, {800, 450}, {}},
    {"EveryOption", {{"start", "41.5"}, {"paused", ""}, {"size", "640x360"}, {"autoplay", ""}}, 41.5, true,
     {640, 360}, {}},
    // The defaults written out, and the largest size ?help allows.
    {"EdgesOfTheRanges", {{"start", "0"}, {"size", "4096x2160"}}, 0.0, false, {4096, 2160}, {}},
    {"NoHeight",
     {{"size", "1280x0"}},
     0.0,
     false,
     {800, 450},
     {"?size needs WIDTHxHEIGHT of whole numbers from 1 to 4096, not \"1280x0\"; drawing at 800x450"}},
    {"BadValuesKeepTheirDefaults",
     {{"start", "-3"}, {"size", "0x720"}},
     0.0,
     false,
     {800, 450},
     {"?start needs seconds of music, 0 or more, not \"-3\"; starting at 0",
      "?size needs WIDTHxHEIGHT of whole numbers from 1 to 4096, not \"0x720\"; drawing at 800x450"}},
    {"TextAndOversize",
     {{"start", "ten"}, {"size", "8192x720"}},
     0.0,
     false,
     {800, 450},
     {"?start needs seconds of music, 0 or more, not \"ten\"; starting at 0",
      "?size needs WIDTHxHEIGHT of whole numbers from 1 to 4096, not \"8192x720\"; drawing at 800x450"}},
    {"MisspeltNamesAreNamed",
     {{"strat", "5"}, {"pause", ""}},
     0.0,
     false,
     {800, 450},
     {"?pause is not an option of the page (?help lists them)",
      "?strat is not an option of the page (?help lists them)"}},
};

class PageOptionsTest : public ::testing::TestWithParam<Case> {};

TEST_P(PageOptionsTest, ReadsTheQuery)
{
    const Case& c = GetParam();
    const PageOptions options = readPageOptions(c.query, kDeclared);
    EXPECT_EQ(options.start, c.start);
    EXPECT_EQ(options.paused, c.paused);
    EXPECT_EQ(options.size, c.size);
    EXPECT_EQ(options.problems, c.problems);
}

INSTANTIATE_TEST_SUITE_P(Queries, PageOptionsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

// Every name the page takes is documented in its help, and taken without a
// word; ?help asks for the help.
TEST(PageOptionsHelp, NamesEveryOptionThePageTakes)
{
    const std::map<std::string, std::string> everyOption = {
        {"start", "1"}, {"paused", ""}, {"size", "2x2"}, {"autoplay", ""}, {"help", ""}};
    const PageOptions options = readPageOptions(everyOption, kDeclared);
    EXPECT_TRUE(options.problems.empty());
    EXPECT_TRUE(options.help);
    std::string help;
    for (const std::string& line : pageOptionsHelp(kDeclared))
        help += line + "\n";
    for (const auto& [name, value] : everyOption)
        EXPECT_NE(help.find("?" + name), std::string::npos) << name;
    EXPECT_NE(help.find("(default 800x450)"), std::string::npos) << help;
}
