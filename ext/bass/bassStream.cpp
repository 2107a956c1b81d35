#include "bassStream.h"

#include "bassDecodedTrack.h"
#include "bassOutput.h"
#include "bassSteadyClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// A command word: the frame to go to (40 bits, 290 days at 44.1 kHz), the
// playing flag and a generation count that tells repeated commands apart.
constexpr int kFrameBits = 40;
constexpr uint64_t kFrameMask = (uint64_t{1} << kFrameBits) - 1;
constexpr uint64_t kPlayingBit = uint64_t{1} << kFrameBits;
constexpr int kGenerationShift = kFrameBits + 1;

uint64_t commandWord(int64_t frame, bool playing, uint64_t generation)
{
    return (static_cast<uint64_t>(frame) & kFrameMask) | (playing ? kPlayingBit : 0) | (generation << kGenerationShift);
}

int64_t commandFrame(uint64_t word)
{
    return static_cast<int64_t>(word & kFrameMask);
}

bool commandPlays(uint64_t word)
{
    return (word & kPlayingBit) != 0;
}

// The level looks back this far from the heard position.
constexpr int kLevelWindowsPerSecond = 50;

// Music decoded from the position on before playing or seeking returns: the
// output never waits for the layer's own decoder, and the decoder keeps its
// lead from there on its own thread.
constexpr int kPrefillsPerSecond = 4;

} // namespace

bassStream::bassStream(std::unique_ptr<bassDecodedTrack> decoded, Output kind)
    : track(std::move(decoded))
    , decoding(kind == Output::None)
{
    issue(0, false);
    if (!decoding)
        output = bassOutput::open(kind == Output::Device, *this, track->rate(), track->channels());
}

bassStream::~bassStream()
{
    output.reset();
}

int bassStream::rate() const
{
    return track->rate();
}

int bassStream::frameBytes() const
{
    return static_cast<int>(sizeof(int16_t)) * track->channels();
}

int64_t bassStream::length() const
{
    return track->frames();
}

uint32_t bassStream::type() const
{
    return track->type();
}

int bassStream::channels() const
{
    return track->channels();
}

bool bassStream::decodeOnly() const
{
    return decoding;
}

void bassStream::issue(int64_t frame, bool playing)
{
    if (playing) {
        track->prepare(frame, rate() / kPrefillsPerSecond);
        // Decoding may have found the music shorter than announced.
        frame = std::min(frame, length());
    }
    startFrame = frame;
    lastHeard = static_cast<double>(frame);
    ++generation;
    issued = commandWord(frame, playing, generation);
    command.store(issued, std::memory_order_release);
    track->need(frame);
    if (output)
        output->sourceChanged();
}

bool bassStream::play(bool restart)
{
    if (decoding)
        return false;
    observe();
    if (restart)
        startFrame = 0;
    else if (playerState == State::Playing)
        return true;
    playerState = State::Playing;
    issue(startFrame, true);
    return true;
}

bool bassStream::pause()
{
    if (decoding)
        return false;
    const Heard heard = observe();
    if (heard.state != State::Playing && heard.state != State::Stalled)
        return false;
    playerState = State::Paused;
    issue(static_cast<int64_t>(heard.frame), false);
    return true;
}

bool bassStream::seek(int64_t frame)
{
    if (frame < 0 || frame > length())
        return false;
    track->prepare(frame, rate() / kPrefillsPerSecond);
    if (frame > length())
        return false;
    observe();
    issue(frame, playerState == State::Playing);
    return true;
}

int64_t bassStream::position()
{
    return static_cast<int64_t>(observe().frame);
}

bassStream::State bassStream::state()
{
    return observe().state;
}

bassStream::Heard bassStream::observe()
{
    if (decoding)
        return {static_cast<double>(startFrame), startFrame < length() ? State::Playing : State::Stopped};
    if (playerState != State::Playing)
        return {static_cast<double>(startFrame), playerState};
    return playingPosition();
}

bassStream::Heard bassStream::playingPosition()
{
    bassAnchor latest;
    if (!anchor.read(latest) || latest.command != issued) {
        // The output has not acted on the last command yet: nothing of it is
        // heard so far.
        return {lastHeard, State::Playing};
    }
    const double sinceAnchor = bassSteadyClock::now() - latest.time;
    const double reached = latest.frame + sinceAnchor / latest.period * latest.bufferFrames;
    // A late pull must not freeze the position, so it runs on past a full
    // buffer for one more, as far as the decoder has gone; it never runs
    // past music that was not handed out or cannot be.
    const double limit = latest.delivered == latest.bufferFrames
                             ? static_cast<double>(std::min(latest.frame + 2 * int64_t{latest.bufferFrames},
                                                            track->decodedFrames()))
                             : static_cast<double>(latest.frame + latest.delivered);
    const double total = static_cast<double>(length());
    lastHeard = std::max(lastHeard, std::min({reached, limit, total}));

    const bool endHandedOut = latest.frame + latest.delivered >= length();
    if (endHandedOut && lastHeard >= total) {
        playerState = State::Stopped;
        issue(length(), false);
        return {total, State::Stopped};
    }
    return {lastHeard, latest.stalled ? State::Stalled : State::Playing};
}

void bassStream::level(int& left, int& right)
{
    left = right = 0;
    const Heard heard = observe();
    if (decoding || heard.state != State::Playing)
        return;
    const int channels = track->channels();
    // The position may run a little ahead of the decoder; those frames are
    // not there yet.
    const int64_t end = std::min(static_cast<int64_t>(heard.frame), track->decodedFrames());
    const int64_t begin = std::max<int64_t>(0, end - rate() / kLevelWindowsPerSecond);
    const int16_t* samples = track->samples();
    for (int64_t frame = begin; frame < end; ++frame) {
        const int16_t* at = samples + frame * channels;
        left = std::max(left, std::abs(static_cast<int>(at[0])));
        right = std::max(right, std::abs(static_cast<int>(at[channels - 1])));
    }
}

int64_t bassStream::read(int16_t* out, int64_t frames)
{
    track->prepare(startFrame, frames);
    if (startFrame >= length())
        return -1;
    const int64_t count = std::min(frames, length() - startFrame);
    std::memcpy(out, track->samples() + startFrame * channels(), static_cast<size_t>(count) * frameBytes());
    startFrame += count;
    return count;
}

void bassStream::render(int16_t* out, int frames, double heardAt)
{
    const uint64_t word = command.load(std::memory_order_acquire);
    if (word != applied) {
        applied = word;
        cursor = commandFrame(word);
        rendering = commandPlays(word);
    }
    track->need(cursor);
    const bassTimeFilter::Estimate when = pullTimes.update(heardAt, static_cast<double>(frames) / rate());

    const int channels = track->channels();
    int64_t delivered = 0;
    bool stalled = false;
    if (rendering) {
        // Decoded frames first: the length read after them is at least as new.
        const int64_t ready = track->decodedFrames();
        const int64_t wanted = std::clamp<int64_t>(length() - cursor, 0, frames);
        delivered = std::clamp<int64_t>(ready - cursor, 0, wanted);
        std::memcpy(out, track->samples() + cursor * channels, static_cast<size_t>(delivered) * frameBytes());
        stalled = delivered < wanted;
    }
    std::memset(out + delivered * channels, 0, static_cast<size_t>(frames - delivered) * frameBytes());

    // Past the end a pull hands out only silence. The anchor that handed out
    // the last music stays the one the position runs from, so the end is
    // reached when that music is heard, however far ahead the output pulls.
    // A command's first pull is anchored all the same: it says the command
    // was acted on.
    const bool pastTheEnd = rendering && delivered == 0 && cursor >= length();
    if (pastTheEnd && anchoredCommand == applied)
        return;
    anchoredCommand = applied;
    bassAnchor handedOut;
    handedOut.command = applied;
    handedOut.frame = cursor;
    handedOut.time = when.start;
    handedOut.period = when.period;
    handedOut.bufferFrames = frames;
    handedOut.delivered = static_cast<int32_t>(delivered);
    handedOut.stalled = stalled;
    anchor.publish(handedOut);
    cursor += delivered;
}

bassFrameSource::Course bassStream::course()
{
    const uint64_t word = command.load(std::memory_order_acquire);
    return {word, commandFrame(word), commandPlays(word)};
}

const int16_t* bassStream::wholeMusic(int64_t& frames)
{
    track->prepare(0, length());
    frames = track->decodedFrames();
    return track->samples();
}

void bassStream::heardFrom(uint64_t word, int64_t frame, double heardAt)
{
    // One anchor for the rest of the music: as if it were one buffer handed
    // out whole, so the position runs from it to the end without another.
    const int64_t rest = std::max<int64_t>(length() - frame, 0);
    bassAnchor heard;
    heard.command = word;
    heard.frame = frame;
    heard.time = heardAt;
    heard.bufferFrames = static_cast<int32_t>(std::max<int64_t>(rest, 1));
    heard.period = static_cast<double>(heard.bufferFrames) / rate();
    heard.delivered = static_cast<int32_t>(rest);
    anchor.publish(heard);
}
