// What the page's tests share: the page with the small data set, served and
// open in one engine, and its script object read the same way in each.
import { execFileSync } from "node:child_process";
import { copyFileSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import os from "node:os";
import path from "node:path";

import { openBrowser, serveFolder } from "../support/browsers.mjs";

// The name of the page's script object, window[pageApi] (page.js), and of
// its program's files.
export const pageApi = "kelvandrix";
const programFiles = ["index.html", "page.js", `${pageApi}.js`, `${pageApi}.wasm`];

export const page = path.resolve(process.env.KELVANDRIX_PAGE ?? "build/web");
const smallData = path.resolve(process.env.KELVANDRIX_SMALL_DATA ?? "build/test/tests/web/kelvandrix-small-data");
const root = path.resolve(new URL("../..", import.meta.url).pathname);
export const musicSeconds = 12;
export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The small data set's tune (silence) as a 440 Hz tone of the same length:
// a gap in what is played is then a run of silence.
function toneTune(data) {
  const wav = path.join(data, "tone.wav");
  execFileSync("sox", ["-n", "-r", "44100", "-c", "2", wav, "synth", String(musicSeconds), "sine", "440", "vol", "0.5"]);
  for (const name of readdirSync(data).filter((file) => file.endsWith(".mp3")))
    execFileSync("lame", ["--silent", "-b", "128", wav, path.join(data, name)]);
  rmSync(wav);
}

// The page's program with the small data set as its data, less `leftOut`;
// `headScript` runs before the page's own script.
function smallPage(folder, { leftOut = [], tone = false, headScript = "" }) {
  const data = path.join(folder, "data");
  execFileSync(smallData, [data, String(musicSeconds)], { stdio: ["ignore", "ignore", "inherit"] });
  for (const name of leftOut)
    rmSync(path.join(data, name));
  if (tone)
    toneTune(data);
  for (const name of programFiles)
    copyFileSync(path.join(page, name), path.join(folder, name));
  if (headScript) {
    const index = path.join(folder, "index.html");
    writeFileSync(index, readFileSync(index, "utf8").replace("<script", `<script>${headScript}</script>\n<script`));
  }
  execFileSync(path.join(root, "scripts/pack-web-data"), [data, folder, pageApi], { stdio: ["ignore", "ignore", "inherit"] });
}

// The page in `engine`, closed after the test `t`. `page` options as
// smallPage takes them (none: the built page with its own data); browser
// options as openBrowser takes them.
export async function openPage(t, engine, { page: pageOptions, ...browserOptions } = {}) {
  let folder = page;
  if (pageOptions) {
    folder = mkdtempSync(path.join(os.tmpdir(), "page-"));
    smallPage(folder, pageOptions);
  }
  const server = await serveFolder(folder);
  const browser = await openBrowser(engine, browserOptions);
  t.after(async () => {
    await browser.close();
    server.close();
    if (folder !== page)
      rmSync(folder, { recursive: true, force: true });
  });
  // The page's object as it is now, or once `test` holds for it.
  browser.state = (test = () => true, seconds = 0, what = "") => browser.waitFor(pageApi, test, seconds, what);
  browser.visit = (query) => browser.open(server.url + query);
  browser.start = (query) => startPage(browser, server.url + query);
  return browser;
}

// Opens `url`, and clicks the start screen when the page waits there (page.js
// has decided by the time the page has loaded): WebKit lets a page start its
// sound only after a gesture, ?autoplay or not. True when it clicked.
export async function startPage(browser, url) {
  await browser.open(url);
  const waits = await browser.run("return !document.getElementById('start').classList.contains('hidden');");
  if (waits)
    await browser.click("#start");
  return waits;
}

// On every animation frame from now on, for `seconds`: the wall clock, the
// page's music time and its audio clock (the context's currentTime), as
// [performance.now() / 1000, time, currentTime].
export async function recordTimes(browser, seconds) {
  return browser.runAsync(function (name, seconds, done) {
    const samples = [];
    const record = () => {
      samples.push([performance.now() / 1000, window[name].time, Module.bassWebAudio.context.currentTime]);
      if (samples.length < 2 || samples.at(-1)[0] - samples[0][0] < seconds)
        requestAnimationFrame(record);
      else
        done(samples);
    };
    requestAnimationFrame(record);
  }, [pageApi, seconds], seconds + 30);
}

// How far the music time ran off the wall clock between the first and the
// last frame drawn in `samples` (recordTimes), each taken at the animation
// frame that first saw it: in between, a sample holds the time of a frame
// drawn up to one of the show's frames before (WebKit's take 40 ms and more).
export function musicDrift(samples) {
  const drawn = samples.filter((sample, i) => i > 0 && sample[1] !== samples[i - 1][1]);
  const [first, last] = [drawn[0], drawn.at(-1)];
  return { drift: last[1] - first[1] - (last[0] - first[0]), seconds: last[0] - first[0] };
}
