#pragma once

#include "bassFrameSource.h"
#include "bassSharedAnchor.h"
#include "bassTimeFilter.h"

#include <atomic>
#include <cstdint>
#include <memory>

class bassDecodedTrack;
class bassOutput;

// One music stream: the player state that the interface changes, and the
// render side that the output thread runs.
//
// The two sides share no lock. The interface hands its commands (play or
// pause from a frame on) to the output in one atomic word; the output answers
// with anchors (bassSharedAnchor) saying which frames it handed out and when
// they are heard. The heard position is interpolated from the latest anchor
// at the moment it is asked for, so it runs smoothly between pulls.
//
// Every method except render() must be called by one thread at a time.
class bassStream final : public bassFrameSource {
public:
    enum class State { Stopped, Playing, Stalled, Paused };
    // Where the stream's music goes: the sound device, a silent real-time
    // output, or nowhere (a decode-only stream, read with read()).
    enum class Output { Device, Silent, None };

    bassStream(std::unique_ptr<bassDecodedTrack> track, Output output);
    ~bassStream();

    bassStream(const bassStream&) = delete;
    bassStream& operator=(const bassStream&) = delete;

    int rate() const;
    int frameBytes() const;
    int64_t length() const;
    uint32_t type() const;
    int channels() const;
    bool decodeOnly() const;

    // Both false for a decode-only stream.
    bool play(bool restart);
    bool pause();
    // False, changing nothing, past the end.
    bool seek(int64_t frame);
    int64_t position();
    State state();
    // Peak of each channel over the last 20 ms heard, 0 to 32768.
    void level(int& left, int& right);
    // Decode-only streams: up to `frames` frames from the position on, which
    // advances by what was read; -1 at the end.
    int64_t read(int16_t* out, int64_t frames);

    void render(int16_t* out, int frames, double heardAt) override;
    Course course() override;
    const int16_t* wholeMusic(int64_t& frames) override;
    void heardFrom(uint64_t command, int64_t frame, double heardAt) override;

private:
    struct Heard {
        double frame;
        State state;
    };

    Heard observe();
    Heard playingPosition();
    void issue(int64_t frame, bool playing);

    std::unique_ptr<bassDecodedTrack> track;
    bool decoding;

    // The interface's side.
    State playerState = State::Stopped;
    int64_t startFrame = 0;  // where the last command put the position
    double lastHeard = 0.0;  // never report less while playing
    uint64_t generation = 0;
    uint64_t issued = 0;     // the last command word sent
    std::atomic<uint64_t> command{0};

    // The output's side.
    uint64_t applied = 0;
    uint64_t anchoredCommand = 0; // the command of the last anchor published
    int64_t cursor = 0;
    bool rendering = false;
    bassTimeFilter pullTimes;
    bassSharedAnchor anchor;

    // Last member: it goes first, so nothing pulls from a half-destroyed stream.
    std::unique_ptr<bassOutput> output;
};
