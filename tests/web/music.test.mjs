// The music never waits on the page's thread, in every engine: a long task
// and the page hidden for five seconds leave no gap in what the sound device
// plays (recorded from it), and the next frame drawn is in sync again. Without any sound
// server the show plays on the page's own clock, silently, and says so once.
import assert from "node:assert/strict";
import { after, before, describe, test } from "node:test";

import { audioShortfall } from "../support/audioClock.mjs";
import { againWherePageIsLost, engines } from "../support/browsers.mjs";
import { recordRate, silentEnv, startSoundServer } from "../support/soundServer.mjs";
import { musicDrift, openPage, pause, recordTimes } from "./pageSession.mjs";

// The longest run of silence in `samples` once the sound has begun, in
// seconds: the tone crosses zero within a sample, a gap takes many.
function longestSilence(samples) {
  let run = 0, longest = 0, begun = false;
  for (const sample of samples) {
    begun ||= Math.abs(sample) > 64;
    run = Math.abs(sample) > 64 ? 0 : run + 1;
    if (begun)
      longest = Math.max(longest, run);
  }
  return longest / recordRate;
}

// Music time of the first frame drawn from now on, against where the wall
// clock says it should be from the frames recorded `before`, less what the
// browser's audio lost to stalls meanwhile.
async function nextFrameOff(browser, before) {
  const [wall, music] = before.findLast((sample, i) => i > 0 && sample[1] !== before[i - 1][1]);
  const after = await recordTimes(browser, 0.5);
  const [now, time] = after.find(([, time]) => time !== before.at(-1)[1]);
  return time - (music + now - wall) + audioShortfall([...before, ...after]);
}

// Every audio context suspended for its first 4 s, as a sound device that is
// slow to open.
const lateContext = `{
  const resume = AudioContext.prototype.resume;
  AudioContext.prototype.resume = function () { return this.late ? resume.call(this) : Promise.resolve(); };
  window.AudioContext = class extends AudioContext {
    constructor(options) {
      super(options);
      this.suspend();
      setTimeout(() => { this.late = true; this.resume(); }, 4000);
    }
  };
}`;
const silentLine = "audio: the browser's sound output did not start within 2 s, playing silently";

const interruptions = [
  ["a long task of 1.5 s", (browser) => browser.run("const end = performance.now() + 1500; while (performance.now() < end);")],
  ["the page hidden for 5 s", async (browser) => {
    await browser.hide();
    await pause(5000);
    await browser.show();
  }],
];

for (const engine of engines) {
  describe(engine, () => {
    describe("with a sound device", () => {
      let sound;
      before(async () => {
        sound = await startSoundServer();
      });
      after(() => sound.stop());

      test("a sound output that starts 4 s late: the page's clock first, said once, then the audio's, the music time going on", againWherePageIsLost(async (t) => {
        const browser = await openPage(t, engine, { page: { tone: true, headScript: lateContext }, autoplay: true, env: sound.env });
        await browser.start("?autoplay");
        await browser.state((k) => k.state === "playing", 30, "playing");
        const recording = sound.record();
        const samples = await recordTimes(browser, 5);
        const played = await recording.stop();
        const { drift } = musicDrift(samples);
        t.diagnostic(`music time ${(drift * 1000).toFixed(1)} ms off the wall clock over the switch`);
        assert.ok(Math.abs(drift) <= 0.1, `music time ran ${drift} s off the wall clock`);
        assert.ok(played.some((sample) => Math.abs(sample) > 64), "the sink heard nothing");
        assert.deepEqual((await browser.state()).errors, [silentLine]);
      }));

      test("a long task and a hidden page leave the music without a gap, and the next frame in sync", againWherePageIsLost(async (t) => {
        const browser = await openPage(t, engine, { page: { tone: true }, autoplay: true, env: sound.env });
        await browser.start("?autoplay");
        await browser.state((k) => k.state === "playing" && k.time > 0.5, 30, "playing");
        const recording = sound.record();
        await pause(500);
        for (const [what, interrupt] of interruptions) {
          const before = await recordTimes(browser, 0.5);
          await interrupt(browser);
          const off = await nextFrameOff(browser, before);
          t.diagnostic(`${what}: the next frame ${(off * 1000).toFixed(1)} ms off the wall clock`);
          // Held by the page's thread, the music would be a second or more
          // behind; the bound leaves room for the audio thread's own stalls
          // around the interruption (Firefox's reached 80 ms here).
          assert.ok(Math.abs(off) <= 0.1, `after ${what} the next frame was ${off} s off the wall clock`);
        }
        const played = await recording.stop();
        const silence = longestSilence(played);
        t.diagnostic(`recorded ${(played.length / recordRate).toFixed(2)} s, the longest silence ${(silence * 1000).toFixed(1)} ms`);
        assert.ok(played.length / recordRate > 7, `recorded ${played.length / recordRate} s`);
        // Held by the page's thread, the music would stop for as long as the
        // thread is held; the bound leaves the audio thread's own stalls on a
        // starved machine (Firefox's reached 0.2 s on two shared cores).
        assert.ok(silence < 0.25, `the music stopped for ${silence} s`);
      }));
    });

    test("without a sound server the show plays in real time: on the page's clock, silently and said once, where the sound does not start", againWherePageIsLost(async (t) => {
      const browser = await openPage(t, engine, { page: {}, autoplay: true, env: silentEnv() });
      await browser.start("?autoplay");
      await browser.state((k) => k.state === "playing" && k.time > 0.5, 30, "playing");
      const samples = await recordTimes(browser, 4);
      const { drift } = musicDrift(samples);
      t.diagnostic(`music time ${(drift * 1000).toFixed(1)} ms off the wall clock over 4 s`);
      const { errors } = await browser.state();
      if (await browser.run("return Module.bassWebAudio.context.state !== 'running';")) {
        assert.deepEqual(errors, [silentLine]);
        assert.match(await browser.run("return document.getElementById('notices').innerText;"), /did not start within 2 s, playing silently/);
        assert.ok(Math.abs(drift) <= 0.05, `music time ran ${drift} s off the wall clock`);
      } else {
        assert.deepEqual(errors, []);
        assert.ok(Math.abs(drift + audioShortfall(samples)) <= 0.05, `music time ran ${drift} s off the wall clock`);
      }
    }));
  });
}
