// The real production from its run folder, from start to end on the silent
// audio output, watched through screenshots of the X server.
#include "childProcess.h"
#include "testFiles.h"
#include "x11Window.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <stb/stb_image.h>

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

enum class Look { LoadingBar, Background, Scene3D, Closing };

const char* name(Look look)
{
    switch (look) {
    case Look::LoadingBar: return "loading bar";
    case Look::Background: return "background";
    case Look::Scene3D: return "3D scene";
    case Look::Closing: return "closing picture";
    }
    return "?";
}

struct Frame {
    Look look;
    float hue = 0.0f;        // of the most common colour
    int brightPixels = 0;    // text shows as bright pixels over a dark background
};

float hueOf(float r, float g, float b)
{
    const float high = std::max({r, g, b});
    const float low = std::min({r, g, b});
    if (high - low < 1e-3f)
        return 0.0f;
    float hue;
    if (high == r)
        hue = (g - b) / (high - low);
    else if (high == g)
        hue = 2.0f + (b - r) / (high - low);
    else
        hue = 4.0f + (r - g) / (high - low);
    return std::fmod(hue / 6.0f + 1.0f, 1.0f);
}

class Classifier {
public:
    explicit Classifier(const std::filesystem::path& closingPicture)
    {
        int channels = 0;
        closing.reset(stbi_load(closingPicture.c_str(), &width, &height, &channels, 3));
    }

    Frame classify(const Screenshot& shot) const
    {
        const std::uint8_t* corner = shot.at(20, 20);
        const std::uint8_t* centre = shot.at(shot.width / 2, shot.height / 2);
        if (corner[0] > 240 && corner[1] > 240 && corner[2] > 240 && centre[0] < 15)
            return {Look::LoadingBar};
        if (closing && differenceFromClosing(shot) < 40.0)
            return {Look::Closing};

        // Over a sparse grid of pixels: the most common colour, bright
        // pixels, and sharp steps in the bottom fifth of the screen, where
        // text never stands but the ray-marched ground has edges everywhere.
        std::map<int, int> bins;
        int samples = 0, bright = 0, lowSamples = 0, lowSteps = 0;
        for (int y = 0; y < shot.height; y += 4)
            for (int x = 4; x < shot.width; x += 4) {
                const std::uint8_t* p = shot.at(x, y);
                ++bins[(p[0] / 16) * 256 + (p[1] / 16) * 16 + p[2] / 16];
                ++samples;
                if (p[0] + p[1] + p[2] > 3 * 150)
                    ++bright;
                if (y > shot.height * 4 / 5) {
                    const std::uint8_t* left = shot.at(x - 4, y);
                    ++lowSamples;
                    if (std::abs(p[0] - left[0]) + std::abs(p[1] - left[1]) + std::abs(p[2] - left[2]) > 60)
                        ++lowSteps;
                }
            }
        const auto mode = std::max_element(bins.begin(), bins.end(),
                                           [](const auto& a, const auto& b) { return a.second < b.second; });
        const bool smooth = lowSteps < lowSamples / 50;
        Frame frame{smooth ? Look::Background : Look::Scene3D};
        frame.hue = hueOf((mode->first / 256) + 0.5f, ((mode->first / 16) % 16) + 0.5f, (mode->first % 16) + 0.5f);
        frame.brightPixels = bright;
        return frame;
    }

private:
    double differenceFromClosing(const Screenshot& shot) const
    {
        if (shot.width != width || shot.height != height)
            return 255.0;
        double total = 0.0;
        int count = 0;
        for (int y = 0; y < height; y += 8)
            for (int x = 0; x < width; x += 8) {
                const std::uint8_t* p = shot.at(x, y);
                const std::uint8_t* q = closing.get() + (static_cast<size_t>(y) * width + x) * 3;
                total += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
                count += 3;
            }
        return total / count;
    }

    std::unique_ptr<stbi_uc, void (*)(void*)> closing{nullptr, stbi_image_free};
    int width = 0;
    int height = 0;
};

// Consecutive frames of one look, merged.
struct Stretch {
    Look look;
    std::vector<Frame> frames;
};

std::vector<Stretch> stretches(const std::vector<Frame>& frames)
{
    std::vector<Stretch> result;
    for (const Frame& frame : frames) {
        if (result.empty() || result.back().look != frame.look)
            result.push_back({frame.look, {}});
        result.back().frames.push_back(frame);
    }
    // A lone frame is a cut caught mid-way (a flash, half of each scene):
    // drop it and join what stands on either side.
    std::vector<Stretch> merged;
    for (const Stretch& stretch : result) {
        if (stretch.frames.size() == 1 && result.size() > 1)
            continue;
        if (!merged.empty() && merged.back().look == stretch.look)
            merged.back().frames.insert(merged.back().frames.end(), stretch.frames.begin(), stretch.frames.end());
        else
            merged.push_back(stretch);
    }
    return merged;
}

bool showsText(const Stretch& stretch)
{
    return std::any_of(stretch.frames.begin(), stretch.frames.end(),
                       [](const Frame& frame) { return frame.brightPixels > 300; });
}

bool hueNear(const Stretch& stretch, float hue)
{
    int near = 0;
    for (const Frame& frame : stretch.frames)
        if (std::abs(frame.hue - hue) < 0.08f)
            ++near;
    return near * 2 > static_cast<int>(stretch.frames.size());
}

TEST(FullRun, PlaysEveryPartInOrderAndEndsByItself)
{
    Classifier classifier(runDir() / "ende.png");
    ChildProcess production(KELVANDRIX_EXECUTABLE, runDir());
    // Loading takes a second or two: watch two pixels closely for the bar.
    ScreenReader screen;
    bool barSeen = false;
    const auto loadingDeadline = std::chrono::steady_clock::now() + 60s;
    while (!barSeen && production.running() && std::chrono::steady_clock::now() < loadingDeadline) {
        const Screenshot corner = screen.grab(20, 20, 1, 1);
        const Screenshot centre = screen.grab(640, 360, 1, 1);
        barSeen = !corner.empty() && !centre.empty() && corner.at(0, 0)[0] > 240 && centre.at(0, 0)[0] < 15;
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(barSeen) << "the loading bar";
    std::vector<Frame> frames;
    const auto deadline = std::chrono::steady_clock::now() + 240s;
    while (production.running() && std::chrono::steady_clock::now() < deadline) {
        const Screenshot shot = screen.grab();
        if (shot.width == 1280 && shot.height == 720)
            frames.push_back(classifier.classify(shot));
        std::this_thread::sleep_for(300ms);
    }
    ASSERT_EQ(production.waitForExit(10s), std::optional<int>(0)) << production.standardError();

    std::string expected;
    for (int i = 0; i < 10; ++i)
        expected += "DEBUG: Getting track data\n";
    EXPECT_EQ(production.standardOutput(), expected);

    std::vector<Stretch> seen = stretches(frames);
    // The loading bar may end before the first full screenshot.
    if (!seen.empty() && seen.front().look == Look::LoadingBar)
        seen.erase(seen.begin());
    // After the closing picture the window goes as the process ends.
    if (seen.size() > 1 && seen[seen.size() - 2].look == Look::Closing && seen.back().frames.size() <= 2)
        seen.pop_back();
    std::string sequence;
    for (const Stretch& stretch : seen)
        sequence += std::string(name(stretch.look)) + " (" + std::to_string(stretch.frames.size()) + ") ";

    const Look order[] = {Look::Background, Look::Scene3D, Look::Background, Look::Scene3D, Look::Closing};
    ASSERT_EQ(seen.size(), std::size(order)) << sequence;
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(seen[i].look, order[i]) << sequence;

    EXPECT_TRUE(showsText(seen[0])) << "the titles";
    EXPECT_TRUE(showsText(seen[2])) << "the greetings";
    EXPECT_TRUE(hueNear(seen[0], 0.62f)) << "deep blue behind the titles";
    EXPECT_TRUE(hueNear(seen[2], 0.78f)) << "violet behind the greetings";
}

} // namespace
