// The closing-picture tool as the build runs it: one PNG of the window's size,
// the same bytes on every run, and a clear message when it cannot write.
#include <cstdlib>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include "childProcess.h"
#include "testFiles.h"

using testing_support::readFile;
using testing_support::TempDir;

namespace {

struct ToolRun {
    int status;
    std::string errors;
};

ToolRun runTool(const TempDir& dir, const std::string& arguments)
{
    const std::string errorFile = dir.file("stderr.txt").string();
    const std::string command = std::string("\"") + ENDEPICTURE_PATH + "\" " + arguments + " 2>\"" + errorFile + "\"";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(errorFile)};
}

std::string quoted(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

} // namespace

TEST(Endepicture, WritesAVariedPictureOfTheWindowSize)
{
    TempDir dir;
    const ToolRun run = runTool(dir, quoted(dir.file("ende.png")));
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");

    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load(dir.file("ende.png").c_str(), &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    std::set<std::uint32_t> colours;
    std::string rgb;
    for (int i = 0; i < width * height; ++i) {
        EXPECT_EQ(pixels[i * 4 + 3], 255) << "pixel " << i;
        colours.insert(static_cast<std::uint32_t>(pixels[i * 4]) << 16 | pixels[i * 4 + 1] << 8 | pixels[i * 4 + 2]);
        rgb.append(reinterpret_cast<const char*>(pixels + i * 4), 3);
    }
    stbi_image_free(pixels);
    EXPECT_GT(colours.size(), 5000u);

    // The file is written without compression by the tool's own code: a
    // strict decoder (libpng and zlib, which check every length and
    // checksum) must read the same pixels as the production's.
    testing_support::ChildProcess strict("/usr/bin/convert", dir.path(), {"ende.png", "rgb:-"});
    ASSERT_EQ(strict.waitForExit(std::chrono::seconds(60)), std::optional<int>(0)) << strict.standardError();
    EXPECT_EQ(strict.standardError(), "");
    EXPECT_TRUE(strict.standardOutput() == rgb) << "the strict decoder reads other pixels";
}

TEST(Endepicture, GivesTheSameBytesOnEveryRunAsInTheRunFolder)
{
    TempDir dir;
    ASSERT_EQ(runTool(dir, quoted(dir.file("first.png"))).status, 0);
    ASSERT_EQ(runTool(dir, quoted(dir.file("second.png"))).status, 0);
    const std::string first = readFile(dir.file("first.png"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, readFile(dir.file("second.png")));
    EXPECT_EQ(first, readFile(testing_support::runDir() / "ende.png"));
}

TEST(Endepicture, ReportsAFileItCannotWriteAndFails)
{
    TempDir dir;
    const auto target = dir.file("no-such-folder") / "ende.png";
    const ToolRun run = runTool(dir, quoted(target));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "endepicture: cannot write " + quoted(target) + "\n");
    EXPECT_FALSE(std::filesystem::exists(target));

    // Every write fails there, as on a full disk.
    const ToolRun full = runTool(dir, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.errors, "endepicture: cannot write \"/dev/full\"\n");
}

TEST(Endepicture, ExplainsItsUsageWithoutAnOutputFile)
{
    TempDir dir;
    const ToolRun run = runTool(dir, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errors.substr(0, run.errors.find('\n')), "endepicture: expects one output file");
    EXPECT_NE(run.errors.find("usage: endepicture OUTPUT.png"), std::string::npos);

    // A mistyped option is not a file name to write over.
    testing_support::ChildProcess option(ENDEPICTURE_PATH, dir.path(), {"--out"});
    EXPECT_EQ(option.waitForExit(std::chrono::seconds(60)), std::optional<int>(2));
    const std::string said = option.standardError();
    EXPECT_EQ(said.substr(0, said.find('\n')), "endepicture: unknown option \"--out\"");
    EXPECT_FALSE(std::filesystem::exists(dir.file("--out")));
}
