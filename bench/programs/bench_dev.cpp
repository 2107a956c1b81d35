// The development player at 1280x720 in the cubes part, paused:
//  1. from the save of rm_cubescape.fs (at a random moment between frames,
//     from another thread, as an editor would) to the end of the first frame
//     drawn with the rebuilt program, over 20 saves;
//  2. the main thread's CPU per frame of the player (watching, commands,
//     transport, read-out, GPU timer) against the production's frame alone,
//     frames of both kinds taken in turn in one run;
//  3. the CPU per frame the timeline panel adds (frames with and without it
//     in turn), with the production's tracks and with 10 tracks of 2,000
//     keys, in the default view and with the whole tune in view;
//  4. from a key-set command to the end of the first frame that reads it.
// Run from the run folder on a display:
//   scripts/with-display sh -c 'cd build/test/run && ../bench/programs/bench_dev [timeline]'
// ("timeline": 3 and 4 only).
#include "devPlayer.h"
#include "timeline.h"
#include "timelinePanel.h"

#include "vroProduction.h"
#include "vroAudio.h"
#include "vroImGuiLayer.h"

#include "vroEngine.h"
#include "vroShaderManager.h"
#include "vroShaderProgram.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include <epoxy/gl.h>
#include <imgui.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSaves = 20;
constexpr int kCostFrames = 40;

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

double mean(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// A copy of the production folder's shaders and tracks, so that saving changes
// nothing of the repository.
fs::path copySource()
{
    const fs::path folder = fs::temp_directory_path() / ("kelvandrix-bench-dev-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* part : {"shaders", "tracks"})
        fs::copy(fs::path(vroProductionDeclaration().sourceFolder) / part, folder / part, fs::copy_options::recursive);
    return folder;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void saveLatency(DevPlayer& player, const fs::path& shader)
{
    const std::string original = readFile(shader);
    vroShaderManager& shaders = *player.getShow().getEngine().shaderManager;
    std::mt19937 random(7);
    std::vector<double> latencies, frames;
    std::printf("save  latency ms  frames drawn  last frame ms (rebuild and draw)\n");
    for (int save = 0; save < kSaves; ++save) {
        const GLuint before = shaders.getShader("cubescape")->id;
        Clock::time_point saved{};
        std::thread editor([&, delay = std::uniform_int_distribution<int>(0, 100)(random)] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            std::ofstream(shader, std::ios::binary) << original << "// save " << save << "\n";
            saved = Clock::now();
        });
        int drawn = 0;
        for (bool rebuilt = false; !rebuilt; ++drawn) {
            const Clock::time_point start = Clock::now();
            player.DrawFrame();
            glFinish();
            const Clock::time_point end = Clock::now();
            player.Present();
            rebuilt = shaders.getShader("cubescape")->id != before;
            if (rebuilt) {
                editor.join();
                latencies.push_back(milliseconds(end - saved));
                frames.push_back(milliseconds(end - start));
            }
        }
        std::printf("%4d  %10.1f  %12d  %13.1f\n", save + 1, latencies.back(), drawn, frames.back());
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("\nsave to first new frame over %d saves: median %.1f ms, max %.1f ms (target < 300 ms)\n\n", kSaves,
                latencies[latencies.size() / 2], latencies.back());
}

void frameCost(DevPlayer& player)
{
    vroShow& production = player.getShow();
    vroEngine& engine = production.getEngine();
    std::vector<double> plainCpu, devCpu, plainFrame;
    for (int i = 0; i < kCostFrames + 2; ++i) {
        const Clock::time_point start = Clock::now();
        double cpuStart = threadMilliseconds();
        engine.IsRunning();
        production.RunFrame();
        const double plain = threadMilliseconds() - cpuStart;
        glFinish();
        engine.Update();
        const double frame = milliseconds(Clock::now() - start);

        cpuStart = threadMilliseconds();
        player.DrawFrame();
        const double dev = threadMilliseconds() - cpuStart;
        glFinish();
        player.Present();
        if (i >= 2) { // the first frames warm the driver's caches
            plainCpu.push_back(plain);
            devCpu.push_back(dev);
            plainFrame.push_back(frame);
        }
    }
    const double added = mean(devCpu) - mean(plainCpu);
    std::printf("mean over %d frames of each kind       ms\n", kCostFrames);
    std::printf("%-34s %12.3f\n", "production frame, CPU", mean(plainCpu));
    std::printf("%-34s %12.3f\n", "dev player frame, CPU", mean(devCpu));
    std::printf("%-34s %12.3f\n", "added by watching and read-out", added);
    std::printf("%-34s %12.1f\n", "production frame, whole", mean(plainFrame));
    std::printf("%-34s %11.2f%% (target < 2 %%)\n", "added share of the frame", 100.0 * added / mean(plainFrame));
}

// The panel's widgets alone, then the frame with and without the panel:
// that adds ImGui's drawing, which a software renderer does on this thread.
void timelineCost(DevPlayer& player, const char* what)
{
    std::vector<double> with, without, widgets;
    vroImGuiLayer& layer = player.getImGuiLayer();
    for (int i = 0; i < kCostFrames; ++i) {
        layer.BeginFrame();
        const double cpuStart = threadMilliseconds();
        player.getTimelinePanel().Build();
        widgets.push_back(threadMilliseconds() - cpuStart);
        layer.Render();
    }
    const int vertices = ImGui::GetDrawData()->TotalVtxCount;
    for (int i = 0; i < kCostFrames + 2; ++i) {
        for (std::vector<double>* kind : {&with, &without}) {
            player.Execute("timeline");
            const double cpuStart = threadMilliseconds();
            player.DrawFrame();
            const double cpu = threadMilliseconds() - cpuStart;
            glFinish();
            player.Present();
            if (i >= 2)
                kind->push_back(cpu);
        }
    }
    std::printf("%-52s widgets %.3f ms, with drawing %.3f ms (target < 1 ms), %d vertices\n", what,
                mean(widgets), mean(with) - mean(without), vertices);
}

void editToFrame(DevPlayer& player)
{
    std::vector<double> latencies, edits;
    vroAudio& audio = *player.getShow().getEngine().audio;
    player.DrawFrame();
    player.Present();
    for (int edit = 0; edit < kSaves; ++edit) {
        const float value = edit % 2 ? 0.25f : 0.75f;
        const Clock::time_point start = Clock::now();
        player.Execute("key-set shader_D 14:0:0 " + std::to_string(value));
        edits.push_back(milliseconds(Clock::now() - start));
        player.DrawFrame();
        glFinish();
        latencies.push_back(milliseconds(Clock::now() - start));
        player.Present();
        if (audio.getSyncValue("shader_D") != value)
            std::printf("edit %d: the frame read %g, not %g\n", edit, audio.getSyncValue("shader_D"), value);
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(edits.begin(), edits.end());
    std::printf("key-set to the end of the frame showing it (the first frame after it) over %d edits:\n"
                "  median %.1f ms, max %.1f ms; of which the edit itself: median %.3f ms\n",
                kSaves, latencies[latencies.size() / 2], latencies.back(), edits[edits.size() / 2]);
}

// Ten tracks named as the production's, of 2,000 keys each over the tune.
std::string manyKeys()
{
    std::string text;
    for (const char* name : {"part", "bigtext_index", "greets_index", "bg_h", "bg_s", "bg_v", "shader_A", "shader_B",
                             "shader_C", "shader_D"}) {
        text += std::string("track ") + name + "\n";
        for (int key = 0; key < 2000; ++key)
            text += std::to_string(key) + " " + std::to_string(key % 7 * 0.125) + (key % 2 ? " linear\n" : " smooth\n");
    }
    return text;
}

// Paused in the cubes part, playing the copied source folder.
std::unique_ptr<DevPlayer> pausedPlayer(const fs::path& source)
{
    const vroDeclaration& declaration = vroProductionDeclaration();
    DevOptions options;
    options.width = declaration.width;
    options.height = declaration.height;
    options.sourceDir = source.string();
    auto player = std::make_unique<DevPlayer>(options, declaration, vroCreateProduction);
    player->Execute("pause");
    player->Execute("seek-bar 14");
    return player;
}

void timelineFigures(const fs::path& source)
{
    {
        const std::unique_ptr<DevPlayer> player = pausedPlayer(source);
        timelineCost(*player, "timeline panel, the production's tracks");
        editToFrame(*player);
    }
    std::ofstream(source / "tracks" / "kelvandrix.tracks", std::ios::binary) << manyKeys();
    const std::unique_ptr<DevPlayer> player = pausedPlayer(source);
    timelineCost(*player, "timeline panel, 10 tracks of 2,000 keys");
    player->getTimelinePanel().showRows(0.0, player->getTimeline()->lastRow());
    timelineCost(*player, "timeline panel, 10 tracks of 2,000 keys, whole tune");
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path source = copySource();
    if (argc < 2 || std::string(argv[1]) != "timeline") {
        const std::unique_ptr<DevPlayer> player = pausedPlayer(source);
        saveLatency(*player, source / "shaders" / "rm_cubescape.fs");
        frameCost(*player);
    }
    timelineFigures(source);
    fs::remove_all(source);
    return 0;
}
