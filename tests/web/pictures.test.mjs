// The page draws what the desktop draws, in every engine: frames held at
// moments of every part (?start=S&paused), against the capture's frames of
// the same moments. All render on Mesa's llvmpipe on the display (Chromium
// through ANGLE).
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import os from "node:os";
import path from "node:path";
import { after, test } from "node:test";

import { againWherePageIsLost, engines } from "../support/browsers.mjs";
import { openPage } from "./pageSession.mjs";
import { decodePng } from "./png.mjs";

const runFolder = path.resolve(process.env.KELVANDRIX_RUN ?? "build/test/run");
const [width, height] = [640, 360];
const fps = 30;
const secondsPerBar = (4 * 60) / 127;

// Between beats, where nothing moves fast, in bars: each part once, the two
// ray-marched ones twice, and the closing picture.
const moments = [
  ["titles", 3.1], ["cubes", 10.4], ["cubes, later", 20.4], ["greetings", 28.3],
  ["pyramids", 38.4], ["pyramids, later", 50.4], ["closing picture", 60.2],
];
// Measured here: every frame equal to the capture's, to the last bit (see
// docs/web.md). The bounds leave room for another Mesa's rounding only.
const kMeanBound = 0.1 / 255;
const kFarShareBound = 0.0005;

function captureFrame(frame, folder) {
  execFileSync(path.join(runFolder, "kelvandrix-capture"),
    ["--fps", String(fps), "--from", String(frame / fps), "--to", String((frame + 0.5) / fps),
     "--size", `${width}x${height}`, "--no-audio", "--out", folder + "/"],
    { cwd: runFolder, stdio: ["ignore", "ignore", "inherit"] });
  return decodePng(readFileSync(path.join(folder, `frame_${String(frame).padStart(6, "0")}.png`)));
}

function difference(a, b) {
  const mean = [0, 0, 0];
  let far = 0;
  for (let i = 0; i < a.rgba.length; i += 4) {
    let beyond = false;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a.rgba[i + c] - b.rgba[i + c]);
      mean[c] += d;
      beyond ||= d > 16;
    }
    far += beyond;
  }
  const pixels = a.rgba.length / 4;
  return { mean: mean.map((sum) => sum / pixels / 255), farShare: far / pixels };
}

// The capture's frames, drawn once for all engines.
const folder = mkdtempSync(path.join(os.tmpdir(), "pictures-"));
after(() => rmSync(folder, { recursive: true, force: true }));
const desktopFrames = new Map();
function desktopFrame(frame) {
  if (!desktopFrames.has(frame))
    desktopFrames.set(frame, captureFrame(frame, folder));
  return desktopFrames.get(frame);
}

for (const engine of engines) {
  test(`held frames of the page in ${engine} match the desktop capture`, againWherePageIsLost(async (t) => {
    const browser = await openPage(t, engine, { autoplay: true });
    for (const [name, bar] of moments) {
      const frame = Math.floor(bar * secondsPerBar * fps) + 1;
      await browser.start(`?autoplay&paused&size=${width}x${height}&start=${frame / fps}`);
      const state = await browser.state((k) => k.still || k.state === "failed", 60, "a held frame");
      assert.deepEqual(state.errors, [], name);
      const still = decodePng(Buffer.from(state.still.split(",")[1], "base64"));
      const desktop = desktopFrame(frame);
      assert.deepEqual([still.width, still.height], [desktop.width, desktop.height], name);
      const { mean, farShare } = difference(still, desktop);
      t.diagnostic(`${name}: mean ${mean.map((m) => (m * 255).toFixed(3)).join("/")} of 255, `
                   + `${(farShare * 100).toFixed(3)} % beyond 16`);
      assert.ok(Math.max(...mean) <= kMeanBound && farShare <= kFarShareBound,
                `${name} (frame ${frame}): mean ${mean} per channel, ${farShare} of the pixels beyond 16/255`);
    }
  }));
}
