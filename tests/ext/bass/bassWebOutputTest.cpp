// The layer's browser build (web/), played in headless Chromium in real time:
// it must decode the desktop's samples and keep its position on the audio
// clock. Needs emscripten, node, chromium and chromedriver (scripts/
// install-deps --web) and skips, naming them, only when one is missing.
#include "bass.h"
#include "bassTestMedia.h"
#include "bassTuneDecode.h"
#include "childProcess.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

#include <unistd.h>

using namespace bass_testing;
using testing_support::ChildProcess;

namespace {

std::filesystem::path findProgram(const std::string& name)
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    std::string folder;
    while (std::getline(path, folder, ':')) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Runs a program to its end; its standard output, or nothing and a failure
// of the test with its standard error.
std::optional<std::string> run(const std::string& name, const std::vector<std::string>& arguments,
                               const std::filesystem::path& dir, std::chrono::seconds timeout)
{
    ChildProcess child(findProgram(name), dir, arguments);
    const std::optional<int> status = child.waitForExit(timeout);
    EXPECT_EQ(status, 0) << name << " failed:\n" << child.standardError();
    return status == 0 ? std::optional<std::string>(child.standardOutput()) : std::nullopt;
}

// `seconds` of quiet noise in stereo (every sample exercises the decoder's
// arithmetic) and a click at `clickSecond`, 64 frames at 20000 in both
// channels, far above the noise; encoded by lame.
std::filesystem::path makeClickTune(const testing_support::TempDir& dir, const std::string& name, int rate,
                                    double seconds, double clickSecond)
{
    std::vector<int16_t> samples(static_cast<size_t>(seconds * rate) * 2);
    std::minstd_rand noise(19);
    std::uniform_int_distribution<int> level(-2000, 2000);
    for (int16_t& sample : samples)
        sample = static_cast<int16_t>(level(noise));
    const size_t click = static_cast<size_t>(clickSecond * rate);
    std::fill(samples.begin() + click * 2, samples.begin() + (click + 64) * 2, 20000);
    dir.write(name + ".wav", riffWave(wavFormat(2, rate) + wavChunk("data", wavSamples(samples))));
    const std::filesystem::path mp3 = dir.file(name);
    run("lame", {"--quiet", "-b", "128", dir.file(name + ".wav").string(), mp3.string()}, dir.path(),
        std::chrono::seconds(60));
    return mp3;
}

// The click's loudness: far above the noise, well below the click itself.
constexpr int kClickLevel = 8192;

DecodedTune desktopDecode(const std::filesystem::path& tune)
{
    EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    DecodedTune decoded = decodeTune(tune.c_str());
    BASS_Free();
    return decoded;
}

std::vector<int16_t> readSamples(const std::filesystem::path& path)
{
    const std::string bytes = testing_support::readFile(path);
    std::vector<int16_t> samples(bytes.size() / sizeof(int16_t));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
    return samples;
}

// The first frame whose left sample reaches kClickLevel; -1 for none.
int64_t clickFrame(const std::vector<int16_t>& stereo)
{
    for (size_t frame = 0; frame * 2 < stereo.size(); ++frame)
        if (std::abs(stereo[frame * 2]) >= kClickLevel)
            return static_cast<int64_t>(frame);
    return -1;
}

// How many samples differ, and by how much at most.
std::pair<size_t, int> differences(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    size_t count = 0;
    int largest = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        const int difference = std::abs(a[i] - b[i]);
        count += difference != 0;
        largest = std::max(largest, difference);
    }
    return {count, largest};
}

// The layer and the test program built to WebAssembly, in the desktop
// build's folder; the page's folder, empty when it did not build.
std::filesystem::path buildPage()
{
    const std::filesystem::path source = testing_support::sourceDir();
    const std::filesystem::path build = std::filesystem::path(KELVANDRIX_BINARY_DIR) / "bass-web";
    setenv("NODE_PATH", "/usr/share/nodejs", 1);
    const bool built =
        run("bash", {(source / "scripts/build-web-libs").string(), "mpg123"}, source, std::chrono::seconds(600)) &&
        run("emcmake",
            {"cmake", "-S", (source / "tests/ext/bass/web").string(), "-B", build.string(), "-DCMAKE_BUILD_TYPE=Release"},
            source, std::chrono::seconds(300)) &&
        run("cmake", {"--build", build.string()}, source, std::chrono::seconds(300));
    return built ? build : std::filesystem::path();
}

// The driver's "key value" lines.
std::map<std::string, double> playInBrowser(const std::filesystem::path& page, const std::filesystem::path& tune,
                                                 double watchSeconds, const std::filesystem::path& decoded,
                                                 const std::filesystem::path& first)
{
    const std::string driver = (testing_support::sourceDir() / "tests/ext/bass/web/bassWebDriver.mjs").string();
    std::vector<std::string> arguments{driver, page.string(), tune.string(), std::to_string(watchSeconds),
                                       std::to_string(kClickLevel), decoded.string()};
    if (!first.empty())
        arguments.push_back(first.string());
    std::istringstream lines(run("node", arguments, tune.parent_path(), std::chrono::seconds(180)).value_or(""));
    std::map<std::string, double> values;
    std::string key;
    double value = 0.0;
    while (lines >> key >> value)
        values[key] = value;
    return values;
}

double number(const std::map<std::string, double>& values, const std::string& key)
{
    const auto found = values.find(key);
    EXPECT_NE(found, values.end()) << "the page did not report " << key;
    return found == values.end() ? NAN : found->second;
}

} // namespace

// The audio context runs at the rate of the first tune played in the page:
// the tune's own, or another, and then Web Audio resamples the tune.
struct ContextCase {
    const char* name;
    int contextRate; // 0: the tune's own
};

void PrintTo(const ContextCase& context, std::ostream* out)
{
    *out << context.name;
}

class bassWebOutputTest : public ::testing::TestWithParam<ContextCase> {
protected:
    static void SetUpTestSuite()
    {
        for (const char* tool : {"emcmake", "node", "chromium", "chromedriver", "lame"})
            if (findProgram(tool).empty())
                missingTool = tool;
        if (missingTool.empty())
            page = buildPage();
    }

    void SetUp() override
    {
        if (!missingTool.empty())
            GTEST_SKIP() << missingTool << " is missing: scripts/install-deps --web installs the web toolchain";
        ASSERT_FALSE(page.empty()) << "the test page did not build";
    }

    static inline std::string missingTool;
    static inline std::filesystem::path page;
};

TEST_P(bassWebOutputTest, PlaysTheDesktopsSamplesOnTheAudioClock)
{
    testing_support::TempDir dir;
    const std::filesystem::path tune = makeClickTune(dir, "click.mp3", 44100, 4.0, 2.0);
    const std::filesystem::path first =
        GetParam().contextRate ? makeClickTune(dir, "first.mp3", GetParam().contextRate, 0.5, 0.1) : "";
    const DecodedTune desktop = desktopDecode(tune);
    ASSERT_EQ(desktop.samples.size(), 4u * 44100 * 2) << "the desktop decode is not gapless";
    const int64_t click = clickFrame(desktop.samples);
    ASSERT_GE(click, 0);

    const std::map<std::string, double> measured = playInBrowser(page, tune, 4.6, dir.file("page.raw"), first);
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(number(measured, "context_rate"), GetParam().contextRate ? GetParam().contextRate : desktop.rate);

    // The same decoder: the same frames, the click on the same one. The
    // desktop's vector code rounds a few samples the other way than the
    // portable code of the page: by one step of 16 bits, never more.
    const std::vector<int16_t> inPage = readSamples(dir.file("page.raw"));
    ASSERT_EQ(inPage.size(), desktop.samples.size());
    EXPECT_EQ(clickFrame(inPage), click);
    const auto [differing, largest] = differences(inPage, desktop.samples);
    EXPECT_LE(largest, 1) << differing << " samples differ";
    EXPECT_LT(differing, inPage.size() / 1000);

    // The position runs with the clock from the music's first moments, never
    // back, and stops at the end. Where the browser's audio stalled (a loaded
    // machine), what is heard stalled too. A clock that settles only after
    // the music started moves it by 7 to 23 ms here; the measure itself is
    // within 1.3 ms, loaded or not.
    EXPECT_GT(number(measured, "samples"), 100);
    EXPECT_EQ(number(measured, "backwards"), 0);
    EXPECT_NEAR(number(measured, "music_seconds") + number(measured, "audio_stalled_seconds"),
                number(measured, "wall_seconds"), 0.005);
    EXPECT_EQ(number(measured, "final_position"), 4.0);

    // When the click goes out, the position says the desktop's click frame.
    EXPECT_NEAR(number(measured, "click_heard_at"), static_cast<double>(click) / desktop.rate, 0.001);
}

INSTANTIATE_TEST_SUITE_P(Contexts, bassWebOutputTest,
                         ::testing::Values(ContextCase{"AtTheTunesRate", 0}, ContextCase{"Resampling48k", 48000}),
                         [](const ::testing::TestParamInfo<ContextCase>& info) { return info.param.name; });
