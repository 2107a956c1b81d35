// The page playing in real time, on the small data set: music time that
// follows the wall clock, the end of the music, the start screen, and a
// missing shader named while the show goes on.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { copyFileSync, mkdtempSync, rmSync } from "node:fs";
import os from "node:os";
import path from "node:path";
import test from "node:test";

import { openChromium, serveFolder } from "../support/headlessChromium.mjs";

const page = path.resolve(process.env.KELVANDRIX_PAGE ?? "build/web");
const smallData = path.resolve(process.env.KELVANDRIX_SMALL_DATA ?? "build/test/tests/web/kelvandrix-small-data");
const root = path.resolve(new URL("../..", import.meta.url).pathname);
const musicSeconds = 12;

// The page's program with the small data set as its data, less `leftOut`.
function smallPage(folder, leftOut = []) {
  const data = path.join(folder, "data");
  execFileSync(smallData, [data, String(musicSeconds)], { stdio: ["ignore", "ignore", "inherit"] });
  for (const name of leftOut)
    rmSync(path.join(data, name));
  for (const name of ["index.html", "page.js", "kelvandrix.js", "kelvandrix.wasm"])
    copyFileSync(path.join(page, name), path.join(folder, name));
  execFileSync(path.join(root, "scripts/pack-web-data"), [data, folder, "kelvandrix"], { stdio: ["ignore", "ignore", "inherit"] });
}

async function session(t, leftOut, flags) {
  const folder = mkdtempSync(path.join(os.tmpdir(), "kelvandrix-page-"));
  smallPage(folder, leftOut);
  const server = await serveFolder(folder);
  const browser = await openChromium(["--use-angle=swiftshader", "--enable-unsafe-swiftshader", ...flags]);
  t.after(async () => {
    await browser.close();
    server.close();
    rmSync(folder, { recursive: true, force: true });
  });
  return { browser, url: server.url };
}

test("music time follows the wall clock, never back, until the music ends; it plays again on request", async (t) => {
  const { browser, url } = await session(t, [], ["--autoplay-policy=no-user-gesture-required"]);
  await browser.open(`${url}?autoplay`);
  await browser.waitFor("kelvandrix", (k) => k.state === "playing" && k.time > 0.5, 30, "playing");
  // Every animation frame, the wall clock and the music time of the frame
  // drawn last, for ten seconds.
  await browser.run(`
    window.samples = [];
    const record = () => {
      samples.push([performance.now() / 1000, kelvandrix.time]);
      if (samples.length < 2 || samples.at(-1)[0] - samples[0][0] < 10) requestAnimationFrame(record);
    };
    requestAnimationFrame(record);`);
  await new Promise((resolve) => setTimeout(resolve, 10500));
  const samples = await browser.run("return samples;");
  const [first, last] = [samples[0], samples.at(-1)];
  assert.ok(last[0] - first[0] >= 10, `recorded ${last[0] - first[0]} s`);
  const drift = last[1] - first[1] - (last[0] - first[0]);
  t.diagnostic(`music time ${(drift * 1000).toFixed(1)} ms off the wall clock over ${samples.length} frames`);
  assert.ok(Math.abs(drift) <= 0.05, `music time ran ${drift} s off the wall clock over ${last[0] - first[0]} s`);
  const back = samples.findIndex((sample, i) => i > 0 && sample[1] < samples[i - 1][1]);
  assert.equal(back, -1, `music time went back at sample ${back}: ${JSON.stringify(samples.slice(back - 1, back + 1))}`);
  const end = await browser.waitFor("kelvandrix", (k) => k.state === "ended", 10, "the end");
  assert.ok(end.time > musicSeconds - 0.1 && end.time <= musicSeconds, `ended at ${end.time} s`);
  assert.deepEqual(end.errors, []);
  await browser.click("#play");
  await browser.waitFor("kelvandrix", (k) => k.state === "playing" && k.time > 0.5 && k.time < 3, 10, "playing again");
});

test("without autoplay the page waits for a click; a missing shader and a start past the music are named and the show goes on, Escape or not", async (t) => {
  const { browser, url } = await session(t, ["rm_cubescape.fs"], []);
  await browser.open(`${url}?start=100`);
  await new Promise((resolve) => setTimeout(resolve, 2000));
  const waiting = await browser.run("return [kelvandrix.state, kelvandrix.time, getComputedStyle(start).display];");
  assert.deepEqual(waiting, ["start", 0, "flex"]);
  await browser.click("#start");
  // Escape leaves full screen in a page; it must not end the show.
  await browser.waitFor("kelvandrix", (k) => k.state === "playing", 30, "playing");
  await browser.run("window.dispatchEvent(new KeyboardEvent('keydown', { keyCode: 27 }));");
  const playing = await browser.waitFor("kelvandrix", (k) => k.state === "playing" && k.time > 4, 30, "four seconds played");
  assert.deepEqual(playing.errors, ['shader: "cubescape" "rm_cubescape.fs": cannot be read']);
  const notices = await browser.run("return document.getElementById('notices').innerText;");
  assert.match(notices, /^\?start=100 is past the end of the music \(12(\.\d+)? s\); starting at 0$/);
});

test("a browser without WebGL 2 gets a sentence saying so", async (t) => {
  const server = await serveFolder(page);
  const browser = await openChromium(["--disable-3d-apis"]);
  t.after(async () => {
    await browser.close();
    server.close();
  });
  await browser.open(server.url);
  const failed = await browser.waitFor("kelvandrix", (k) => k.state === "failed", 10, "failed");
  const sentence = await browser.run("return document.getElementById('message').innerText;");
  assert.match(sentence, /cannot draw with WebGL 2/);
  assert.deepEqual(failed.errors, []);
});
