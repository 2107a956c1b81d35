// Golden pictures of the real production: the music is paused and sought to a
// fixed time in each part, the clock held there, one frame is drawn on a small window and read back
// before the swap, then compared with the reference pictures in golden/.
// To accept a deliberate change of data, regenerate them with
//   KELVANDRIX_UPDATE_GOLDEN=1 scripts/with-display build/test/tests/productions/kelvandrix/kelvandrixGoldenTest
#include "vroProduction.h"
#include "vroShow.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroTimer.h"

#include "glTest.h"
#include "testFiles.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include <stb/stb_image.h>

using namespace testing_support;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;
constexpr double kSecondsPerBar = 4.0 * 60.0 / 127.0;

struct Picture {
    const char* name;
    double bar; // where in the tune, in bars from its start
};

// Between beats, where nothing moves fast: the beat pulses of the scenes
// change quickest right on a beat.
const Picture kPictures[] = {
    {"titles", 3.1}, {"cubes", 14.4}, {"greetings", 26.3}, {"pyramids", 41.4}, {"closing", 60.2},
};

class GoldenPictures : public ::testing::TestWithParam<Picture> {
protected:
    static void SetUpTestSuite()
    {
        into = std::make_unique<WorkingDir>(runDir());
        production = std::make_unique<vroShow>(vroProductionDeclaration(), vroCreateProduction, kWidth, kHeight, false);
        production->Start();
        production->getEngine().audio->Pause();
    }

    static void TearDownTestSuite()
    {
        production.reset();
        into.reset();
    }

    // One frame at `seconds` of the tune, read back from the window. The
    // clock is held at the music position, so every pass sees that time
    // exactly however long the frame takes.
    static std::vector<std::uint8_t> frameAt(double seconds)
    {
        vroEngine& engine = production->getEngine();
        EXPECT_TRUE(engine.audio->SeekTo(seconds));
        engine.timer->Hold(engine.audio->GetPosition());
        EXPECT_TRUE(engine.IsRunning());
        production->RunFrame();
        auto pixels = readPixels(kWidth, kHeight);
        // Rows from the top, as picture files keep them.
        std::vector<std::uint8_t> flipped(pixels.size());
        const size_t row = static_cast<size_t>(kWidth) * 4;
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(&pixels[(kHeight - 1 - y) * row], row, &flipped[y * row]);
        return flipped;
    }

    static inline std::unique_ptr<WorkingDir> into;
    static inline std::unique_ptr<vroShow> production;
};

TEST_P(GoldenPictures, FrameMatchesTheReference)
{
    const Picture picture = GetParam();
    // Just after a change of the post pass's grain (30 a second), where the
    // references were taken.
    const double seconds = (std::floor(picture.bar * kSecondsPerBar * 30.0) + 1.02) / 30.0;
    const auto frame = frameAt(seconds);
    const auto path = sourceDir() / "tests/productions/kelvandrix/golden" / (std::string(picture.name) + ".png");

    if (std::getenv("KELVANDRIX_UPDATE_GOLDEN")) {
        ASSERT_TRUE(writePng(path, frame.data(), kWidth, kHeight)) << path;
        GTEST_SKIP() << "wrote " << path;
    }

    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> reference(stbi_load(path.c_str(), &width, &height, &channels, 4),
                                                        stbi_image_free);
    ASSERT_TRUE(reference) << "no reference picture " << path;
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);

    // Software GL may round differently from build to build: allow small
    // differences everywhere and larger ones on a few edge pixels.
    size_t far = 0;
    double total = 0.0;
    for (size_t i = 0; i < frame.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) {
            const int difference = std::abs(frame[i + c] - reference.get()[i + c]);
            total += difference;
            if (difference > 24)
                ++far;
        }
    const double mean = total / (static_cast<double>(kWidth) * kHeight * 3);
    EXPECT_LT(mean, 3.0) << picture.name;
    EXPECT_LT(far, static_cast<size_t>(kWidth * kHeight / 100)) << picture.name;
}

INSTANTIATE_TEST_SUITE_P(Production, GoldenPictures, ::testing::ValuesIn(kPictures),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
