// Time to open a 3-minute MP3 until its exact length is known, against the
// alternative of decoding the whole file before the stream exists (baseline,
// plain libmpg123 into memory). Target: under 50 ms. Then what playing at
// once and a first seek 2.5 minutes ahead while playing cost: both return
// only when the music from the position on is decoded.

#include "bass.h"
#include "benchMusic.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct LayerTimes {
    double open;
    double play;
    double seekAhead;
};

LayerTimes openWithTheLayer(const std::string& path)
{
    LayerTimes times{};
    double start = steadySeconds();
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    times.open = steadySeconds() - start;
    if (stream == 0 || length == ~QWORD{0}) {
        std::fprintf(stderr, "bench: cannot open %s\n", path.c_str());
        std::exit(1);
    }
    start = steadySeconds();
    BASS_ChannelPlay(stream, FALSE);
    times.play = steadySeconds() - start;
    start = steadySeconds();
    BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 150.0), BASS_POS_BYTE);
    times.seekAhead = steadySeconds() - start;
    return times;
}

// Everything a stream would need before playing if it decoded the whole
// file at creation.
double decodeWholeFile(const std::string& path)
{
    const double start = steadySeconds();
    mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_open(decoder, path.c_str());
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    mpg123_getformat(decoder, &rate, &channels, &encoding);
    mpg123_format_none(decoder);
    mpg123_format(decoder, rate, channels, MPG123_ENC_SIGNED_16);
    mpg123_scan(decoder);
    std::vector<int16_t> pcm(static_cast<size_t>(mpg123_length(decoder)) * channels);
    size_t done = 0;
    size_t total = 0;
    while (total < pcm.size() * sizeof(int16_t) &&
           mpg123_read(decoder, reinterpret_cast<unsigned char*>(pcm.data()) + total,
                       pcm.size() * sizeof(int16_t) - total, &done) == MPG123_OK)
        total += done;
    mpg123_delete(decoder);
    return steadySeconds() - start;
}

void measure(const char* label, const std::string& path)
{
    std::vector<double> open;
    std::vector<double> play;
    std::vector<double> seek;
    std::vector<double> whole;
    for (int run = 0; run < kRuns; ++run) {
        BASS_Init(0, 44100, 0, nullptr, nullptr);
        const LayerTimes times = openWithTheLayer(path);
        open.push_back(times.open);
        play.push_back(times.play);
        seek.push_back(times.seekAhead);
        BASS_Free();
        whole.push_back(decodeWholeFile(path));
    }
    std::printf("| %-20s | %8.2f | %8.2f | %9.2f | %10.2f |\n", label, median(open) * 1e3, median(play) * 1e3,
                median(seek) * 1e3, median(whole) * 1e3);
}

} // namespace

int main()
{
    mpg123_init();
    benchFolder folder;
    std::printf("making 3-minute MP3s...\n");
    const std::string cbr = makeMusic(folder, "cbr320.mp3", 180.0, "-b 320");
    const std::string vbr = makeMusic(folder, "vbr2.mp3", 180.0, "-V 2");
    std::printf("medians of %d runs in ms; target for opening under 50 ms\n", kRuns);
    std::printf("| %-20s | %8s | %8s | %9s | %10s |\n", "file", "open", "play", "seek 150s", "baseline: decode all");
    measure("3 min, CBR 320 kbps", cbr);
    measure("3 min, VBR -V 2", vbr);
    return 0;
}
