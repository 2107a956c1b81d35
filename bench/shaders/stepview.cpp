// Step view of the ray-marched scenes: each scene's shader built with
// KELVANDRIX_STEPVIEW writes the number of march steps of every pixel, which
// this tool reads back at 1280x720 for moments spread over the scene's part,
// for today's shader and the baseline kept beside the benchmarks. It prints
// the mean steps, the mean of the most steps in each block of 4x2 pixels
// (what software GL pays), the share of pixels that used up every step and
// the mean steps per horizontal band of the screen (top to bottom), and writes heat maps (black = 0,
// white = the step limit) of the middle moment.
// Run from anywhere on a display:
//   scripts/with-display build/test/bench/shaders/stepview [--moments N] [--out DIR]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "offscreenTarget.h"
#include "partMoments.h"
#include "shaderPass.h"
#include "testFiles.h"
#include "vroWindow.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kBands = 6;
constexpr int kMaxSteps = 64; // the shaders' own limit

struct Scene {
    const char* name;
    int part;
    const char* file;
};
const Scene kScenes[] = {{"cubes", 1, "rm_cubescape.fs"}, {"pyramids", 3, "rm_pyramidgrid.fs"}};

struct Options {
    int moments = 5;
    std::filesystem::path out = ".";
};

void printHelp()
{
    std::printf("usage: stepview [--moments N] [--out DIR]\n"
                "  --moments N  moments spread over each ray-marched part, 1..100 (default 5)\n"
                "  --out DIR    folder for the heat maps stepview-<scene>-<version>.png (default: .)\n"
                "  --help       this text\n");
}

// 0 ok, 1 help shown, 2 bad usage.
int parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            printHelp();
            return 1;
        }
        if (i + 1 >= argc || (arg != "--moments" && arg != "--out")) {
            std::fprintf(stderr, "stepview: bad option \"%s\" (see --help)\n", arg.c_str());
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--out") {
            options.out = value;
            continue;
        }
        char* end = nullptr;
        const long moments = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || moments < 1 || moments > 100) {
            std::fprintf(stderr, "stepview: --moments wants a whole number from 1 to 100, not \"%s\"\n", value.c_str());
            return 2;
        }
        options.moments = static_cast<int>(moments);
    }
    return 0;
}

// The shader with the step-view switch turned on, as a file of its own.
std::filesystem::path stepViewSource(const testing_support::TempDir& temp, const std::filesystem::path& source,
                                     const std::string& name)
{
    std::string text = testing_support::readFile(source);
    const size_t lineEnd = text.find('\n');
    text.insert(lineEnd == std::string::npos ? text.size() : lineEnd + 1, "#define KELVANDRIX_STEPVIEW\n");
    temp.write(name, text);
    return temp.file(name);
}

struct StepCounts {
    double bandMean[kBands] = {};
    double mean = 0.0;
    double groupMean = 0.0; // of the most steps in each 4x2 block of pixels
    double exhausted = 0.0; // share of pixels at the step limit
    std::vector<std::uint8_t> heatMap; // rows from the top, RGBA
};

// Software GL (llvmpipe) shades eight pixels together (taken here as 4x2)
// and loops as long as any of them needs: its cost follows the most steps in
// each block.
double meanOfBlockMaxima(const std::vector<std::uint8_t>& pixels)
{
    double sum = 0.0;
    for (int y = 0; y < kHeight; y += 2)
        for (int x = 0; x < kWidth; x += 4) {
            int most = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 4; ++dx)
                    most = std::max<int>(most, pixels[(static_cast<std::size_t>(y + dy) * kWidth + x + dx) * 4]);
            sum += most;
        }
    return sum / (kWidth / 4 * (kHeight / 2));
}

void addFrame(const std::vector<std::uint8_t>& pixels, StepCounts& counts, bool keepHeatMap)
{
    counts.groupMean += meanOfBlockMaxima(pixels);
    if (keepHeatMap)
        counts.heatMap.assign(pixels.size(), 255);
    for (int y = 0; y < kHeight; ++y) {
        const int fromTop = kHeight - 1 - y;
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * kWidth + x) * 4;
            const int steps = pixels[i];
            counts.bandMean[fromTop * kBands / kHeight] += steps;
            counts.mean += steps;
            counts.exhausted += steps >= kMaxSteps ? 1.0 : 0.0;
            if (keepHeatMap) {
                const std::size_t o = (static_cast<std::size_t>(fromTop) * kWidth + x) * 4;
                const auto level = static_cast<std::uint8_t>(std::min(255, steps * 255 / kMaxSteps));
                counts.heatMap[o] = level;
                counts.heatMap[o + 1] = steps >= kMaxSteps ? 0 : level;
                counts.heatMap[o + 2] = steps >= kMaxSteps ? 0 : level;
            }
        }
    }
}

void finish(StepCounts& counts, int frames)
{
    const double pixels = static_cast<double>(kWidth) * kHeight * frames;
    for (double& band : counts.bandMean)
        band /= pixels / kBands;
    counts.mean /= pixels;
    counts.groupMean /= frames;
    counts.exhausted /= pixels;
}

bool measure(const ShaderPass& pass, const std::vector<PassUniforms>& moments, OffscreenTarget& target,
             StepCounts& counts)
{
    if (!pass.isLinked()) {
        std::fprintf(stderr, "stepview: cannot build the step view: %s\n", pass.log().c_str());
        return false;
    }
    for (std::size_t m = 0; m < moments.size(); ++m) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        pass.draw(moments[m]);
        addFrame(target.pixels(), counts, m == moments.size() / 2);
    }
    finish(counts, static_cast<int>(moments.size()));
    return true;
}

void printRow(const char* scene, const char* version, const StepCounts& counts)
{
    std::printf("%-9s %-9s %6.1f %7.1f %7.2f%%", scene, version, counts.mean, counts.groupMean, 100.0 * counts.exhausted);
    for (double band : counts.bandMean)
        std::printf(" %6.1f", band);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const int status = parseOptions(argc, argv, options))
        return status == 1 ? 0 : 2;

    vroWindow window(160, 90, "kelvandrix step view", false);
    OffscreenTarget target(kWidth, kHeight);
    target.bind();
    const testing_support::TempDir temp;
    const std::filesystem::path sources[] = {KELVANDRIX_BASELINE_SHADER_DIR, KELVANDRIX_SHADER_DIR};
    const char* const versions[] = {"baseline", "new"};

    std::printf("march steps at %dx%d, %d moments per part; bands top to bottom\n", kWidth, kHeight, options.moments);
    std::printf("%-9s %-9s %6s %7s %8s", "scene", "shaders", "mean", "4x2 max", "at limit");
    for (int band = 1; band <= kBands; ++band)
        std::printf(" %5s%d", "band", band);
    std::printf("\n");
    bool ok = true;
    for (const Scene& scene : kScenes) {
        const auto moments = momentsOfPart(scene.part, options.moments, kWidth, kHeight);
        if (moments.empty()) {
            std::fprintf(stderr, "stepview: no sync tracks for part %d in %s\n", scene.part, testing_support::runDir().c_str());
            return 1;
        }
        for (int v = 0; v < 2; ++v) {
            const std::string name = std::string(versions[v]) + "-" + scene.file;
            const ShaderPass pass(std::filesystem::path(KELVANDRIX_SHADER_DIR) / "noTransform.vs", stepViewSource(temp, sources[v] / scene.file, name));
            StepCounts counts;
            if (!measure(pass, moments, target, counts)) {
                ok = false;
                continue;
            }
            printRow(scene.name, versions[v], counts);
            const auto png = options.out / ("stepview-" + std::string(scene.name) + "-" + versions[v] + ".png");
            if (!testing_support::writePng(png, counts.heatMap.data(), kWidth, kHeight)) {
                std::fprintf(stderr, "stepview: cannot write \"%s\"\n", png.c_str());
                ok = false;
            }
        }
    }
    target.unbind();
    return ok ? 0 : 1;
}
