// The show every program plays: the engine made from a production's
// declaration, its tune and tracks registered under the declared names
// before the production is made, the production set up once everything is
// loaded, and gone while the engine's GL context still exists.
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroProduction.h"
#include "vroShow.h"

#include "bassTestMedia.h"
#include "glTest.h"
#include "testFiles.h"

#include <cmath>
#include <cstring>

#include <GLFW/glfw3.h>

using namespace testing_support;
using namespace bass_testing;

namespace {

// What the test production saw at each step.
struct Seen {
    float valueAtConstruction = -1.0f;
    double lengthAtSetup = -1.0;
    bool playingAtSetup = false;
    int frames = 0;
    bool contextAtDestruction = false;
};

class RecordingProduction : public vroProduction {
public:
    RecordingProduction(vroEngine& engine, Seen& seen) : engine(engine), seen(seen)
    {
        engine.audio->addSyncTrack("level");
        engine.audio->IsOK();
        seen.valueAtConstruction = engine.audio->getSyncValue("level");
    }
    ~RecordingProduction() override { seen.contextAtDestruction = glfwGetCurrentContext() != nullptr; }

    void Setup() override
    {
        seen.lengthAtSetup = engine.audio->GetLength();
        seen.playingAtSetup = engine.IsRunning();
    }
    void RunFrame() override { ++seen.frames; }

private:
    vroEngine& engine;
    Seen& seen;
};

// A track file of one key: an 8-byte count, then row, value and kind.
std::string oneKeyTrack(float value)
{
    std::string bytes(8 + 9, '\0');
    bytes[0] = 1;
    std::memcpy(&bytes[12], &value, 4);
    return bytes;
}

TEST(Show, RegistersTheDeclaredTuneAndTracksBeforeTheProductionAndEndsItFirst)
{
    TempDir dir;
    WorkingDir into(dir.path());
    dir.write("tune.wav", riffWave(wavFormat(2, 44100) + wavChunk("data", wavSamples(std::vector<int16_t>(2 * 44100)))));
    dir.write("trial_sync_level.track", oneKeyTrack(7.0f));
    dir.write("kelvandrix_sync_level.track", oneKeyTrack(3.0f));
    const vroDeclaration declaration{"trial", "TRIAL", 64, 64, "tune.wav", 120.0, {}, ""};
    Seen seen;
    {
        vroShow show(declaration, [&](vroEngine& engine) { return std::make_unique<RecordingProduction>(engine, seen); },
                     kTestWidth, kTestHeight, false);
        EXPECT_EQ(seen.valueAtConstruction, 7.0f) << "tracks come from the declared name's files";
        EXPECT_EQ(show.getDeclaration().title, "TRIAL");
        show.Start();
        EXPECT_NEAR(seen.lengthAtSetup, 1.0, 0.01) << "the declared tune is loaded before Setup";
        EXPECT_TRUE(seen.playingAtSetup);
        show.RunFrame();
        show.RunFrame();
        EXPECT_EQ(seen.frames, 2);
    }
    EXPECT_TRUE(seen.contextAtDestruction) << "the production's GL objects go before the engine's context";
}

TEST(Declaration, NamesThePartAValueOfThePartTrackPicks)
{
    const vroDeclaration declaration{"d", "D", 1, 1, "t.mp3", 120.0, {{0, "titles"}, {9, "closing"}, {-2, "below"}}, ""};
    const struct {
        float value;
        const char* name;
    } cases[] = {{0.0f, "titles"},  {0.99f, "titles"},      {-0.5f, "titles"},       {9.7f, "closing"},
                 {-2.5f, "below"},  {1.0f, "background"},   {1e30f, "background"},   {-1e30f, "background"},
                 {NAN, "background"}, {INFINITY, "background"}};
    for (const auto& c : cases)
        EXPECT_STREQ(declaration.partName(c.value), c.name) << c.value;
}

} // namespace
