#include "partMoments.h"

#include "sync.h"
#include "testFiles.h"

#include <memory>

namespace {

constexpr double kRowsPerSecond = 127.0 / 60.0 * 8.0;
constexpr int kRowsOfTune = 64 * 4 * 8;

struct Span {
    double firstRow = -1.0;
    double endRow = -1.0;
};

Span rowsOfPart(const sync_track* partTrack, int part)
{
    Span span;
    for (int row = 0; row < kRowsOfTune; ++row) {
        if (static_cast<int>(sync_get_val(partTrack, row)) != part)
            continue;
        if (span.firstRow < 0.0)
            span.firstRow = row;
        span.endRow = row + 1;
    }
    return span;
}

} // namespace

std::vector<PassUniforms> momentsOfPart(int part, int count, int width, int height)
{
    const testing_support::WorkingDir into(testing_support::runDir());
    const std::unique_ptr<sync_player, void (*)(sync_player*)> player(sync_create_device("kelvandrix_sync"),
                                                                      sync_destroy_device);
    if (!player)
        return {};
    const Span span = rowsOfPart(sync_get_track(player.get(), "part"), part);
    if (span.firstRow < 0.0)
        return {};
    const sync_track* tracks[] = {sync_get_track(player.get(), "shader_A"), sync_get_track(player.get(), "shader_B"),
                                  sync_get_track(player.get(), "shader_C"), sync_get_track(player.get(), "shader_D")};
    std::vector<PassUniforms> moments;
    for (int i = 0; i < count; ++i) {
        const double row = span.firstRow + (span.endRow - span.firstRow) * (i + 0.5) / count;
        PassUniforms values;
        values.width = static_cast<float>(width);
        values.height = static_cast<float>(height);
        values.time = static_cast<float>(row / kRowsPerSecond);
        values.syncA = static_cast<float>(sync_get_val(tracks[0], row));
        values.syncB = static_cast<float>(sync_get_val(tracks[1], row));
        values.syncC = static_cast<float>(sync_get_val(tracks[2], row));
        values.syncD = static_cast<float>(sync_get_val(tracks[3], row));
        moments.push_back(values);
    }
    return moments;
}
