// Headless Chromium driven through chromedriver (WebDriver over loopback
// HTTP), and a static server for a page folder: what the page's tests share.
import { spawn } from "node:child_process";
import { createReadStream, statSync } from "node:fs";
import http from "node:http";
import net from "node:net";
import path from "node:path";

async function freePort() {
  const server = net.createServer();
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };

// Serves `folder` on 127.0.0.1 as a plain static server does: no special headers.
export async function serveFolder(folder) {
  const server = http.createServer((request, response) => {
    const name = path.join(folder, decodeURIComponent(new URL(request.url, "http://x").pathname));
    let size;
    try {
      size = statSync(name).isFile() ? statSync(name).size : undefined;
    } catch {
      size = undefined;
    }
    const file = size === undefined ? path.join(name, "index.html") : name;
    try {
      const headers = { "Content-Type": types[path.extname(file)] || "application/octet-stream" };
      headers["Content-Length"] = statSync(file).size;
      response.writeHead(200, headers);
      createReadStream(file).pipe(response);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// A browser session; `extraArguments` are Chromium's command-line flags.
export async function openBrowser(extraArguments = []) {
  const port = await freePort();
  const driver = spawn("chromedriver", [`--port=${port}`], { stdio: "ignore" });
  const base = `http://127.0.0.1:${port}`;
  const call = async (method, route, body) => {
    const response = await fetch(base + route, {
      method,
      headers: { "Content-Type": "application/json" },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const reply = await response.json();
    if (!response.ok)
      throw new Error(`WebDriver ${method} ${route}: ${reply.value?.message ?? response.status}`);
    return reply.value;
  };
  for (let attempt = 0; ; ++attempt) {
    try {
      if ((await call("GET", "/status")).ready)
        break;
    } catch (error) {
      if (attempt > 100) {
        driver.kill();
        throw error;
      }
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const args = ["--headless=new", "--no-sandbox", "--window-size=1280,720", "--no-first-run", ...extraArguments];
  let session;
  try {
    session = await call("POST", "/session", {
      capabilities: { alwaysMatch: { "goog:chromeOptions": { binary: "/usr/bin/chromium", args } } },
    });
  } catch (error) {
    driver.kill();
    throw error;
  }
  const route = `/session/${session.sessionId}`;
  return {
    open: (url) => call("POST", `${route}/url`, { url }),
    // Runs `script` (a function body; `arguments` are `values`) in the page.
    run: (script, ...values) => call("POST", `${route}/execute/sync`, { script, args: values }),
    click: async (selector) => {
      const element = await call("POST", `${route}/element`, { using: "css selector", value: selector });
      await call("POST", `${route}/element/${Object.values(element)[0]}/click`, {});
    },
    // Polls the page's state until `test(kelvandrix)` holds; the state at the end.
    waitFor: async function (test, seconds, what) {
      const deadline = Date.now() + seconds * 1000;
      for (;;) {
        const state = await this.run("return window.kelvandrix || null;");
        if (state && test(state))
          return state;
        if (Date.now() > deadline)
          throw new Error(`the page did not reach ${what} in ${seconds} s: ${JSON.stringify(state)}`);
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
    },
    close: async () => {
      await call("DELETE", route).catch(() => {});
      driver.kill();
    },
  };
}
