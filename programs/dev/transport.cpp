#include "transport.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroTimer.h"

#include "sync.h"

#include <algorithm>
#include <cmath>

namespace {

// The tunes play at this rate; a seek lands on one of its samples.
constexpr double kSampleRate = 44100.0;
// Half a row: a part change counts as passed once the row is this far on.
constexpr double kChangeSlack = 0.5;

int barOf(double row)
{
    return static_cast<int>(std::floor(row / Transport::kRowsPerBar));
}

} // namespace

Transport::Transport(vroEngine& engine) : engine(engine)
{
}

void Transport::BeginFrame()
{
    vroAudio& audio = *engine.audio;
    const bool playing = audio.IsOK();
    row = audio.getRow();
    // The music may end a hair before its last bar does: a loop over that
    // bar wraps there. A loop wholly past the end (a shorter tune swapped in)
    // lets the music end.
    const double musicEnd = audio.GetLength() * kakRowRate;
    const bool looping = loopEndBar && !paused && *loopStartBar * kRowsPerBar < musicEnd;
    const double loopEnd = looping ? std::min<double>(*loopEndBar * kRowsPerBar, musicEnd) : 0.0;
    if (looping && (row >= loopEnd || !playing)) {
        // The time overshot past the end carries over, so the wrap has no gap.
        const double over = std::fmod(std::max(row - loopEnd, 0.0), (*loopEndBar - *loopStartBar) * kRowsPerBar);
        SeekRow(*loopStartBar * kRowsPerBar + over);
        return;
    }
    if (!playing && !ended) {
        // Parked on the last sample, every frame reads the same row.
        ended = true;
        paused = true;
        audio.SeekTo(audio.GetLength());
        engine.timer->Hold(audio.GetLength());
        audio.IsOK();
        row = audio.getRow();
    }
}

void Transport::TogglePause()
{
    if (ended)
        return;
    vroAudio& audio = *engine.audio;
    paused = !paused;
    if (paused) {
        audio.Pause();
        engine.timer->Hold(audio.GetPosition());
    } else {
        audio.Play();
        engine.timer->Release();
        rebaseClock();
    }
}

void Transport::StepBeats(int beats)
{
    SeekRow((std::floor(row / kRowsPerBeat + 1e-6) + beats) * kRowsPerBeat);
}

void Transport::StepBars(int bars)
{
    SeekRow((std::floor(row / kRowsPerBar + 1e-6) + bars) * kRowsPerBar);
}

void Transport::StepPart(int direction)
{
    const sync_track* part = engine.audio->getSyncTrack("part");
    if (!part)
        return;
    std::optional<int> target;
    for (int32_t i = 0; i < part->key_count; ++i) {
        const sync_key& key = part->keys[i];
        const bool isChange = i == 0 || key.value != part->keys[i - 1].value;
        if (!isChange)
            continue;
        if (direction > 0 && key.row > row + kChangeSlack) {
            target = key.row;
            break;
        }
        if (direction < 0 && key.row < row - kChangeSlack)
            target = key.row;
    }
    if (target)
        SeekRow(*target);
}

void Transport::Home()
{
    SeekRow(0.0);
}

void Transport::SeekSeconds(double seconds)
{
    const double length = engine.audio->GetLength();
    seekTo(std::fmin(std::fmax(seconds, 0.0), length));
}

void Transport::SeekRow(double target)
{
    SeekSeconds(secondsOfRow(target));
}

// The first sample at or after the row, so that the row read back is never
// a hair short of it and a step key at that row already holds.
double Transport::secondsOfRow(double target) const
{
    if (target <= 0.0 || kakRowRate <= 0.0)
        return 0.0;
    double sample = std::ceil(target / kakRowRate * kSampleRate);
    if (sample / kSampleRate * kakRowRate < target)
        sample += 1.0;
    return sample / kSampleRate;
}

void Transport::seekTo(double seconds)
{
    vroAudio& audio = *engine.audio;
    if (ended && seconds < audio.GetLength()) {
        ended = false;
        paused = false;
        engine.timer->Release();
    }
    audio.SeekTo(seconds);
    if (ended || paused) {
        engine.timer->Hold(seconds);
    } else {
        audio.Play();
        rebaseClock();
    }
    audio.IsOK();
    row = audio.getRow();
}

void Transport::rebaseClock()
{
    engine.timer->update(engine.audio.get());
}

void Transport::MarkLoop()
{
    const int bar = barOf(row + 1e-6);
    if (!loopStartBar) {
        loopStartBar = bar;
    } else if (!loopEndBar) {
        // Marked backwards, the loop still spans both bars.
        loopEndBar = std::max(bar, *loopStartBar) + 1;
        loopStartBar = std::min(bar, *loopStartBar);
    } else {
        loopStartBar.reset();
        loopEndBar.reset();
    }
}

std::optional<int> Transport::getLoopStartBar() const
{
    return loopStartBar;
}

std::optional<int> Transport::getLoopEndBar() const
{
    return loopEndBar;
}
