// A production as scripts/new-production makes it, its page built by the
// web stage from the same program sources as every page: in each engine it
// shows the production's own frame, as its desktop capture draws it.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import os from "node:os";
import path from "node:path";
import { test } from "node:test";

import { againWherePageIsLost, engines, openBrowser, serveFolder } from "../support/browsers.mjs";
import { startPage } from "./pageSession.mjs";
import { decodePng } from "./png.mjs";

const name = "fresh_production";
const page = process.env.FRESH_PAGE && path.resolve(process.env.FRESH_PAGE);
const run = path.resolve(process.env.FRESH_RUN ?? "build/test/run-fresh_production");
const [width, height] = [320, 180];

// Its capture's frame at one second, the title over the scene.
function desktopFrame() {
  const folder = mkdtempSync(path.join(os.tmpdir(), "fresh-"));
  try {
    execFileSync(path.join(run, `${name}-capture`),
      ["--fps", "1", "--from", "1", "--to", "1.5", "--size", `${width}x${height}`, "--no-audio", "--out", folder + "/"],
      { cwd: run, stdio: ["ignore", "ignore", "inherit"] });
    return decodePng(readFileSync(path.join(folder, "frame_000001.png")));
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

for (const engine of engines) {
  test(`the new production's page in ${engine} shows its frame`, { skip: !page && "FRESH_PAGE is not set" }, againWherePageIsLost(async (t) => {
    const server = await serveFolder(page);
    const browser = await openBrowser(engine, { autoplay: true });
    t.after(async () => {
      await browser.close();
      server.close();
    });
    await startPage(browser, `${server.url}?autoplay&paused&size=${width}x${height}&start=1`);
    const state = await browser.waitFor(name, (k) => k.still || k.state === "failed", 60, "a held frame");
    assert.deepEqual(state.errors, []);
    assert.equal(await browser.run("return document.title;"), "FRESH_PRODUCTION");
    const still = decodePng(Buffer.from(state.still.split(",")[1], "base64"));
    const desktop = desktopFrame();
    assert.deepEqual([still.width, still.height], [width, height]);
    let sum = 0;
    for (let i = 0; i < still.rgba.length; i += 4)
      for (let c = 0; c < 3; ++c)
        sum += Math.abs(still.rgba[i + c] - desktop.rgba[i + c]);
    const mean = sum / (width * height * 3) / 255;
    t.diagnostic(`mean ${(mean * 255).toFixed(3)} of 255 from the desktop's frame`);
    assert.ok(mean <= 0.5 / 255, `mean ${mean * 255} of 255 from the desktop's frame`);
  }));
}
