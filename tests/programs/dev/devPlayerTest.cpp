// The development player driven in-process through its commands, on a copy
// of the run folder and a source folder made here: edits on disk reach the
// screen between frames, broken edits keep what worked and say where they
// broke, and the transport lands on the rows of the beat grid.
#include "devPlayer.h"
#include "liveReload.h"
#include "readout.h"
#include "timeline.h"
#include "timelinePanel.h"
#include "transport.h"

#include "commands.h"
#include "sync.h"

#include "vroAudio.h"
#include "vroProduction.h"
#include "vroEngine.h"
#include "vroShaderManager.h"
#include "vroShaderProgram.h"
#include "vroTextOverlay.h"
#include "vroTexture.h"
#include "vroWindow.h"

#include "glTest.h"
#include "fileSizeLimit.h"
#include "testFiles.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

const char* const kVertex = "layout (location = 0) in vec3 vertexPosition;\nout vec2 texCoord;\n"
                            "void main() { texCoord = vertexPosition.xy * 0.5 + 0.5; gl_Position = vec4(vertexPosition, 1.0); }\n";

// A fragment stage whose body starts on line 4 (the shader prelude in front
// of it moves no line).
std::string fragment(const std::string& body)
{
    return "uniform sampler2D uChannelA;\nuniform float uSyncA, uTime;\nin vec2 texCoord;\n"
           "out vec4 colour; void main() { " + body + " }\n";
}

// Cubes from the start, pyramids at bar 2, the closing picture at bar 4;
// shader_A 0.5, then 1.0 from bar 1.
const char* const kTracks = "track part\n0:0:0 1 step\n2:0:0 3 step\n4:0:0 9 step\n"
                            "track shader_A\n0:0:0 0.5 step\n1:0:0 1.0 step\n"
                            "track bg_v\n0:0:0 1 step\n";

class DevPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Everything but the programs.
        for (const auto& entry : fs::directory_iterator(runDir())) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name != "kelvandrix" && name != "kelvandrix-dev")
                fs::copy_file(entry.path(), run.file(name));
        }
        fs::create_directories(source.file("shaders"));
        fs::create_directories(source.file("tracks"));
        source.write("shaders/noTransform.vs", kVertex);
        source.write("shaders/post.fs", fragment("colour = texture(uChannelA, texCoord);"));
        // Opaque from the first moment on; the clock keeps uTime in the program.
        source.write("shaders/rm_cubescape.fs", fragment("colour = vec4(uSyncA, 0.25, 0.75, clamp(uTime + 1.0, 0.0, 1.0));"));
        source.write("shaders/rm_pyramidgrid.fs", fragment("colour = vec4(0.0, 0.0, 1.0, 1.0);"));
        source.write("tracks/kelvandrix.tracks", kTracks);
        into = std::make_unique<WorkingDir>(run.path());
    }

    void TearDown() override
    {
        player.reset();
        into.reset();
    }

    void start(int width = kWidth, int height = kHeight)
    {
        DevOptions options;
        options.width = width;
        options.height = height;
        options.sourceDir = source.path().string();
        player = std::make_unique<DevPlayer>(options, vroProductionDeclaration(), vroCreateProduction);
    }

    void frames(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(player->Frame());
    }

    // Frames until the condition holds; the watcher must see a save within
    // a quarter of a second, plus the frames a busy machine takes.
    bool framesUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 2s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!player->Frame())
                return false;
            if (condition())
                return true;
        }
        return false;
    }

    // The centre of the next frame, read back before it is shown.
    glm::u8vec4 centre()
    {
        EXPECT_TRUE(player->DrawFrame());
        const glm::u8vec4 pixel = readPixel(kWidth / 2, kHeight / 2);
        player->Present();
        return pixel;
    }

    bool centreIs(int red, int green, int blue)
    {
        const glm::u8vec4 pixel = centre();
        return std::abs(pixel.x - red) <= 1 && std::abs(pixel.y - green) <= 1 && std::abs(pixel.z - blue) <= 1;
    }

    // Saves as editors that write a new file and rename it over the old one.
    void saveByRename(const std::string& name, const std::string& text)
    {
        source.write(name + ".new", text);
        fs::rename(source.file(name + ".new"), source.file(name));
    }

    vroAudio& audio() { return *player->getShow().getEngine().audio; }
    // The "uTime" the cubes' program last drew with.
    float cubescapeTime()
    {
        const GLuint id = player->getShow().getEngine().shaderManager->getShader("cubescape")->id;
        float time = -1.0f;
        glGetUniformfv(id, glGetUniformLocation(id, "uTime"), &time);
        return time;
    }
    Transport& transport() { return player->getTransport(); }

    TempDir run;
    TempDir source;
    std::unique_ptr<WorkingDir> into;
    std::unique_ptr<DevPlayer> player;
};

TEST_F(DevPlayerTest, ShaderEditsReachTheScreenAndBrokenOnesKeepTheLastWorkingProgram)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    ASSERT_TRUE(player->Execute("readout")); // the text would cover pixels
    EXPECT_TRUE(centreIs(128, 64, 191)) << "the source folder's shader plays from the first frame";

    saveByRename("shaders/rm_cubescape.fs", fragment("colour = vec4(0.0, 1.0, 0.0, 1.0);"));
    EXPECT_TRUE(framesUntil([&] { return centreIs(0, 255, 0); })) << "a save by renaming is seen";

    testing::internal::CaptureStderr();
    source.write("shaders/rm_cubescape.fs", fragment("colour = vec4(0.0, 0.0, 1.0, 1.0) +;"));
    const bool reported = framesUntil([&] { return !player->getLiveReload().getErrors().empty(); });
    const std::string stderrText = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(reported);
    EXPECT_TRUE(centreIs(0, 255, 0)) << "the old program stays on screen";
    EXPECT_NE(player->describe().find("rm_cubescape.fs:4: "), std::string::npos) << player->describe();
    EXPECT_NE(stderrText.find("rm_cubescape.fs:4: "), std::string::npos) << stderrText;

    // Saved twice in a row, as some editors do.
    source.write("shaders/rm_cubescape.fs", fragment("colour = vec4(1.0, 1.0, 0.0, 1.0);"));
    source.write("shaders/rm_cubescape.fs", fragment("colour = vec4(1.0, 0.0, 1.0, 1.0);"));
    EXPECT_TRUE(framesUntil([&] { return centreIs(255, 0, 255); }));
    EXPECT_EQ(player->getLiveReload().getErrors(), "");

    // The source folder's copy shadows the run folder's; with both gone there
    // is nothing to build from.
    fs::remove(run.file("rm_cubescape.fs"));
    fs::remove(source.file("shaders/rm_cubescape.fs"));
    EXPECT_TRUE(framesUntil([&] { return !player->getLiveReload().getErrors().empty(); }));
    EXPECT_NE(player->getLiveReload().getErrors().find("rm_cubescape.fs: cannot be read"), std::string::npos)
        << "a deleted file is named: " << player->getLiveReload().getErrors();
    EXPECT_TRUE(centreIs(255, 0, 255));
}

// Broken before the player starts: no last working program to keep, and the
// message must be on the read-out all the same.
TEST_F(DevPlayerTest, AShaderBrokenAtTheStartIsOnTheReadoutAndDrawsNothing)
{
    source.write("shaders/rm_cubescape.fs", fragment("colour = vec4(0.0, 0.0, 1.0, 1.0) +;"));
    testing::internal::CaptureStderr();
    start();
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(player->Execute("pause"));
    ASSERT_TRUE(player->Execute("readout"));
    EXPECT_TRUE(centreIs(255, 255, 255)) << "the background of bg_v 1";
    EXPECT_NE(player->describe().find("rm_cubescape.fs:4: "), std::string::npos) << player->describe();

    source.write("shaders/rm_cubescape.fs", fragment("colour = vec4(0.0, 1.0, 0.0, 1.0);"));
    EXPECT_TRUE(framesUntil([&] { return centreIs(0, 255, 0); }));
    EXPECT_EQ(player->getLiveReload().getErrors(), "");
}

// A source folder whose shaders/ is made (here: moved in whole) while playing.
TEST_F(DevPlayerTest, AShadersFolderMadeWhilePlayingIsWatchedFromThen)
{
    fs::rename(source.file("shaders"), source.file("made"));
    testing::internal::CaptureStderr();
    start();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("watch: no folder \"" + source.file("shaders").string() + "\" yet"), std::string::npos)
        << said;
    ASSERT_TRUE(player->Execute("pause"));
    ASSERT_TRUE(player->Execute("readout"));
    EXPECT_FALSE(centreIs(128, 64, 191)) << "the run folder's shaders play";
    fs::rename(source.file("made"), source.file("shaders"));
    EXPECT_TRUE(framesUntil([&] { return centreIs(128, 64, 191); }));
    EXPECT_EQ(player->getLiveReload().getErrors(), "");
}

TEST_F(DevPlayerTest, TrackEditsReplaceEveryTrackAtTheSameRowAndBrokenTextsKeepThem)
{
    fs::create_directory(source.file("tracks/old.tracks")); // a folder, no track text
    // Emacs's lock on a text with unsaved changes: a dangling link.
    fs::create_symlink("user@host.123:1700000000", source.file("tracks/.#kelvandrix.tracks"));
    start();
    EXPECT_EQ(player->getLiveReload().getErrors(), "");
    ASSERT_TRUE(player->Execute("pause"));
    ASSERT_TRUE(player->Execute("seek-bar 1"));
    frames(1);
    const double row = transport().getRow();
    EXPECT_EQ(audio().getSyncValue("shader_A"), 1.0f);

    source.write("tracks/kelvandrix.tracks", "track shader_A\n0:0:0 0.25 step\ntrack part\n0:0:0 3 step\n");
    ASSERT_TRUE(framesUntil([&] { return audio().getSyncValue("shader_A") == 0.25f; }));
    EXPECT_EQ(transport().getRow(), row);
    EXPECT_EQ(audio().getSyncValue("part"), 3.0f) << "all tracks are replaced together";
    EXPECT_EQ(audio().getSyncValue("bg_v"), 0.0f) << "a track the text no longer has is emptied";

    source.write("tracks/kelvandrix.tracks", "track shader_A\n0:0:0 0.75 step\n1:0:0 oops step\n");
    ASSERT_TRUE(framesUntil([&] { return !player->getLiveReload().getErrors().empty(); }));
    EXPECT_NE(player->getLiveReload().getErrors().find("kelvandrix.tracks:3: "), std::string::npos)
        << player->getLiveReload().getErrors();
    EXPECT_EQ(audio().getSyncValue("shader_A"), 0.25f) << "no part of a broken text is taken";

    // Something that is no track text at all: its first faults are named,
    // not one line for each of its thousand lines.
    std::string garbage;
    for (int line = 0; line < 1000; ++line)
        garbage += "\x01\xfe garbage\n";
    source.write("tracks/kelvandrix.tracks", garbage);
    EXPECT_TRUE(framesUntil([&] {
        const std::string errors = player->getLiveReload().getErrors();
        return errors.find(":1: ") != std::string::npos && errors.find(":1000: ") == std::string::npos;
    }));
    const std::string errors = player->getLiveReload().getErrors();
    EXPECT_LE(std::count(errors.begin(), errors.end(), '\n'), 25) << errors;

    // A folder in the text's place opens like an empty file; it must not
    // empty the tracks.
    fs::remove(source.file("tracks/kelvandrix.tracks"));
    fs::create_directory(source.file("tracks/kelvandrix.tracks"));
    EXPECT_TRUE(framesUntil([&] {
        return player->getLiveReload().getErrors().find("cannot read") != std::string::npos;
    }));
    frames(2);
    EXPECT_EQ(audio().getSyncValue("shader_A"), 0.25f);
    EXPECT_EQ(audio().getSyncValue("part"), 3.0f);
}

// A misspelt track name plays nowhere, in this player or the production.
TEST_F(DevPlayerTest, ATrackThatNothingReadsIsNamed)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    source.write("tracks/kelvandrix.tracks", std::string(kTracks) + "track shader_a\n0:0:0 1 step\n");
    EXPECT_TRUE(framesUntil([&] {
        return player->getLiveReload().getErrors().find(
                   "kelvandrix.tracks:10: track \"shader_a\" is read by nothing in the production\n")
               != std::string::npos;
    })) << player->getLiveReload().getErrors();
    EXPECT_EQ(audio().getSyncValue("shader_A"), 0.5f) << "the tracks are replaced all the same";

    source.write("tracks/kelvandrix.tracks", kTracks);
    EXPECT_TRUE(framesUntil([&] { return player->getLiveReload().getErrors().empty(); }))
        << player->getLiveReload().getErrors();
}

TEST_F(DevPlayerTest, SeeksLandOnTheBeatGridAndLoopsAndPauseHoldTheRow)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    const auto rowAfter = [&](const char* command) {
        EXPECT_TRUE(player->Execute(command)) << command;
        frames(1);
        return transport().getRow();
    };
    // A seek lands on the first sample of its row, never short of it.
    const auto expectRow = [](double row, double expected) {
        EXPECT_GE(row, expected);
        EXPECT_LT(row, expected + 17.0 / 44100.0 * 2.0);
    };
    expectRow(rowAfter("beat 1"), 8.0);
    expectRow(rowAfter("bar 2"), 64.0);
    expectRow(rowAfter("beat -1"), 56.0);
    expectRow(rowAfter("part next"), 64.0);
    expectRow(rowAfter("part next"), 128.0);
    expectRow(rowAfter("part prev"), 64.0);
    expectRow(rowAfter("seek-bar 3"), 96.0);
    EXPECT_EQ(audio().getSyncValue("part"), 3.0f) << "the row of the frame after a seek is the new one";
    expectRow(rowAfter("home"), 0.0);
    EXPECT_FALSE(player->Execute("beat one"));

    const double held = rowAfter("seek-bar 1");
    const float time = cubescapeTime();
    std::this_thread::sleep_for(50ms);
    frames(5);
    EXPECT_EQ(transport().getRow(), held) << "pause freezes the row";
    EXPECT_EQ(cubescapeTime(), time) << "and the picture's clock";
    EXPECT_NEAR(time, held / kakRowRate, 1e-4);

    // A loop over bar 1 wraps back to its start with the time it overshot.
    ASSERT_TRUE(player->Execute("loop"));
    ASSERT_TRUE(player->Execute("loop"));
    ASSERT_TRUE(player->Execute("seek 3.7"));
    ASSERT_TRUE(player->Execute("pause"));
    double previous = transport().getRow();
    bool wrapped = false;
    ASSERT_TRUE(framesUntil([&] {
        const double row = transport().getRow();
        EXPECT_GE(row, 32.0);
        EXPECT_LT(row, 64.0);
        wrapped = row < previous;
        previous = row;
        return wrapped;
    }, 5s));
    EXPECT_LT(previous, 32.0 + 4.0) << "no gap at the wrap";

    // A loop over the last bar wraps at the end of the music, which comes a
    // hair before the end of the bar.
    ASSERT_TRUE(player->Execute("loop")); // the loop over bar 1 goes
    ASSERT_TRUE(player->Execute("seek " + std::to_string(audio().GetLength() - 0.3)));
    ASSERT_TRUE(player->Execute("loop"));
    ASSERT_TRUE(player->Execute("loop"));
    const double lastBarStart = *transport().getLoopStartBar() * 32.0;
    ASSERT_TRUE(framesUntil([&] {
        const double row = transport().getRow();
        wrapped = row < previous;
        previous = row;
        return wrapped;
    }, 5s)) << "ended at row " << transport().getRow();
    EXPECT_LT(previous, lastBarStart + 8.0);
    EXPECT_FALSE(transport().hasEnded());

    // The end holds the last frame until a seek plays again.
    ASSERT_TRUE(player->Execute("loop"));
    ASSERT_TRUE(player->Execute("seek " + std::to_string(audio().GetLength() - 0.1)));
    ASSERT_TRUE(framesUntil([&] { return transport().hasEnded(); }));
    const double end = transport().getRow();
    frames(3);
    EXPECT_EQ(transport().getRow(), end);
    EXPECT_TRUE(transport().isPaused());
    expectRow(rowAfter("home"), 0.0);
    EXPECT_FALSE(transport().hasEnded());
    EXPECT_FALSE(transport().isPaused());

    // Keys act at once, even while command lines wait for frames.
    GLFWwindow* window = player->getShow().getEngine().window->getHandle();
    const GLFWkeyfun onKey = glfwSetKeyCallback(window, nullptr);
    glfwSetKeyCallback(window, onKey);
    ASSERT_TRUE(onKey);
    ASSERT_TRUE(player->Execute("frames 1000"));
    onKey(window, GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_FALSE(player->Frame()) << "Escape quits";
}

TEST_F(DevPlayerTest, ScoreEditsPlayFromTheSameMusicTimeAndBrokenScoresKeepTheMusic)
{
    constexpr double kSecondsPerBar = 4.0 * 60.0 / 127.0;
    fs::create_directories(source.file("music"));
    source.write("music/tolvenmark.score", "tempo 127\nbars 16\n");
    // The build renders the score named after the tune; a draft beside it is not the music.
    source.write("music/a-draft.score", "tempo 127\nbars 4\n");
    start();
    ASSERT_TRUE(framesUntil([&] { return !player->getLiveReload().isRenderingMusic(); }, 60s));
    EXPECT_NEAR(audio().GetLength(), 16 * kSecondsPerBar, 1e-3) << "the source folder's score plays from the start";
    ASSERT_TRUE(player->Execute("seek 3"));
    frames(3);
    EXPECT_EQ(audio().GetLevel(), 0.0f);

    source.write("music/tolvenmark.score", "tempo 127\nbars 20\ninstrument hum bass gain=0.8\npattern low\n"
                                           "| A2 - - - A2 - - - A2 - - - A2 - - -\nplay 0-19 hum low\n");
    double before = audio().GetPosition();
    ASSERT_TRUE(framesUntil([&] {
        if (audio().GetLength() < 17 * kSecondsPerBar) {
            before = audio().GetPosition();
            return false;
        }
        return true;
    }, 60s));
    const double after = audio().GetPosition();
    EXPECT_GE(after, before);
    EXPECT_LT(after, before + 0.5) << "the new tune goes on from the music time reached";
    frames(2);
    EXPECT_GT(audio().GetLevel(), 0.05f) << "what plays now is the new score";

    source.write("music/tolvenmark.score", "tempo 127\nbars 20\nplay 0-19 nobody low\n");
    ASSERT_TRUE(framesUntil([&] { return !player->getLiveReload().getErrors().empty(); }, 60s));
    EXPECT_NE(player->getLiveReload().getErrors().find("tolvenmark.score:3: "), std::string::npos)
        << player->getLiveReload().getErrors();
    EXPECT_NEAR(audio().GetLength(), 20 * kSecondsPerBar, 1e-3);

    // A loop left past the end of a shorter tune lets the music end.
    ASSERT_TRUE(player->Execute("seek-bar 18"));
    ASSERT_TRUE(player->Execute("loop"));
    ASSERT_TRUE(player->Execute("loop"));
    source.write("music/tolvenmark.score", "tempo 127\nbars 8\n");
    EXPECT_TRUE(framesUntil([&] { return transport().hasEnded(); }, 60s));

    // Half an hour of music renders for minutes: quitting meanwhile does not
    // wait for it.
    source.write("music/tolvenmark.score", "tempo 127\nbars 950\ninstrument hum bass gain=0.8\npattern low\n"
                                           "| A2 - - - A2 - - - A2 - - - A2 - - -\nplay 0-949 hum low\n");
    ASSERT_TRUE(framesUntil([&] { return player->getLiveReload().isRenderingMusic(); }));
    const auto quitting = std::chrono::steady_clock::now();
    player.reset();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - quitting).count(), 3.0);
}

TEST_F(DevPlayerTest, TheReadoutIsDrawnFromTheDebugOverlayOverTheFinishedFrame)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    frames(1);
    vroEngine& engine = player->getShow().getEngine();
    const auto debugTexels = readTexture(engine.debugTextOverlay->getTexture()->getID(), kWidth, kHeight);
    const auto productionTexels = readTexture(engine.textOverlay->getTexture()->getID(), kWidth, kHeight);
    int covered = -1;
    for (size_t i = 0; i < debugTexels.size(); i += 4)
        if (debugTexels[i] == 255 && covered < 0)
            covered = static_cast<int>(i / 4);
    ASSERT_GE(covered, 0) << "the read-out's text is on the debug overlay";
    EXPECT_EQ(std::count(productionTexels.begin(), productionTexels.end(), 0), productionTexels.size())
        << "the production's overlay stays blank";
    EXPECT_NE(player->getReadout().getShownText().find("0:0:0  part 1 cubes"), std::string::npos)
        << player->getReadout().getShownText();

    // The canvas's row 0 is the top of the window.
    const int x = covered % kWidth;
    const int y = kHeight - 1 - covered / kWidth;
    ASSERT_TRUE(player->DrawFrame());
    EXPECT_PIXEL_NEAR(readPixel(x, y), 255, 255, 255, 255);
    player->Present();
    ASSERT_TRUE(player->Execute("readout"));
    ASSERT_TRUE(player->DrawFrame());
    EXPECT_PIXEL_NEAR(readPixel(x, y), 128, 64, 191, 255);
    player->Present();

    // Text that changes every frame is still laid out only a few times a second.
    ASSERT_TRUE(player->Execute("readout"));
    ASSERT_TRUE(player->Execute("pause"));
    const int before = player->getReadout().getLayouts();
    const auto start = std::chrono::steady_clock::now();
    frames(30);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(player->getReadout().getLayouts() - before, seconds / 0.25 + 1.0);
}

// What the sync player evaluates on the production's own track at a row.
double trackValue(vroAudio& audio, const char* name, double row)
{
    return sync_get_val(audio.getSyncTrack(name), row);
}

TEST_F(DevPlayerTest, TimelineCommandsEditTheTracksAtOnceAndUndoAndRedoRestoreThem)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    ASSERT_TRUE(player->Execute("seek-bar 0"));
    ASSERT_TRUE(player->Execute("beat 3")); // row 24: between the keys of bar 0 and bar 1
    frames(1);
    const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    // shader_A starts as 0.5 held to row 32, then 1.0.
    const struct {
        const char* command;
        std::vector<std::pair<double, double>> values; // row -> value
    } steps[] = {
        {"key-set shader_A 16 0.75 linear", {{8, 0.5}, {16, 0.75}, {24, 0.875}, {32, 1.0}}},
        {"key-move shader_A 1:0:0 40", {{24, 0.75 + 0.25 * 8 / 24}, {32, 0.75 + 0.25 * 16 / 24}, {40, 1.0}}},
        {"key-set shader_A 0:2:0 0.75 smooth", {{24, 0.75 + 0.25 * smooth(8.0 / 24)}, {40, 1.0}}},
        // The panel's value field names no kind: the key keeps its own.
        {"key-set shader_A 0:2:0 0.625", {{24, 0.625 + 0.375 * smooth(8.0 / 24)}, {40, 1.0}}},
        {"key-delete shader_A 0:2:0", {{16, 0.5}, {24, 0.5}, {39, 0.5}, {40, 1.0}}},
    };
    std::vector<std::vector<double>> before;
    const auto valuesNow = [&](const std::vector<std::pair<double, double>>& values) {
        std::vector<double> now;
        for (const auto& value : values)
            now.push_back(trackValue(audio(), "shader_A", value.first));
        return now;
    };
    for (const auto& step : steps) {
        before.push_back(valuesNow(step.values));
        ASSERT_TRUE(player->Execute(step.command)) << step.command;
        frames(1);
        for (const auto& [row, value] : step.values)
            EXPECT_NEAR(trackValue(audio(), "shader_A", row), value, 1e-6) << step.command << " at row " << row;
        EXPECT_NEAR(audio().getSyncValue("shader_A"), trackValue(audio(), "shader_A", transport().getRow()), 1e-6)
            << "the frame reads the edited track";
    }

    // Nothing of a command that cannot be done is done; each says why in one
    // line. Keys stay within the tune, one to a row.
    const std::string text = player->getTimeline()->getDocument().text();
    const std::string pastTheEnd = std::to_string(player->getTimeline()->lastRow() + 1);
    for (const std::string& refused : std::vector<std::string>
         {"key-move shader_A 0 1:1:0", "key-move shader_A 40 0", "key-move shader_A 0 -1",
          "key-move shader_A 40 " + pastTheEnd, "key-set shader_a 0 1", "key-set shader_A 0 abc",
          "key-set shader_A " + pastTheEnd + " 1", "key-delete shader_A 3", "key-set shader_A 0 1 curly",
          "key-move shader_A 0", "undo now"}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(player->Execute(refused)) << refused;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("dev: ", 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    EXPECT_EQ(player->getTimeline()->getDocument().text(), text);

    for (size_t i = std::size(steps); i-- > 0;) {
        ASSERT_TRUE(player->Execute("undo"));
        frames(1);
        EXPECT_EQ(valuesNow(steps[i].values), before[i]) << "undoing " << steps[i].command;
    }
    EXPECT_EQ(player->getTimeline()->getDocument().text(), kTracks);
    for (const auto& step : steps) {
        ASSERT_TRUE(player->Execute("redo"));
        frames(1);
        for (const auto& [row, value] : step.values)
            EXPECT_NEAR(trackValue(audio(), "shader_A", row), value, 1e-6) << "redoing " << step.command;
    }

    // The tune's very last row takes a key, moved there or new.
    const std::string last = std::to_string(player->getTimeline()->lastRow());
    ASSERT_TRUE(player->Execute("key-move shader_A 40 " + last));
    ASSERT_TRUE(player->Execute("key-set bg_v " + last + " 2"));
    EXPECT_EQ(trackValue(audio(), "shader_A", std::stod(last)), 1.0);
    EXPECT_EQ(trackValue(audio(), "bg_v", std::stod(last)), 2.0);
}

// The saved text, built into the production's track files, plays what the
// timeline played; the player's own save is no outside change, and an
// outside change over unsaved edits waits for the user's choice.
TEST_F(DevPlayerTest, SavedEditsBuildIntoWhatPlayedAndOutsideChangesWaitForAChoice)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    for (const char* edit : {"key-set part 1:2:0 2", "key-move part 2:0:0 2:1:0", "key-set shader_A 0 0.25 ramp",
                             "key-set bg_v 3:0:0 0.5 smooth"})
        ASSERT_TRUE(player->Execute(edit)) << edit;
    EXPECT_NE(player->describe().find("unsaved changes"), std::string::npos) << player->describe();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(player->Execute("save"));
    frames(10);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("tracks: replaced"), std::string::npos) << "the own save is not reloaded: " << said;
    EXPECT_EQ(player->describe().find("unsaved changes"), std::string::npos);
    EXPECT_TRUE(player->getTimeline()->getDocument().canUndo()) << "the history stays";

    // Each edit on its own line; new keys beside their neighbours, shaped like them.
    EXPECT_EQ(readFile(source.file("tracks/kelvandrix.tracks")),
              "track part\n0:0:0 1 step\n1:2:0 2 step\n2:1:0 3 step\n4:0:0 9 step\n"
              "track shader_A\n0:0:0 0.25 ramp\n1:0:0 1.0 step\n"
              "track bg_v\n0:0:0 1 step\n3:0:0 0.5 smooth\n");

    TempDir built;
    std::ostringstream out, err;
    ASSERT_EQ(runSynctrack({"build", source.file("tracks/kelvandrix.tracks").string(), "--base", "k", "--out",
                            built.path().string()},
                           out, err),
              kStatusDone)
        << err.str();
    sync_player* device = sync_create_device((built.path() / "k").string().c_str());
    for (const char* name : {"part", "shader_A", "bg_v"}) {
        testing::internal::CaptureStdout();
        const sync_track* files = sync_get_track(device, name);
        testing::internal::GetCapturedStdout();
        for (double row = -4.0; row < 140.0; row += 0.25)
            EXPECT_EQ(sync_get_val(files, row), trackValue(audio(), name, row)) << name << " at row " << row;
    }
    sync_destroy_device(device);

    // An outside change over unsaved edits: kept, the next save overwrites it.
    ASSERT_TRUE(player->Execute("key-set shader_A 0 0.125"));
    source.write("tracks/kelvandrix.tracks", kTracks);
    ASSERT_TRUE(framesUntil([&] { return player->getTimeline()->hasConflict(); }));
    EXPECT_NE(player->describe().find("changed on disk"), std::string::npos) << player->describe();
    EXPECT_EQ(trackValue(audio(), "shader_A", 0.0), 0.125) << "nothing is merged meanwhile";
    ASSERT_TRUE(player->Execute("keep"));
    ASSERT_TRUE(player->Execute("save"));
    frames(5);
    EXPECT_EQ(readFile(source.file("tracks/kelvandrix.tracks")), player->getTimeline()->getDocument().text());
    EXPECT_NE(readFile(source.file("tracks/kelvandrix.tracks")), kTracks);

    // Taken: the edits go, and come back with undo.
    ASSERT_TRUE(player->Execute("key-set shader_A 0 0.0625"));
    source.write("tracks/kelvandrix.tracks", kTracks);
    ASSERT_TRUE(framesUntil([&] { return player->getTimeline()->hasConflict(); }));
    ASSERT_TRUE(player->Execute("revert"));
    frames(1);
    EXPECT_EQ(player->getTimeline()->getDocument().text(), kTracks);
    EXPECT_EQ(trackValue(audio(), "shader_A", 0.0), 0.5);
    ASSERT_TRUE(player->Execute("undo"));
    frames(1);
    EXPECT_EQ(trackValue(audio(), "shader_A", 0.0), 0.0625);

    // A broken text is taken read-only, its error on the read-out.
    ASSERT_TRUE(player->Execute("revert"));
    source.write("tracks/kelvandrix.tracks", "track shader_A\n0:0:0 0.75 step\n1:0:0 oops step\n");
    ASSERT_TRUE(framesUntil([&] { return player->getTimeline()->getDocument().isReadOnly(); }));
    EXPECT_NE(player->describe().find("kelvandrix.tracks:3: bad value"), std::string::npos) << player->describe();
    EXPECT_NE(player->describe().find("read-only"), std::string::npos) << player->describe();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(player->Execute("key-set shader_A 0 1"));
    testing::internal::GetCapturedStderr();
}

// A save goes through a link to the file, as editors save; a save that
// cannot be written whole (the disk full) says so, writes nothing and keeps
// the edits unsaved, so that nobody quits believing them safe.
TEST_F(DevPlayerTest, ASaveWritesThroughALinkOrNothingAtAll)
{
    // Longer than the disk leaves room for; the message about it is not.
    const std::string text = "# " + std::string(4000, '-') + "\n" + kTracks;
    fs::create_directories(source.file("shared"));
    source.write("shared/kelvandrix.tracks", text);
    fs::remove(source.file("tracks/kelvandrix.tracks"));
    fs::create_symlink("../shared/kelvandrix.tracks", source.file("tracks/kelvandrix.tracks"));
    start();
    ASSERT_TRUE(player->Execute("key-set shader_A 0 0.25"));
    testing::internal::CaptureStderr();
    bool saved = true;
    {
        const FileSizeLimit fullDisk(2048);
        saved = player->Execute("save");
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "dev: save: cannot write "
                                                          + source.file("tracks/kelvandrix.tracks").string()
                                                          + ": the edits stay unsaved\n");
    EXPECT_NE(player->describe().find("unsaved changes"), std::string::npos) << player->describe();
    EXPECT_TRUE(readFile(source.file("shared/kelvandrix.tracks")) == text) << "the file is not as it was";

    ASSERT_TRUE(player->Execute("save"));
    EXPECT_EQ(player->describe().find("unsaved changes"), std::string::npos) << player->describe();
    EXPECT_TRUE(fs::is_symlink(source.file("tracks/kelvandrix.tracks"))) << "the link was replaced by a file";
    EXPECT_TRUE(readFile(source.file("shared/kelvandrix.tracks")) == player->getTimeline()->getDocument().text())
        << "the link's file was not saved";
    for (const char* folder : {"shared", "tracks"})
        EXPECT_EQ(std::distance(fs::directory_iterator(source.file(folder)), fs::directory_iterator()), 1)
            << "a partial file was left in " << folder;
}

// The panel at bar 8: the playhead, red, stands on bar 8's line across the
// ruler, and the grey lines of bars 9 and 10 follow a bar's width apart.
TEST_F(DevPlayerTest, ThePanelsPlayheadStandsOverTheBarOfTheMusicTime)
{
    start();
    ASSERT_TRUE(player->Execute("pause"));
    ASSERT_TRUE(player->Execute("readout"));
    ASSERT_TRUE(player->Execute("seek-bar 8"));
    ASSERT_TRUE(player->Execute("timeline"));
    frames(2);
    const TimelinePanel& panel = player->getTimelinePanel();
    frames(1);
    // Near the ruler's top, above its beat ticks; GL counts rows from the bottom.
    const int y = kHeight - 1 - static_cast<int>(panel.getRulerTop()) - 4;
    const auto rowOfPixels = [&] {
        EXPECT_TRUE(player->DrawFrame());
        const std::vector<std::uint8_t> frame = readPixels(kWidth, kHeight);
        player->Present();
        std::vector<glm::u8vec4> row;
        for (int x = 0; x < kWidth; ++x)
            row.emplace_back(frame[static_cast<size_t>((y * kWidth + x) * 4)],
                             frame[static_cast<size_t>((y * kWidth + x) * 4 + 1)],
                             frame[static_cast<size_t>((y * kWidth + x) * 4 + 2)], 255);
        return row;
    };
    const auto red = [](const glm::u8vec4& pixel) { return pixel.x > 200 && pixel.y < 80 && pixel.z < 80; };
    const std::vector<glm::u8vec4> pixels = rowOfPixels();
    const int playX = static_cast<int>(std::floor(panel.xOfRow(8 * 32)));
    EXPECT_TRUE(red(pixels[playX]) || red(pixels[playX + 1])) << "at x " << playX;
    EXPECT_LE(std::count_if(pixels.begin(), pixels.end(), red), 3) << "one playhead";
    // Bar lines are lighter than the lane between them.
    for (int bar : {9, 10}) {
        const int x = static_cast<int>(std::floor(panel.xOfRow(bar * 32.0)));
        const int between = static_cast<int>(std::floor(panel.xOfRow(bar * 32.0 + 20.0)));
        EXPECT_GT(std::max(pixels[x].x, pixels[x + 1].x), pixels[between].x + 10) << "bar " << bar;
    }
    ASSERT_TRUE(player->Execute("timeline"));
    EXPECT_FALSE(red(rowOfPixels()[playX])) << "hidden, the picture shows";
}

// The lanes as the sync player plays them, read back from the frame: on the
// top lane a key of each kind between held values of 0 and 1. A held value
// runs flat to the next key, larger values stand higher, and the eased kinds
// curve as they play.
TEST_F(DevPlayerTest, EachKindOfKeyIsDrawnAsItPlays)
{
    constexpr int width = 640;
    constexpr int height = 480;
    source.write("tracks/kelvandrix.tracks", "track bg_v\n0:0:0 0 step\n1:0:0 1 step\n2:0:0 1 linear\n"
                                             "3:0:0 0 smooth\n4:0:0 1 ramp\n5:0:0 0 step\ntrack part\n0:0:0 1 step\n");
    start(width, height);
    for (const char* command : {"pause", "seek-bar 8", "timeline"})
        ASSERT_TRUE(player->Execute(command)) << command;
    TimelinePanel& panel = player->getTimelinePanel();
    panel.showRows(-8.0, 176.0); // the playhead, at bar 8, out of the way
    frames(2);
    ASSERT_TRUE(player->DrawFrame());
    const std::vector<std::uint8_t> frame = readPixels(width, height);
    player->Present();

    // In the panel's pixels, rows from the top.
    const auto pixel = [&](int x, int y) { return &frame[static_cast<size_t>(((height - 1 - y) * width + x) * 4)]; };
    const auto white = [&](int x, int y) { return pixel(x, y)[0] > 240 && pixel(x, y)[1] > 240 && pixel(x, y)[2] > 240; };
    const auto onCurve = [&](int x, int y) { return pixel(x, y)[0] < 160 && pixel(x, y)[1] > 150 && pixel(x, y)[2] > 200; };
    const int lanesTop = static_cast<int>(panel.getRulerTop() + TimelinePanel::kRulerHeight);
    // The centre of the first key square down a key's column: the top lane's.
    const auto keyHeight = [&](int32_t row) {
        const int x = static_cast<int>(std::floor(panel.xOfRow(row)));
        int y = lanesTop;
        while (y < height && !white(x, y))
            ++y;
        int end = y;
        while (end < height && white(x, end))
            ++end;
        return (y + end) / 2.0;
    };
    const double zero = keyHeight(0);
    const double one = keyHeight(32);
    ASSERT_LT(one, zero - 20.0) << "the key of value 1 does not stand above the key of value 0";

    const Timeline& timeline = *player->getTimeline();
    const double rowWidth = panel.xOfRow(1.0) - panel.xOfRow(0.0);
    for (int x = static_cast<int>(panel.xOfRow(0.0)); x < static_cast<int>(panel.xOfRow(160.0)); ++x) {
        const double row = (x + 0.5 - panel.xOfRow(0.0)) / rowWidth;
        // Past the keys' squares and the jumps at them.
        if (std::abs(row - 32.0 * std::round(row / 32.0)) * rowWidth < 6.0)
            continue;
        const double expected = zero + (one - zero) * timeline.valueAt(0, row);
        int first = -1;
        int last = -1;
        for (int y = lanesTop; y < zero + 4.0; ++y)
            if (onCurve(x, y)) {
                first = first < 0 ? y : first;
                last = y;
            }
        EXPECT_TRUE(first >= 0 && expected > first + 0.5 - 1.5 && expected < last + 0.5 + 1.5)
            << "at row " << row << " the curve should pass y " << expected << ", it covers " << first << " to "
            << last;
    }
}

// The panel's edits of a selection: a drag stops short of the keys that
// stay and of the tune's ends, is one undo step, and moves values with the
// rows; the kind cycles, and copies paste at a row.
TEST_F(DevPlayerTest, TheSelectionDragsWithinItsNeighboursAsOneStep)
{
    start();
    Timeline& timeline = *player->getTimeline();
    const int part = timeline.getDocument().findTrack("part");
    const auto rows = [&] {
        std::vector<int32_t> found;
        for (const sync_key& key : timeline.getDocument().tracks()[static_cast<size_t>(part)].keys)
            found.push_back(key.row);
        return found;
    };
    const struct {
        std::set<Timeline::KeyRef> selected;
        int32_t drag;
        std::vector<int32_t> rows;
    } drags[] = {
        {{{part, 64}}, 100, {0, 127, 128}},
        {{{part, 64}}, -100, {0, 1, 128}},
        {{{part, 64}, {part, 128}}, 5, {0, 69, 133}},
        {{{part, 64}, {part, 128}}, 1000000, {0, timeline.lastRow() - 64, timeline.lastRow()}},
        {{{part, 0}, {part, 64}, {part, 128}}, -3, {0, 64, 128}},
    };
    for (const auto& drag : drags) {
        timeline.getSelection() = drag.selected;
        timeline.beginDrag();
        timeline.dragTo(drag.drag / 2, 0.0f);
        timeline.dragTo(drag.drag, 0.0f);
        timeline.endDrag();
        EXPECT_EQ(rows(), drag.rows) << "drag by " << drag.drag;
        EXPECT_EQ(trackValue(audio(), "part", drag.rows[1]), 3.0) << "the tracks follow";
        timeline.undo(); // nothing to undo where nothing could move
        EXPECT_EQ(rows(), (std::vector<int32_t>{0, 64, 128})) << "one step undoes the drag by " << drag.drag;
    }

    // A drag in value, then the kind of two keys cycled, in one step each.
    timeline.getSelection() = {{part, 64}, {part, 128}};
    timeline.beginDrag();
    timeline.dragTo(0, 0.5f);
    timeline.endDrag();
    EXPECT_EQ(trackValue(audio(), "part", 64), 3.5);
    EXPECT_EQ(trackValue(audio(), "part", 128), 9.5);
    timeline.cycleKindOfSelection();
    EXPECT_EQ(timeline.getDocument().findKey(part, 64)->kind, SYNC_KEY_LINEAR);
    EXPECT_EQ(trackValue(audio(), "part", 96), 6.5) << "linear from 3.5 to 9.5";
    ASSERT_TRUE(timeline.undo());
    EXPECT_EQ(trackValue(audio(), "part", 96), 3.5);

    timeline.getSelection() = {{part, 64}, {part, 128}};
    timeline.copySelection();
    timeline.paste(160);
    EXPECT_EQ(rows(), (std::vector<int32_t>{0, 64, 128, 160, 224}));
    EXPECT_EQ(trackValue(audio(), "part", 224), 9.5);
    EXPECT_EQ(timeline.getSelection(), (std::set<Timeline::KeyRef>{{part, 160}, {part, 224}}));
    timeline.deleteSelection();
    EXPECT_EQ(rows(), (std::vector<int32_t>{0, 64, 128}));
}

} // namespace
