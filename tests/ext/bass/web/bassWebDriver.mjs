// Plays a tune on the audio layer's test page in headless Chromium, in real
// time, through chromedriver (WebDriver over HTTP on the loopback). Writes
// the tune as the page decoded it to DECODED (raw 16-bit samples), and prints
// what the page measured as "key value" lines on standard output.
//
// Usage: node bassWebDriver.mjs PAGE_DIR TUNE.mp3 SECONDS CLICK_LEVEL DECODED [FIRST.mp3]
//   PAGE_DIR     the built page (index.html, bassWebPage.js and .wasm)
//   SECONDS      how long to watch the position after playing starts
//   CLICK_LEVEL  the tune's click is its first left sample this loud (16-bit)
//   FIRST.mp3    a tune played and freed before TUNE: the page's audio
//                context runs at its rate, so TUNE is resampled when the
//                rates differ
import { writeFileSync } from 'node:fs';
import { audioShortfall } from '../../../support/audioClock.mjs';
import { runInBrowser } from '../../../support/browsers.mjs';

const [pageDir, tunePath, watchArg, levelArg, decodedPath, firstPath] = process.argv.slice(2);
const watchSeconds = Number(watchArg);
const clickLevel = Number(levelArg);
if (!pageDir || !tunePath || !(watchSeconds > 0) || !(clickLevel > 0) || !decodedPath) {
    console.error('bassWebDriver: usage: node bassWebDriver.mjs PAGE_DIR TUNE.mp3 SECONDS CLICK_LEVEL DECODED');
    process.exit(2);
}

// Runs in the page. Taps the layer's output with an audio worklet that
// reports the context frame at which the click goes out, and samples the
// layer's position against performance.now() while the tune plays.
const measure = async function (watchSeconds, clickLevel, playFirst, done) {
    try {
        while (!Module.pageReady)
            await new Promise((resolve) => setTimeout(resolve, 10));
        for (const name of playFirst ? ['tune.mp3', 'first.mp3'] : ['tune.mp3'])
            Module.FS.writeFile('/' + name, new Uint8Array(await (await fetch(name)).arrayBuffer()));
        if (playFirst)
            Module.ccall('pageFree', 'number', ['number'], [Module.ccall('pagePlay', 'number', ['string'], ['/first.mp3'])]);
        const at = Module.ccall('pageDecode', 'number', ['string'], ['/tune.mp3']);
        const decodedBytes = Module.HEAPU8.subarray(at, at + Module.ccall('pageDecodedBytes', 'number', [], []));
        let decoded = '';
        for (let i = 0; i < decodedBytes.length; i += 0x8000)
            decoded += String.fromCharCode.apply(null, decodedBytes.subarray(i, i + 0x8000));
        decoded = btoa(decoded);

        const stream = Module.ccall('pagePlay', 'number', ['string'], ['/tune.mp3']);
        const audio = Module.bassWebAudio;
        const players = Object.values(audio.players);
        if (!stream || players.length !== 1)
            return done({ error: 'the page could not play the tune' });
        const context = audio.context;
        const tap = `registerProcessor('tap', class extends AudioWorkletProcessor {
            process(inputs) {
                const left = inputs[0][0];
                for (let i = 0; !this.found && left && i < left.length; ++i)
                    if (Math.abs(left[i]) * 32768 >= ${clickLevel}) {
                        this.found = true;
                        this.port.postMessage(currentFrame + i);
                    }
                return true;
            }
        });`;
        await context.audioWorklet.addModule(URL.createObjectURL(new Blob([tap], { type: 'text/javascript' })));
        const node = new AudioWorkletNode(context, 'tap');
        players[0].gain.connect(node);
        node.connect(context.destination);
        let clickHeard = null;
        node.port.onmessage = (message) => {
            // Context time to the time it is heard, by the audio clock's own
            // pairing of the two where the browser gives it.
            const clickTime = message.data / context.sampleRate;
            const stamp = context.getOutputTimestamp();
            clickHeard = stamp.contextTime > 0 && stamp.performanceTime > 0
                             ? stamp.performanceTime + (clickTime - stamp.contextTime) * 1000
                             : performance.now() + (clickTime - context.currentTime) * 1000;
        };

        const samples = [];
        const start = performance.now();
        while (performance.now() - start < watchSeconds * 1000) {
            samples.push([performance.now(), Module.ccall('pagePosition', 'number', ['number'], [stream]), context.currentTime]);
            await new Promise((resolve) => setTimeout(resolve, 1));
        }
        done({ decoded, samples, clickHeard, contextRate: context.sampleRate });
    } catch (error) {
        done({ error: String(error) });
    }
};

// Music time at wall time `at`, between the samples around it.
function positionAt(samples, at) {
    for (let i = 1; i < samples.length; ++i) {
        const [t0, p0] = samples[i - 1];
        const [t1, p1] = samples[i];
        if (t0 <= at && at <= t1)
            return t1 === t0 ? p0 : p0 + ((p1 - p0) * (at - t0)) / (t1 - t0);
    }
    return NaN;
}

function report(result) {
    writeFileSync(decodedPath, Buffer.from(result.decoded, 'base64'));
    console.log(`context_rate ${result.contextRate}`);
    const samples = result.samples;
    let backwards = 0;
    for (let i = 1; i < samples.length; ++i)
        if (samples[i][1] < samples[i - 1][1])
            ++backwards;
    console.log(`samples ${samples.length}\nbackwards ${backwards}`);
    // Advance against the wall clock from the music's first moments (it
    // starts a little after the call), where a clock that settles late moves
    // it, to three and a half seconds after the call.
    const from = samples.findIndex((sample) => sample[1] >= 0.05);
    if (from < 0)
        throw new Error('the position never moved');
    const to = samples.findLastIndex((sample) => sample[0] - samples[0][0] <= 3500);
    const watched = samples.slice(from, to + 1).map(([wall, position, audio]) => [wall / 1000, position, audio]);
    console.log(`wall_seconds ${(watched.at(-1)[0] - watched[0][0]).toFixed(6)}`);
    console.log(`music_seconds ${(watched.at(-1)[1] - watched[0][1]).toFixed(6)}`);
    // What the browser's audio clock fell behind the wall clock meanwhile:
    // its audio thread's stalls on a loaded machine, which what is heard,
    // and so the position, follow.
    console.log(`audio_stalled_seconds ${audioShortfall(watched).toFixed(6)}`);
    console.log(`final_position ${samples[samples.length - 1][1].toFixed(6)}`);
    if (result.clickHeard !== null)
        console.log(`click_heard_at ${positionAt(samples, result.clickHeard).toFixed(6)}`);
}

try {
    const result = await runInBrowser('chromium', pageDir, measure, [watchSeconds, clickLevel, Boolean(firstPath)], {
        extra: { 'tune.mp3': tunePath, 'first.mp3': firstPath },
        timeoutSeconds: watchSeconds + 60,
        autoplay: true,
    });
    if (result.error)
        throw new Error(result.error);
    report(result);
} catch (error) {
    console.error(`bassWebDriver: ${error.message}`);
    process.exit(1);
}
