// The page against the desktop production on this machine, in one run, in
// every browser engine: frame time per part (each engine on llvmpipe, as the
// desktop's bench_frame) beside bench_frame, the two alternating round by
// round; the time from opening the page to its loading bar and from the
// click to its music; the tab's memory while the whole production plays; and
// the bytes the page loads. The browsers play into a sound server of the
// benchmark's own (a null sink). Run on a display:
//   scripts/with-display node bench/web/bench_page.mjs build/release
import { execFileSync } from "node:child_process";
import { readdirSync, statSync, writeFileSync } from "node:fs";
import path from "node:path";
import { parseArgs } from "node:util";

import { engines as allEngines, openBrowser, serveFolder } from "../../tests/support/browsers.mjs";
import { startSoundServer } from "../../tests/support/soundServer.mjs";
import { pageApi, startPage } from "../../tests/web/pageSession.mjs";

const usage = `usage: node bench/web/bench_page.mjs [options] [NATIVE_BUILD]
Times the page in build/web/ against the desktop's bench_frame, on a display
(scripts/with-display gives one); figures on standard output.
  NATIVE_BUILD      native build folder with bench/programs/bench_frame and run/ (default build/release)
  --page DIR        the page's folder (default build/web)
  --rounds N        page and desktop alternate N times per part (default 2)
  --seconds S       frames sampled per part and round, in seconds of real time (default 4)
  --opens N         page openings timed to the loading bar and to the music (default 5)
  --engines LIST    the browser engines, separated by commas (default ${allEngines.join(",")})
  --csv FILE        also writes the figures as CSV: figure,engine,part,page,desktop,ratio,target
  --help            this text
Exit status: 0 measured, 1 a measurement failed, 2 bad arguments or folders.`;

// bench_frame's moments (its kMoments, in bars of the music), in its order.
const moments = [["titles", 3.1], ["cubes", 14.4], ["greetings", 26.3], ["pyramids", 41.4], ["closing", 60.2]];
const secondsPerBar = (4 * 60) / 127;
const frameRatioTarget = 1.5;
const mb = 1e6;
const targets = { loading: 1, playing: 3, tabMemory: 150 * mb, allBytes: 10 * mb, wasmBytes: 2 * mb };
// The tab's memory is read this long into the show: the whole tune decoded
// and playing, every part's shaders compiled by then or not at all.
const memorySeconds = 5;
// The page needs a moment after the music starts before its frames settle
// (shaders compiled on first use, the compositor's first frames).
const settleSeconds = 1;

class UsageError extends Error {}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length / 2;
  return Number.isInteger(middle) ? (sorted[middle - 1] + sorted[middle]) / 2 : sorted[Math.floor(middle)];
}

function positiveNumber(text, option, whole = false) {
  const value = Number(text);
  if (!(value > 0) || (whole && !Number.isInteger(value)))
    throw new UsageError(`${option} wants a ${whole ? "whole " : ""}number above 0, not "${text}"`);
  return value;
}

function existing(file, what) {
  try {
    statSync(file);
  } catch {
    throw new UsageError(`no ${what} at "${file}"`);
  }
  return file;
}

function readOptions(argv) {
  let parsed;
  try {
    parsed = parseArgs({
      args: argv, allowPositionals: true,
      options: { page: { type: "string" }, rounds: { type: "string" }, seconds: { type: "string" },
                 opens: { type: "string" }, engines: { type: "string" }, csv: { type: "string" },
                 help: { type: "boolean" } },
    });
  } catch (error) {
    throw new UsageError(error.message);
  }
  const { values, positionals } = parsed;
  if (values.help)
    return null;
  if (positionals.length > 1)
    throw new UsageError("one native build folder at most");
  const native = path.resolve(positionals[0] ?? "build/release");
  const page = path.resolve(values.page ?? "build/web");
  const engines = (values.engines ?? allEngines.join(",")).split(",");
  const unknown = engines.filter((engine) => !allEngines.includes(engine));
  if (unknown.length)
    throw new UsageError(`--engines takes ${allEngines.join(", ")}, not "${unknown.join(",")}"`);
  return {
    engines,
    rounds: positiveNumber(values.rounds ?? "2", "--rounds", true),
    seconds: positiveNumber(values.seconds ?? "4", "--seconds"),
    opens: positiveNumber(values.opens ?? "5", "--opens", true),
    page: path.dirname(existing(path.join(page, "index.html"), "page (scripts/build-web)")),
    benchFrame: existing(path.join(native, "bench/programs/bench_frame"), "bench_frame (a build with -DKELVANDRIX_BENCH=ON)"),
    runFolder: existing(path.join(native, "run"), "run folder"),
    csv: values.csv,
  };
}

// In the page: the wall time between one drawn frame and the next, seen as
// changes of the page object's time on animation frames, for `seconds`.
function sampleFrames(name, seconds, done) {
  const page = window[name];
  const intervals = [];
  let lastTime = page.time;
  let lastChange = null;
  const end = performance.now() + seconds * 1000;
  function look(now) {
    if (page.time !== lastTime) {
      if (lastChange !== null)
        intervals.push(now - lastChange);
      lastTime = page.time;
      lastChange = now;
    }
    if (now < end)
      requestAnimationFrame(look);
    else
      done({ intervals, state: page.state, errors: page.errors });
  }
  requestAnimationFrame(look);
}

async function waitForPlaying(browser) {
  const state = await browser.waitFor(pageApi, (k) => ["playing", "failed", "ended"].includes(k.state), 60, "playing");
  if (state.state !== "playing")
    throw new Error(`the page is ${state.state}: ${state.errors.join("; ")}`);
  return state;
}

async function pageFrames(browser, site, bar, seconds) {
  await startPage(browser, `${site.url}?autoplay&start=${(bar * secondsPerBar).toFixed(3)}`);
  await waitForPlaying(browser);
  await new Promise((resolve) => setTimeout(resolve, settleSeconds * 1000));
  const sample = await browser.runAsync(sampleFrames, [pageApi, seconds], seconds + 30);
  if (sample.state !== "playing" || sample.intervals.length === 0)
    throw new Error(`no frames sampled at bar ${bar}: ${sample.state}, ${sample.errors.join("; ")}`);
  return sample.intervals;
}

// bench_frame's table: one line per part, "<n> <part> <baseline> <today> ...".
function desktopFrames(options) {
  const output = execFileSync(options.benchFrame, [], { cwd: options.runFolder, encoding: "utf8",
                                                        stdio: ["ignore", "pipe", "ignore"] });
  const today = new Map();
  for (const line of output.split("\n")) {
    const fields = line.trim().split(/\s+/);
    if (/^\d+$/.test(fields[0]) && fields.length >= 4)
      today.set(fields[1], Number(fields[3]));
  }
  const missing = moments.map(([name]) => name).filter((name) => !today.has(name));
  if (missing.length)
    throw new Error(`bench_frame printed no figure for ${missing.join(", ")}`);
  return today;
}

async function measureFrames(browsers, site, options) {
  const frames = (engines) => new Map(engines.flatMap((engine) => moments.map(([name]) => [`${engine} ${name}`, []])));
  const page = frames(options.engines);
  const desktop = new Map(moments.map(([name]) => [name, []]));
  for (let round = 1; round <= options.rounds; ++round) {
    for (const engine of options.engines) {
      process.stderr.write(`bench_page: round ${round} of ${options.rounds}: the page in ${engine}\n`);
      for (const [name, bar] of moments)
        page.get(`${engine} ${name}`).push(...await pageFrames(browsers.get(engine), site, bar, options.seconds));
    }
    process.stderr.write(`bench_page: round ${round} of ${options.rounds}: bench_frame\n`);
    for (const [name, ms] of desktopFrames(options))
      desktop.get(name)?.push(ms);
  }
  return options.engines.flatMap((engine) => moments.map(([name]) => (
    { engine, name, page: median(page.get(`${engine} ${name}`)), desktop: median(desktop.get(name)) })));
}

// Seconds between the first time the page entered `from` and `to`, from its
// timeline (the page's performance clock starts at its opening: "start").
function timeBetween(timeline, from, to) {
  const at = (state) => timeline.find(([name]) => name === state)[1];
  return (at(to) - at(from)) / 1000;
}

// Opened to the loading bar (under ?autoplay; where the browser wants a click
// for sound, as WebKit does, it is given at once), and from the start (the
// click, or the opening) to the music heard.
async function measureOpening(browser, site, opens) {
  const loading = [];
  const playing = [];
  for (let open = 0; open < opens; ++open) {
    await startPage(browser, `${site.url}?autoplay`);
    const { timeline } = await waitForPlaying(browser);
    loading.push(timeBetween(timeline, "start", "loading"));
    playing.push(timeBetween(timeline, "started", "playing"));
  }
  return { loading, playing };
}

// The tab's memory with the whole production loaded and its tune playing,
// in a browser of its own: one that opened the page before still holds some
// of the pages it left.
async function measureMemory(engine, browserOptions, site) {
  const browser = await openBrowser(engine, browserOptions);
  try {
    await startPage(browser, `${site.url}?autoplay`);
    await waitForPlaying(browser);
    await new Promise((resolve) => setTimeout(resolve, memorySeconds * 1000));
    return browser.memory();
  } finally {
    await browser.close();
  }
}

function measureBytes(folder) {
  const sizes = readdirSync(folder).map((name) => [name, statSync(path.join(folder, name)).size]);
  return { all: sizes.reduce((sum, [, size]) => sum + size, 0),
           wasm: sizes.filter(([name]) => name.endsWith(".wasm")).reduce((sum, [, size]) => sum + size, 0) };
}

function report(frames, engines, bytes, csvFile) {
  const rows = frames.map(({ engine, name, page, desktop }) =>
    ["frame_ms", engine, name, page, desktop, page / desktop, frameRatioTarget]);
  const range = (values) => `${Math.min(...values).toFixed(2)}-${Math.max(...values).toFixed(2)}`;
  for (const { engine, opening, memory } of engines)
    rows.push(["open_to_loading_s", engine, "", median(opening.loading), "", "", targets.loading],
              ["click_to_playing_s", engine, "", median(opening.playing), "", "", targets.playing],
              ["tab_memory_mb", engine, "", memory.tab / mb, "", "", targets.tabMemory / mb],
              ["browser_memory_mb", engine, "", memory.all / mb, "", "", ""]);
  rows.push(["bytes_all_mb", "", "", bytes.all / mb, "", "", targets.allBytes / mb],
            ["bytes_wasm_mb", "", "", bytes.wasm / mb, "", "", targets.wasmBytes / mb]);
  const cell = (value) => (typeof value === "number" ? value.toFixed(2) : value);
  console.log(`frame ms per part, median of the page's frames and of bench_frame's "today" over the rounds`);
  console.log(["figure", "engine", "part", "page", "desktop", "ratio", "target"].map((h) => h.padStart(18)).join(""));
  for (const row of rows)
    console.log(row.map((value) => cell(value).padStart(18)).join(""));
  for (const { engine, opening } of engines)
    console.log(`${engine}: opened to loading ${range(opening.loading)} s, click to playing ${range(opening.playing)} s `
                + `over ${opening.loading.length} openings`);
  if (csvFile) {
    const lines = ["figure,engine,part,page,desktop,ratio,target", ...rows.map((row) => row.map(cell).join(","))];
    writeFileSync(csvFile, lines.join("\n") + "\n");
  }
}

async function main() {
  const options = readOptions(process.argv.slice(2));
  if (!options) {
    console.log(usage);
    return;
  }
  if (!process.env.DISPLAY)
    throw new UsageError("no display: run it under scripts/with-display");
  const site = await serveFolder(options.page);
  const sound = await startSoundServer();
  const browserOptions = { autoplay: true, env: sound.env };
  const browsers = new Map();
  try {
    for (const engine of options.engines)
      browsers.set(engine, await openBrowser(engine, browserOptions));
    const frames = await measureFrames(browsers, site, options);
    const engines = [];
    for (const [engine, browser] of browsers) {
      process.stderr.write(`bench_page: the page in ${engine} opened ${options.opens} times, and its memory\n`);
      engines.push({ engine, opening: await measureOpening(browser, site, options.opens),
                     memory: await measureMemory(engine, browserOptions, site) });
    }
    report(frames, engines, measureBytes(options.page), options.csv);
  } finally {
    for (const browser of browsers.values())
      await browser.close();
    sound.stop();
    site.close();
  }
}

main().catch((error) => {
  console.error(`bench_page: ${error.message}`);
  process.exitCode = error instanceof UsageError ? 2 : 1;
});
