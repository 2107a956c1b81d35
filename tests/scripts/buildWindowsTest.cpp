// The Windows release as a user gets it from scripts/build-windows: the zip
// unpacked into an empty folder whose path has a space and a non-ASCII
// character, its programs run under Wine in a fresh prefix on the test's
// display. Run by test.sh's Windows stage once the zip is built, not by CTest:
//   scripts/with-display build/test/tests/scripts/buildWindowsTest
#include "childProcess.h"
#include "rgbPicture.h"
#include "smallDataSet.h"
#include "testFiles.h"
#include "x11Window.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// What a program may import: the DLL shipped beside it, and system DLLs
// that every Windows 10 has.
const std::set<std::string> kWindowsDlls = {
    "advapi32.dll", "cfgmgr32.dll", "gdi32.dll",    "imm32.dll",    "kernel32.dll", "msvcrt.dll",
    "ole32.dll",    "oleaut32.dll", "opengl32.dll", "setupapi.dll", "shell32.dll",  "shlwapi.dll",
    "user32.dll",   "version.dll",  "winmm.dll",    "ws2_32.dll",   "dwmapi.dll",   "dinput8.dll",
    "xinput1_4.dll"};
const char* const kShippedDll = "libmpg123.dll";

// The zip unpacked and a Wine prefix of its own, for the whole program: the
// prefix's first start takes seconds.
class UnpackedRelease : public ::testing::Environment {
public:
    static const fs::path& folder() { return unpacked; }

    void SetUp() override
    {
        root = std::make_unique<TempDir>();
        unpacked = root->path() / "Release für Windows";
        fs::create_directories(unpacked);
        const std::string zip = std::getenv("KELVANDRIX_WINDOWS_ZIP") ? std::getenv("KELVANDRIX_WINDOWS_ZIP")
                                                                       : KELVANDRIX_WINDOWS_ZIP;
        ChildProcess unzip("/usr/bin/unzip", root->path(), {"-q", zip, "-d", unpacked.string()});
        ASSERT_EQ(unzip.waitForExit(60s), std::optional<int>(0)) << zip << ": " << unzip.standardError();
        const fs::path prefix = root->path() / "prefix";
        ChildProcess made((sourceDir() / "scripts/wine-prefix").string(), root->path(), {prefix.string()});
        ASSERT_EQ(made.waitForExit(120s), std::optional<int>(0)) << made.standardError();
        setenv("WINEPREFIX", prefix.c_str(), 1);
        setenv("HOME", (prefix / "home").c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        // Unix file names reach Windows programs as UTF-8.
        setenv("LC_ALL", "C.UTF-8", 1);
    }

    void TearDown() override
    {
        runCommand("wineserver -k");
        root.reset();
    }

private:
    static inline std::unique_ptr<TempDir> root;
    static inline fs::path unpacked;
};

// A Windows program under Wine, started in `workingDir` as from a console there.
std::unique_ptr<ChildProcess> runUnderWine(const fs::path& program, const fs::path& workingDir,
                                           std::vector<std::string> arguments = {})
{
    arguments.insert(arguments.begin(), program.string());
    return std::make_unique<ChildProcess>("/usr/bin/wine", workingDir, arguments);
}

std::vector<std::string> importedDlls(const fs::path& file)
{
    std::stringstream dump(runCommand("x86_64-w64-mingw32-objdump -p '" + file.string() + "'"));
    std::vector<std::string> dlls;
    const std::regex name(R"(^\s*DLL Name: (\S+))");
    std::smatch match;
    for (std::string line; std::getline(dump, line);)
        if (std::regex_search(line, match, name)) {
            std::string dll = match[1];
            for (char& c : dll)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            dlls.push_back(dll);
        }
    return dlls;
}

TEST(WindowsRelease, HoldsItsFilesAndImportsOnlyWhatWindowsHasOrItShips)
{
    const fs::path& folder = UnpackedRelease::folder();
    for (const char* file : {"kelvandrix.exe", "kelvandrix-capture.exe", kShippedDll, "readme.txt", "tolvenmark.mp3",
                             "rm_cubescape.fs", "kelvandrix_sync_part.track", "licences/mpg123/COPYING"})
        EXPECT_TRUE(fs::is_regular_file(folder / file)) << file;
    for (const char* program : {"kelvandrix.exe", "kelvandrix-capture.exe", kShippedDll}) {
        const std::vector<std::string> dlls = importedDlls(folder / program);
        EXPECT_FALSE(dlls.empty()) << program << ": objdump found no imports";
        for (const std::string& dll : dlls)
            EXPECT_TRUE(kWindowsDlls.count(dll) || dll == kShippedDll) << program << " imports " << dll;
    }
}

// Both draw on llvmpipe: the same bits are expected, half a level of mean
// difference allowed.
TEST(WindowsRelease, CapturedPicturesEqualTheLinuxCapturesOfTheSameMoments)
{
    // One frame every ten seconds from 10 s: titles, cubes, greetings,
    // pyramids and the closing picture.
    const std::vector<std::string> moments = {"--fps", "0.1", "--from", "5", "--no-audio", "--out"};
    TempDir linux, console;
    auto arguments = moments;
    arguments.push_back(linux.path().string() + "/");
    ChildProcess linuxCapture(KELVANDRIX_CAPTURE, runDir(), arguments);
    // A relative --out is relative to the console, not to the program's folder.
    arguments.back() = "frames/";
    auto windowsCapture = runUnderWine(UnpackedRelease::folder() / "kelvandrix-capture.exe", console.path(), arguments);
    ASSERT_EQ(linuxCapture.waitForExit(120s), std::optional<int>(0)) << linuxCapture.standardError();
    ASSERT_EQ(windowsCapture->waitForExit(120s), std::optional<int>(0)) << windowsCapture->standardError();

    int compared = 0;
    for (const auto& entry : fs::directory_iterator(linux.path())) {
        const RgbPicture expected = readRgbPicture(entry.path());
        const RgbPicture drawn = readRgbPicture(console.path() / "frames" / entry.path().filename());
        ASSERT_EQ(drawn.rgb.size(), expected.rgb.size()) << entry.path().filename();
        long difference = 0;
        for (size_t i = 0; i < drawn.rgb.size(); ++i)
            difference += std::abs(drawn.rgb[i] - expected.rgb[i]);
        EXPECT_LE(static_cast<double>(difference) / static_cast<double>(drawn.rgb.size()), 0.5)
            << "the frame at " << std::stoi(entry.path().stem().string().substr(6)) * 10 << " s";
        ++compared;
    }
    EXPECT_EQ(compared, 12);
}

TEST(WindowsRelease, AVideoWithoutFfmpegSaysWhereFfmpegExeGoes)
{
    TempDir console;
    auto capture = runUnderWine(UnpackedRelease::folder() / "kelvandrix-capture.exe", console.path());
    ASSERT_EQ(capture->waitForExit(60s), std::optional<int>(1)) << capture->standardError();
    EXPECT_EQ(capture->standardError(),
              "capture: ffmpeg.exe is neither beside the programs nor in a folder of the PATH; it encodes the "
              "video, or write pictures with --out FOLDER/\r\n");
}

// The player and its DLL beside the small data set, started from elsewhere
// as a shortcut would: it finds its data in its own folder.
struct SmallRelease {
    explicit SmallRelease(double musicSeconds)
    {
        makeSmallDataSet(data, musicSeconds);
        for (const char* file : {"kelvandrix.exe", kShippedDll})
            fs::copy_file(UnpackedRelease::folder() / file, data.file(file));
    }
    TempDir data, elsewhere;
};

TEST(WindowsRelease, ThePlayerPlaysTheSmallDataSetToItsEndAndExitsZero)
{
    SmallRelease release(kSmallDataMusicSeconds);
    const auto start = std::chrono::steady_clock::now();
    auto player = runUnderWine(release.data.file("kelvandrix.exe"), release.elsewhere.path());
    ASSERT_EQ(player->waitForExit(90s), std::optional<int>(0)) << player->standardError();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, kSmallDataMusicSeconds) << "it ended before its music";
    EXPECT_EQ(player->standardError(), "");
}

TEST(WindowsRelease, AMissingShaderIsOneLineAndTheShowGoesOn)
{
    SmallRelease release(3.0);
    fs::remove(release.data.file("rm_pyramidgrid.fs"));
    auto player = runUnderWine(release.data.file("kelvandrix.exe"), release.elsewhere.path());
    ASSERT_EQ(player->waitForExit(60s), std::optional<int>(0)) << player->standardError();
    EXPECT_EQ(player->standardError(), "shader: \"pyramid_rm\" \"rm_pyramidgrid.fs\": cannot be read\r\n");
}

TEST(WindowsRelease, EscapeEndsAFullRunWithStatusZero)
{
    auto player = runUnderWine(UnpackedRelease::folder() / "kelvandrix.exe", UnpackedRelease::folder());
    const unsigned long window = findWindow("KELVANDRIX", 60s);
    ASSERT_NE(window, 0u) << player->standardError();
    std::this_thread::sleep_for(3s); // past loading, into the show
    ASSERT_TRUE(player->running()) << player->standardError();
    runCommand("xdotool windowfocus --sync " + std::to_string(window) + " key Escape");
    EXPECT_EQ(player->waitForExit(20s), std::optional<int>(0)) << player->standardError();
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new UnpackedRelease);
    return RUN_ALL_TESTS();
}
