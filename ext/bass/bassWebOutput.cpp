#include "bassWebOutput.h"

#include "bassFrameSource.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <cmath>

namespace {

// Frames per queued buffer: about 46 ms at 44.1 kHz.
constexpr int kChunkFrames = 2048;
// The queue reaches this far ahead of the audio clock: the page's thread may
// be busy this long (a slow frame) without a gap in the music.
constexpr double kLeadSeconds = 0.5;
// A fresh queue begins this far ahead, time enough for its first buffer to
// reach Web Audio's own thread.
constexpr double kStartSeconds = 0.05;
// How often the queue is topped up.
constexpr double kTickMilliseconds = 20.0;

// The shared context, its players (one per output, each a gain node and the
// buffers it has queued) and the listeners that resume a suspended context.
// A browser without Web Audio gets no context: its players queue nothing and
// their clock is the wall clock, so the music's time still runs, silently.
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
        audio = Module['bassWebAudio'] = {context : context, players : {}, next : 1};
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
    audio.players[id] = {gain : gain, channels : channels, rate : rate, nodes : []};
    return id;
});

// The audio clock now: context seconds and the steady-clock seconds at which
// they are heard, paired by the browser itself where it can (the steady clock
// of a program in the page is performance.now()). 0 while the
// context does not run, and in its first moments, while the pairing does not
// yet account for the output's latency.
EM_JS(int, bass_web_clock, (double* out), {
    var context = Module['bassWebAudio'].context;
    if (!context) {
        HEAPF64[out >> 3] = HEAPF64[(out >> 3) + 1] = performance.now() / 1000;
        return 1;
    }
    if (context.state !== 'running')
        return 0;
    var at = context.currentTime;
    var heard = performance.now() + (context.outputLatency || context.baseLatency || 0) * 1000;
    if (context.getOutputTimestamp) {
        var stamp = context.getOutputTimestamp();
        if (!(stamp.contextTime >= 0.05 && stamp.performanceTime > 0))
            return 0;
        at = stamp.contextTime;
        heard = stamp.performanceTime;
    }
    HEAPF64[out >> 3] = at;
    HEAPF64[(out >> 3) + 1] = heard / 1000;
    return 1;
});

EM_JS(void, bass_web_queue, (int id, const int16_t* samples, int frames, double when), {
    var audio = Module['bassWebAudio'];
    var player = audio.players[id];
    if (!audio.context)
        return;
    var buffer = audio.context.createBuffer(player.channels, frames, player.rate);
    var first = samples >> 1;
    for (var channel = 0; channel < player.channels; ++channel) {
        var data = buffer.getChannelData(channel);
        for (var i = 0; i < frames; ++i)
            data[i] = HEAP16[first + i * player.channels + channel] / 32768;
    }
    var node = audio.context.createBufferSource();
    node.buffer = buffer;
    node.connect(player.gain);
    node.onended = function() {
        var at = player.nodes.indexOf(node);
        if (at >= 0)
            player.nodes.splice(at, 1);
    };
    node.start(when);
    player.nodes.push(node);
});

EM_JS(void, bass_web_drop, (int id), {
    var player = Module['bassWebAudio'].players[id];
    player.nodes.forEach(function(node) {
        node.onended = null;
        node.stop();
        node.disconnect();
    });
    player.nodes = [];
});

EM_JS(void, bass_web_close, (int id), {
    var audio = Module['bassWebAudio'];
    if (audio.context)
        audio.players[id].gain.disconnect();
    delete audio.players[id];
});

} // namespace

bassWebOutput::bassWebOutput(bassFrameSource& source, int rate, int channels, bool audible)
    : source(source)
    , rate(rate)
    , player(bass_web_open(rate, channels, audible ? 1 : 0))
    , timer(emscripten_set_interval(&bassWebOutput::tick, kTickMilliseconds, this))
    , chunk(static_cast<size_t>(kChunkFrames) * channels)
{
}

bassWebOutput::~bassWebOutput()
{
    emscripten_clear_interval(timer);
    bass_web_drop(player);
    bass_web_close(player);
}

void bassWebOutput::sourceChanged()
{
    bass_web_drop(player);
    queueing = false;
    fill();
}

void bassWebOutput::tick(void* self)
{
    static_cast<bassWebOutput*>(self)->fill();
}

double bassWebOutput::queueEnd() const
{
    return queueStart + static_cast<double>(queuedFrames) / rate;
}

void bassWebOutput::fill()
{
    double clock[2];
    if (!bass_web_clock(clock))
        return;
    const double contextNow = clock[0];
    const double heardNow = clock[1];
    if (!queueing || queueEnd() < contextNow + kStartSeconds) {
        // A queue that ran dry (the page's thread was busy for longer than
        // the lead) begins again a whole lead ahead. Either way the new
        // times jump by far more than the stream's pull-time filter takes
        // for jitter, so it starts afresh instead of averaging the jump in.
        const double ahead = queueing ? kLeadSeconds : kStartSeconds;
        // On a whole frame of the stream: a context at the stream's rate
        // then plays every sample where it falls.
        queueStart = std::ceil((contextNow + ahead) * rate) / rate;
        queuedFrames = 0;
        queueing = true;
    }
    while (queueEnd() < contextNow + kLeadSeconds) {
        const double at = queueEnd();
        source.render(chunk.data(), kChunkFrames, heardNow + (at - contextNow));
        bass_web_queue(player, chunk.data(), kChunkFrames, at);
        queuedFrames += kChunkFrames;
    }
}
