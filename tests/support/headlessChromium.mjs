// Runs a script in a page in headless Chromium, in real time, through
// chromedriver (WebDriver over HTTP on the loopback): for tests of pages that
// need a real audio clock or real pacing, which Chromium's virtual time does
// not give. The page comes from a plain static server on 127.0.0.1 (no
// special headers, as any static host serves it).
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { join } from 'node:path';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.mp3': 'audio/mpeg' };

// Serves `folder` (index.html for "/"), and each name of `extra` from the
// file it maps to.
function serve(folder, extra) {
    const server = createServer((request, response) => {
        const path = decodeURIComponent(request.url.split('?')[0]);
        const name = path === '/' ? 'index.html' : path.slice(1);
        try {
            const body = readFileSync(extra[name] || join(folder, name));
            response.writeHead(200, { 'Content-Type': types[name.slice(name.lastIndexOf('.'))] || 'text/plain' });
            response.end(body);
        } catch {
            response.writeHead(404);
            response.end();
        }
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function freePort() {
    return new Promise((resolve) => {
        const probe = createServer();
        probe.listen(0, '127.0.0.1', () => {
            const { port } = probe.address();
            probe.close(() => resolve(port));
        });
    });
}

async function call(base, method, path, body) {
    const response = await fetch(base + path, {
        method,
        headers: { 'Content-Type': 'application/json' },
        body: body === undefined ? undefined : JSON.stringify(body),
    });
    const reply = await response.json();
    if (!response.ok)
        throw new Error(`${method} ${path}: ${reply.value && reply.value.message}`);
    return reply.value;
}

async function waitForDriver(base) {
    for (let attempt = 0; attempt < 100; ++attempt) {
        const status = await call(base, 'GET', '/status').catch(() => null);
        if (status && status.ready)
            return;
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    throw new Error('chromedriver did not start');
}

// Serves `folder` on 127.0.0.1 until `close`; `url` is its address.
export async function serveFolder(folder, extra = {}) {
    const server = await serve(folder, extra);
    return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// A headless Chromium session: open a page, run scripts in it, click, wait
// for the page's state, close. `chromiumArgs` are added to the usual flags.
export async function openChromium(chromiumArgs = []) {
    const port = await freePort();
    const driver = spawn('chromedriver', [`--port=${port}`], { stdio: 'ignore' });
    const base = `http://127.0.0.1:${port}`;
    let route;
    try {
        await waitForDriver(base);
        const chromeOptions = {
            binary: '/usr/bin/chromium',
            args: ['--headless=new', '--no-sandbox', '--window-size=1280,720', ...chromiumArgs],
        };
        const session = await call(base, 'POST', '/session', { capabilities: { alwaysMatch: { 'goog:chromeOptions': chromeOptions } } });
        route = `/session/${session.sessionId}`;
    } catch (error) {
        driver.kill();
        throw error;
    }
    return {
        open: (url) => call(base, 'POST', `${route}/url`, { url }),
        // Runs `script`, a function body (its values are `arguments`).
        run: (script, ...values) => call(base, 'POST', `${route}/execute/sync`, { script, args: values }),
        // Runs `script`, a function whose last argument is the callback that ends it.
        runAsync: async (script, args, timeoutSeconds) => {
            await call(base, 'POST', `${route}/timeouts`, { script: Math.ceil(timeoutSeconds * 1000) });
            return call(base, 'POST', `${route}/execute/async`, { script: `(${script.toString()})(...arguments);`, args });
        },
        click: async (selector) => {
            const element = await call(base, 'POST', `${route}/element`, { using: 'css selector', value: selector });
            await call(base, 'POST', `${route}/element/${Object.values(element)[0]}/click`, {});
        },
        // Polls the object the page keeps as window[name] until `test` holds
        // for it; gives it as it was then.
        async waitFor(name, test, seconds, what) {
            const deadline = Date.now() + seconds * 1000;
            for (;;) {
                const state = await this.run(`return window[arguments[0]] || null;`, name);
                if (state && test(state))
                    return state;
                if (Date.now() > deadline)
                    throw new Error(`the page did not reach ${what} in ${seconds} s: ${JSON.stringify(state)}`);
                await new Promise((resolve) => setTimeout(resolve, 50));
            }
        },
        close: async () => {
            await call(base, 'DELETE', route).catch(() => {});
            driver.kill();
        },
    };
}

// Opens `folder`'s index.html (with `query`), runs `script` there as an
// asynchronous WebDriver script (its last argument is the callback that ends
// it) with `args`, and gives what the script passed to the callback.
// Options: extra (served name -> file), query, timeoutSeconds, chromiumArgs.
export async function runInChromium(folder, script, args, options = {}) {
    const site = await serveFolder(folder, options.extra || {});
    let browser = null;
    try {
        browser = await openChromium(['--use-angle=swiftshader', '--enable-unsafe-swiftshader', ...(options.chromiumArgs || [])]);
        await browser.open(site.url + (options.query || ''));
        return await browser.runAsync(script, args, options.timeoutSeconds || 60);
    } finally {
        if (browser)
            await browser.close();
        site.close();
    }
}
