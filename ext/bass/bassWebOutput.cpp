#include "bassWebOutput.h"

#include "bassFrameSource.h"
#include "bassSteadyClock.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A start lies this far ahead of the audio clock, time enough for the
// command to reach Web Audio's own thread before it renders past it (its
// blocks reach 4096 frames, 93 ms at 44.1 kHz, with a playback latency).
constexpr double kStartSeconds = 0.1;
// How long a stream that plays waits for the context to run before the
// page's own clock takes over. Firefox opens its sound device in about a
// second; with none at all its context never runs.
constexpr double kWaitSeconds = 2.0;
// How often the clock is read. Browsers slow the timers of a hidden page to
// a second or more; the music plays on regardless.
constexpr double kTickMilliseconds = 20.0;
// A pairing that moved by more than this re-anchors the stream.
constexpr double kMoveSeconds = 0.001;

// The shared context, its players (one per output: a gain node, the music as
// an AudioBuffer once it plays, the source node playing it) and the music
// clock. A browser without Web Audio gets no context: its streams play on
// the page's clock from the start.
EM_JS(int, bass_web_open, (int rate, int channels, int audible), {
    var audio = Module['bassWebAudio'];
    if (!audio && typeof AudioContext === 'undefined')
        audio = Module['bassWebAudio'] = {context : null, players : {}, next : 1};
    if (!audio) {
        var context;
        try {
            context = new AudioContext({sampleRate : rate, latencyHint : 'playback'});
        } catch (e) {
            context = new AudioContext();
        }
        audio = Module['bassWebAudio'] = {
            context : context, players : {}, next : 1,
            // The browser's pairing of audio clock and performance.now(): on
            // probation until it has kept pace over a while, then held, or
            // dropped for good, or never asked for (Firefox, see
            // bass_web_clock); and currentTime's estimates of late (heard
            // minus context seconds), while the estimate is in use.
            clock : {
                stamp : navigator.userAgent.indexOf('Firefox/') >= 0 ? 'unasked' : 'probation',
                lastStamp : null,
                offsets : []
            }
        };
        var resume = function() {
            if (context.state === 'suspended')
                context.resume();
        };
        if (typeof document !== 'undefined') {
            ['pointerdown', 'keydown', 'touchend'].forEach(function(type) {
                document.addEventListener(type, resume, true);
            });
        }
    }
    var gain = null;
    if (audio.context) {
        gain = audio.context.createGain();
        gain.gain.value = audible ? 1 : 0;
        gain.connect(audio.context.destination);
    }
    var id = audio.next++;
    audio.players[id] = {gain : gain, channels : channels, rate : rate, buffer : null, node : null};
    return id;
});

// The music clock: 1 and, in out, the audio clock now and the offset of the
// steady clock (performance.now() in seconds) at which an audio-clock time
// is heard, while the context runs; 0 while it does not yet; -1 without
// Web Audio.
//
// currentTime is the end of the audio last rendered, heard after the output
// latency; read a moment after it moved it overstates the offset, so this
// estimate's least offset of the last quarter second is the one used.
//
// The browser's own pairing holds once it has kept pace with
// performance.now() over half a second, and for as long as its performance
// time stays within half a second of performance.now(): WebKit's ran at
// twice the rate, its first value a second off, and that one is dropped for
// good. On probation it is used already wherever it agrees with the estimate
// within kAgree: Chromium's is some 20 ms later than the estimate, and
// adopting it only once it held moved the music by that much, half a second
// in, or later on a loaded machine. For the same reason the context's first
// kFirstPairing seconds wait for it (Chromium pairs only after its first
// callbacks) rather than start the music on the estimate. It is exact at
// each reading and taken as read: a least offset kept a quarter second held
// Chromium's first few readings, some 10 ms off, and moved the music when
// they were let go. A pairing that falls behind for a while without
// drifting away is right: the audio stalled (Firefox's does when its thread
// gets no CPU in time), and what is heard stalls with it.
//
// Firefox is asked for neither its pairing nor its output latency. Its first
// reading of the stream's latency (which both are) is a call to its sound
// server made while holding its audio graph's lock, and now and then that
// call deadlocks with the audio callback, taking the page's thread with it
// for good: 4 pages of 35 in the tests here, none of 32 without either.
// There the output latency is left uncounted.
EM_JS(int, bass_web_clock, (double* out), {
    var kAgree = 0.05;
    var kFirstPairing = 0.25;
    var audio = Module['bassWebAudio'];
    var context = audio.context;
    if (!context)
        return -1;
    var clock = audio.clock;
    if (context.state !== 'running' || !(context.currentTime > 0)) {
        clock.lastStamp = null;
        return 0;
    }
    var now = performance.now() / 1000;
    var asked = clock.stamp !== 'unasked';
    var offset = now + ((asked && context.outputLatency) || context.baseLatency || 0) - context.currentTime;
    var paired = false;
    if (asked && clock.stamp !== 'fails' && context.getOutputTimestamp) {
        var stamp = context.getOutputTimestamp();
        var at = stamp.contextTime;
        var heard = stamp.performanceTime / 1000;
        var last = clock.lastStamp;
        var read = at > 0 && heard > 0;
        if (read && Math.abs(heard - now) > 0.5) {
            clock.stamp = 'fails';
            console.info("audio: the browser's output timestamp does not follow performance.now(); timing from currentTime");
        } else if (read && clock.stamp === 'probation' && (!last || at - last[0] >= 0.5)) {
            if (last && Math.abs((heard - last[1]) / (at - last[0]) - 1) < 0.05)
                clock.stamp = 'holds';
            clock.lastStamp = [ at, heard ];
        }
        if (read && (clock.stamp === 'holds' || clock.stamp === 'probation' && Math.abs(heard - at - offset) < kAgree)) {
            offset = heard - at;
            paired = true;
        } else if (!read && clock.stamp === 'probation' && context.currentTime < kFirstPairing) {
            return 0;
        }
    }
    // The estimates start afresh whenever the browser's pairing lets go.
    if (paired) {
        clock.offsets.length = 0;
    } else {
        clock.offsets.push([ now, offset ]);
        while (clock.offsets[0][0] < now - 0.25)
            clock.offsets.shift();
        offset = Math.min.apply(null, clock.offsets.map(function(entry) { return entry[1]; }));
    }
    HEAPF64[out >> 3] = context.currentTime;
    HEAPF64[(out >> 3) + 1] = offset;
    return 1;
});

// Asks a suspended context to run; browsers allow it after a gesture.
EM_JS(void, bass_web_resume, (), {
    var context = Module['bassWebAudio'].context;
    if (context && context.state === 'suspended')
        context.resume().catch(function() {});
});

// The player's music as an AudioBuffer, made once: `frames` frames of
// interleaved 16-bit samples.
EM_JS(void, bass_web_load, (int id, const int16_t* samples, double frames), {
    var audio = Module['bassWebAudio'];
    var player = audio.players[id];
    if (player.buffer)
        return;
    player.buffer = audio.context.createBuffer(player.channels, Math.max(frames, 1), player.rate);
    var first = samples >> 1;
    for (var channel = 0; channel < player.channels; ++channel) {
        var data = player.buffer.getChannelData(channel);
        for (var i = 0, at = first + channel; i < frames; ++i, at += player.channels)
            data[i] = HEAP16[at] / 32768;
    }
});

// Plays the player's music from `frame` at audio-clock time `when`.
EM_JS(void, bass_web_start, (int id, double frame, double when), {
    var audio = Module['bassWebAudio'];
    var player = audio.players[id];
    var node = audio.context.createBufferSource();
    node.buffer = player.buffer;
    node.connect(player.gain);
    node.start(when, frame / player.rate);
    player.node = node;
});

EM_JS(void, bass_web_stop, (int id), {
    var player = Module['bassWebAudio'].players[id];
    if (player.node) {
        player.node.stop();
        player.node.disconnect();
        player.node = null;
    }
});

EM_JS(void, bass_web_close, (int id), {
    var audio = Module['bassWebAudio'];
    if (audio.context)
        audio.players[id].gain.disconnect();
    delete audio.players[id];
});

// Said once however many streams fall back.
void sayPlayingOnThePagesClock()
{
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "audio: the browser's sound output did not start within %g s, playing silently\n",
                 kWaitSeconds);
}

} // namespace

bassWebOutput::bassWebOutput(bassFrameSource& source, int rate, int channels, bool audible)
    : source(source)
    , rate(rate)
    , player(bass_web_open(rate, channels, audible ? 1 : 0))
    , timer(emscripten_set_interval(&bassWebOutput::tick, kTickMilliseconds, this))
{
}

bassWebOutput::~bassWebOutput()
{
    emscripten_clear_interval(timer);
    bass_web_stop(player);
    bass_web_close(player);
}

void bassWebOutput::sourceChanged()
{
    follow();
}

void bassWebOutput::tick(void* self)
{
    static_cast<bassWebOutput*>(self)->follow();
}

// Starts a new command on the clock that runs, or keeps the one playing on
// it, moving it over to the audio clock once that runs.
void bassWebOutput::follow()
{
    const bassFrameSource::Course course = source.course();
    const double now = bassSteadyClock::now();
    if (course.command != command) {
        bass_web_stop(player);
        command = course.command;
        clock = Clock::Waiting;
        waitEnds = now + kWaitSeconds;
        if (course.playing)
            bass_web_resume();
    }
    if (!course.playing)
        return;
    double audioClock[2];
    const int running = bass_web_clock(audioClock);
    switch (clock) {
    case Clock::Waiting:
        if (running == 1)
            startOnAudio(course.frame);
        else if (running < 0 || now >= waitEnds)
            startOnPage(course.frame, now, running == 0);
        break;
    case Clock::Audio:
        if (running == 1 && std::abs(fromTime + audioClock[1] - heardAt) > kMoveSeconds)
            anchor(fromTime + audioClock[1]);
        break;
    case Clock::Page:
        if (running == 1)
            startOnAudio(course.frame);
        break;
    }
}

void bassWebOutput::startOnAudio(int64_t frame)
{
    int64_t frames = 0;
    const int16_t* music = source.wholeMusic(frames);
    bass_web_load(player, music, static_cast<double>(frames));
    // Timed once the music is ready (making it takes a while the first
    // time): a start already past would begin late, off its anchor. On a
    // whole frame of the stream: a context at the stream's rate then plays
    // every sample where it falls.
    double audioClock[2];
    bass_web_clock(audioClock);
    const double when = std::ceil((audioClock[0] + kStartSeconds) * rate) / rate;
    const double offset = audioClock[1];
    // Played on from the frame that the page's clock reaches then.
    if (clock == Clock::Page)
        frame = fromFrame + std::llround((when + offset - heardAt) * rate);
    fromFrame = std::min(frame, frames);
    fromTime = when;
    bass_web_start(player, static_cast<double>(fromFrame), when);
    clock = Clock::Audio;
    anchor(when + offset);
}

void bassWebOutput::startOnPage(int64_t frame, double now, bool contextWaits)
{
    if (contextWaits)
        sayPlayingOnThePagesClock();
    fromFrame = frame;
    fromTime = now;
    clock = Clock::Page;
    anchor(now);
}

void bassWebOutput::anchor(double heard)
{
    heardAt = heard;
    source.heardFrom(command, fromFrame, heardAt);
}
