// The engine's loading sequence with the production's registrations and
// without any.
#include "kelvandrixAssets.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroProduction.h"
#include "vroShow.h"
#include "vroWindow.h"

#include "glTest.h"
#include "testFiles.h"

using namespace testing_support;

namespace {

std::string loadLines(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "DEBUG: Getting track data\n";
    return lines;
}

TEST(Loading, ProductionAnnouncesAndAdvances23Steps)
{
    WorkingDir into(runDir());
    vroEngine engine(kTestWidth, kTestHeight, "loading", false);
    ::testing::internal::CaptureStdout();
    vroShow::RegisterDeclared(engine, vroProductionDeclaration());
    registerAssets(engine);
    engine.Start();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), loadLines(10));
    EXPECT_EQ(engine.getLoadingSteps().announced, 23);
    EXPECT_EQ(engine.getLoadingSteps().advanced, 23);
}

TEST(Loading, WithoutRegistrationsFiveAnnouncedAndSixAdvanced)
{
    TempDir empty;
    WorkingDir into(empty.path());
    vroEngine engine(kTestWidth, kTestHeight, "loading", false);
    ::testing::internal::CaptureStderr();
    engine.Start();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(engine.getLoadingSteps().announced, 5);
    EXPECT_EQ(engine.getLoadingSteps().advanced, 6);
    // No tune: the first running test ends the loop.
    EXPECT_FALSE(engine.IsRunning());
}

TEST(Loading, MusicStartsOnlyAfterLoadingAndBindingsAreReset)
{
    WorkingDir into(runDir());
    vroEngine engine(kTestWidth, kTestHeight, "loading", false);
    vroShow::RegisterDeclared(engine, vroProductionDeclaration());
    registerAssets(engine);
    engine.Init();
    EXPECT_GT(engine.audio->GetLength(), 100.0);
    EXPECT_EQ(engine.audio->GetPosition(), 0.0);
    EXPECT_FALSE(engine.IsRunning()) << "loading must not start the music";
    EXPECT_EQ(getInteger(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(getInteger(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), 0);
    engine.audio->Play();
    EXPECT_TRUE(engine.IsRunning());
}

} // namespace
