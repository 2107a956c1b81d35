// Drives a browser engine, in real time, the same way whichever it is:
// Chromium through chromedriver and WebKit through WebKitWebDriver
// (WebDriver over HTTP on the loopback), Firefox through puppeteer-core over
// WebDriver BiDi (tests/package.json). For tests and benchmarks of pages
// that need a real audio clock or real pacing. Pages come from a plain static
// server on 127.0.0.1 (no special headers, as any static host serves it).
// Each engine is Debian's own; nothing downloads a browser.
import { execFileSync, spawn } from 'node:child_process';
import { readFileSync, readdirSync } from 'node:fs';
import { createServer } from 'node:http';
import { join } from 'node:path';

// BROWSER_ENGINES (names separated by commas) chooses some of them.
export const engines = ['chromium', 'firefox', 'webkit']
    .filter((engine) => !process.env.BROWSER_ENGINES || process.env.BROWSER_ENGINES.split(',').includes(engine));

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

// Serves `folder` on 127.0.0.1 until `close`; `url` is its address.
export async function serveFolder(folder, extra = {}) {
    const server = await serve(folder, extra);
    return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
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

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The engine-neutral options, as each engine takes them.
//   autoplay  sound may start without a gesture
//   webgl     false: the engine offers no WebGL
//   renderer  'display' (Mesa's llvmpipe on the display, as the desktop) or
//             'software' (the engine's own where it has one: Chromium's
//             SwiftShader, which needs no display)
//   env       added to the browser's environment (a sound server's folder)
const chromiumArgs = ({ autoplay, webgl = true, renderer = 'display' }) => [
    '--headless=new', '--no-sandbox', '--window-size=1280,720',
    ...(renderer === 'display' ? ['--use-angle=gl', '--ignore-gpu-blocklist']
                               : ['--use-angle=swiftshader', '--enable-unsafe-swiftshader']),
    ...(autoplay ? ['--autoplay-policy=no-user-gesture-required'] : []),
    ...(webgl ? [] : ['--disable-3d-apis']),
];
const webkitArgs = ({ autoplay, webgl = true }) => [
    '--automation',
    ...(autoplay ? ['--media-playback-requires-user-gesture=false'] : []),
    ...(webgl ? [] : ['--enable-webgl=false']),
];
const firefoxPrefs = ({ autoplay, webgl = true }) => ({
    'media.cubeb_latency_msg_frames': 4096, 'media.cubeb_latency_playback_ms': 200,
    ...(autoplay ? { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0 } : {}),
    ...(webgl ? {} : { 'webgl.disabled': true }),
});

// The processes that run pages, by their command lines: a tab's memory is
// its process's.
const pageProcesses = {
    chromium: /--type=renderer/,
    firefox: /-contentproc.* tab$/,
    webkit: /WebKitWebProcess/,
};

// Proportional set size of each process under `root`, in bytes, by command line.
function processMemory(root) {
    const children = new Map();
    for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
        try {
            const parent = readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /s, '').split(' ')[1];
            children.set(parent, [...(children.get(parent) || []), pid]);
        } catch {
            // gone meanwhile
        }
    }
    const memory = [];
    for (let queue = [String(root)]; queue.length;) {
        const pid = queue.shift();
        queue.push(...(children.get(pid) || []));
        try {
            const pss = Number(/^Pss:\s+(\d+)/m.exec(readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'))[1]) * 1024;
            memory.push({ command: readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0').join(' ').trim(), pss });
        } catch {
            // gone meanwhile
        }
    }
    return memory;
}

function miniBrowserWindows() {
    return execFileSync('xdotool', ['search', '--onlyvisible', '--class', 'MiniBrowser'], { encoding: 'utf8' }).trim().split('\n');
}

const webDrivers = {
    chromium: {
        program: 'chromedriver',
        portArgument: (port) => [`--port=${port}`],
        capabilities: (options) => ({ 'goog:chromeOptions': { binary: '/usr/bin/chromium', args: chromiumArgs(options) } }),
    },
    webkit: {
        program: 'WebKitWebDriver',
        portArgument: (port) => [`--port=${port}`],
        capabilities: (options) => ({
            'webkitgtk:browserOptions': { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: webkitArgs(options) },
        }),
        // A second tab leaves MiniBrowser's first one visible: its window is
        // taken off the display instead.
        hide: () => {
            const shown = miniBrowserWindows();
            shown.forEach((id) => execFileSync('xdotool', ['windowunmap', id]));
            return shown;
        },
        show: (hidden) => hidden.forEach((id) => execFileSync('xdotool', ['windowmap', id])),
    },
};

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

async function waitForDriver(base, program) {
    for (let attempt = 0; attempt < 100; ++attempt) {
        const status = await call(base, 'GET', '/status').catch(() => null);
        if (status && status.ready)
            return;
        await pause(100);
    }
    throw new Error(`${program} did not start`);
}

// The last `count` lines `child` wrote to its standard output and error
// (its browser's too), as a function that gives them: read as they come, so
// that the child never waits on a full pipe.
function keepLastLines(child, count) {
    let lines = [];
    let partial = '';
    const take = (chunk) => {
        const parts = (partial + chunk).split('\n');
        partial = parts.pop();
        lines = lines.concat(parts.filter((line) => line.trim())).slice(-count);
    };
    child.stdout.setEncoding('utf8').on('data', take);
    child.stderr.setEncoding('utf8').on('data', take);
    return () => (partial.trim() ? [...lines, partial] : lines).slice(-count);
}

// A session through a WebDriver server of the engine's own.
async function openWebDriver(engine, options) {
    const kind = webDrivers[engine];
    const port = await freePort();
    const driver = spawn(kind.program, kind.portArgument(port), { stdio: ['ignore', 'pipe', 'pipe'], env: { ...process.env, ...options.env } });
    const lastWords = keepLastLines(driver, 20);
    const base = `http://127.0.0.1:${port}`;
    let route;
    try {
        await waitForDriver(base, kind.program);
        const session = await call(base, 'POST', '/session', { capabilities: { alwaysMatch: kind.capabilities(options) } });
        route = `/session/${session.sessionId}`;
        await call(base, 'POST', `${route}/window/rect`, { width: 1280, height: 720 }).catch(() => {});
    } catch (error) {
        driver.kill();
        throw error;
    }
    // A page whose process ended (WebKit's driver then deletes the session,
    // Chromium's says its tab crashed) is a lost page, said with the
    // browser's last words.
    const command = (method, path, body) => call(base, method, route + path, body).catch((error) => {
        if (!/page crash|tab crashed/.test(error.message))
            throw error;
        throw Object.assign(new Error(`${error.message} The browser's last words: ${lastWords().join(' | ') || 'none'}`),
                            { pageLost: true });
    });
    let shown = null;
    return {
        pid: driver.pid,
        open: (url) => command('POST', '/url', { url }),
        run: (script, ...values) => command('POST', '/execute/sync', { script, args: values }),
        runAsync: async (script, args, timeoutSeconds) => {
            await command('POST', '/timeouts', { script: Math.ceil(timeoutSeconds * 1000) });
            return command('POST', '/execute/async', { script: `(${script.toString()})(...arguments);`, args });
        },
        click: async (selector) => {
            const element = await command('POST', '/element', { using: 'css selector', value: selector });
            await command('POST', `/element/${Object.values(element)[0]}/click`, {});
        },
        hide: async () => {
            if (kind.hide) {
                shown = kind.hide();
                return;
            }
            shown = await command('GET', '/window');
            const { handle } = await command('POST', '/window/new', { type: 'tab' });
            await command('POST', '/window', { handle });
        },
        show: async () => {
            if (kind.show)
                return kind.show(shown);
            await command('DELETE', '/window');
            await command('POST', '/window', { handle: shown });
        },
        close: async () => {
            await call(base, 'DELETE', route).catch(() => {});
            driver.kill();
        },
    };
}

// A session through puppeteer-core over WebDriver BiDi.
async function openFirefox(options) {
    const { default: puppeteer } = await import('puppeteer-core');
    const browser = await puppeteer.launch({
        browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true, protocolTimeout: 90000,
        args: ['--width=1280', '--height=720'], extraPrefsFirefox: firefoxPrefs(options),
        env: { ...process.env, ...options.env },
    });
    const page = (await browser.pages())[0] || await browser.newPage();
    await page.setViewport({ width: 1280, height: 720 });
    let other = null;
    const within = (promise, seconds) => {
        let timer;
        const late = new Promise((resolve, reject) => {
            timer = setTimeout(() => reject(Object.assign(new Error(`the script did not end in ${seconds} s`), { unanswered: true })),
                               seconds * 1000);
        });
        return Promise.race([promise, late]).finally(() => clearTimeout(timer));
    };
    const onceMore = (send) => send().catch(async (error) => {
        if (!error.unanswered)
            throw error;
        const answers = await within(page.evaluate(() => true), 15).catch(() => false);
        if (!answers)
            throw Object.assign(new Error(`${error.message}, and the page's thread does not answer`), { pageLost: true });
        return send();
    });
    return {
        pid: browser.process().pid,
        open: (url) => page.goto(url),
        // WebDriver BiDi's scripts have no time limit of their own, and a
        // page whose thread hangs (Firefox's audio can take it: see
        // againWherePageIsLost) would hold one for the protocol's 90 s.
        // So each gets a limit; one that has not answered by then is sent once
        // more if the page's thread still answers at all (the scripts sent
        // here only read or record the page, or repeat harmlessly), and said
        // as a lost page (pageLost) if it does not.
        run: (script, ...values) => onceMore(() => within(page.evaluate(
            (body, args) => new Function(body).apply(null, args), script, values), 15)),
        runAsync: (script, args, timeoutSeconds) => onceMore(() => within(page.evaluate(
            (source, values) => new Promise((resolve) => (0, eval)(`(${source})`)(...values, resolve)),
            script.toString(), args), timeoutSeconds)),
        click: (selector) => page.click(selector),
        hide: async () => {
            other = await browser.newPage();
            await other.bringToFront();
        },
        show: async () => {
            await other.close();
            await page.bringToFront();
        },
        close: () => browser.close().catch(() => {}),
    };
}

// A session of `engine` (one of `engines`) with the options above: open a
// page, run scripts in it, click, wait for the page's state, hide the page
// behind another tab and show it again, read its memory, close.
export async function openBrowser(engine, options = {}) {
    const session = engine === 'firefox' ? await openFirefox(options) : await openWebDriver(engine, options);
    // The page must have seen itself hidden: a listener notes it (scripts run
    // in the tab in front, so it is asked once the page is shown again).
    const [hide, show] = [session.hide, session.show];
    session.hide = async function () {
        await this.run(`window.wasHidden = false;
            document.addEventListener('visibilitychange', () => { window.wasHidden ||= document.hidden; });`);
        await hide();
    };
    session.show = async function () {
        await show();
        if (!await this.run('return window.wasHidden;'))
            throw new Error(`${engine}: the page was not hidden`);
    };
    // Bytes: the largest page process's (the tab's) and all of the browser's.
    session.memory = function () {
        const processes = processMemory(this.pid);
        return { tab: Math.max(0, ...processes.filter(({ command }) => pageProcesses[engine].test(command)).map(({ pss }) => pss)),
                 all: processes.reduce((sum, { pss }) => sum + pss, 0) };
    };
    // Polls the object the page keeps as window[name] until `test` holds for
    // it; gives it as it was then (its data, not its functions).
    session.waitFor = async function (name, test, seconds, what) {
        const deadline = Date.now() + seconds * 1000;
        for (;;) {
            const state = await this.run('return JSON.parse(JSON.stringify(window[arguments[0]] || null));', name);
            if (state && test(state))
                return state;
            if (Date.now() > deadline)
                throw new Error(`the page did not reach ${what} in ${seconds} s: ${JSON.stringify(state)}`);
            await pause(50);
        }
    };
    return session;
}

// A test body `body(t)` that runs again, in a fresh browser, where the page
// was lost (pageLost), up to twice, each loss said in the test's
// diagnostics; its `t` has `after` and `diagnostic`. Pages are lost inside
// the engines, not by what they run:
// - Firefox's audio deadlocks now and then as its sound output starts: the
//   hung tab's stacks show the page's thread in a call to the sound server
//   made while holding the audio graph's lock (the first reading of the
//   stream's latency), the graph's thread waiting for that lock and the
//   audio callback for the graph. The page no longer asks Firefox for the
//   latency (bassWebOutput: 4 pages of 35 hung before, none of 32 since, on
//   the two cores under load); should the deadlock find another way in, the
//   page's thread stops answering.
// - WebKit's page process ends now and then as its sound starts (once in a
//   CI run; none in about 100 pages here since, loaded or not), and its
//   driver deletes the session. The kernel's log here showed one such
//   process ending on GLib's fatal-error trap.
export function againWherePageIsLost(body) {
    return async (t) => {
        for (let attempt = 1; ; ++attempt) {
            const cleanups = [];
            const scope = { after: (cleanup) => cleanups.push(cleanup), diagnostic: (text) => t.diagnostic(text) };
            try {
                return await body(scope);
            } catch (error) {
                if (!error.pageLost || attempt > 2)
                    throw error;
                t.diagnostic(`${error.message}: again in a fresh browser`);
            } finally {
                for (const cleanup of cleanups.reverse())
                    await cleanup();
            }
        }
    };
}

// Opens `folder`'s index.html (with `query`) in `engine`, runs `script`
// there as an asynchronous script (its last argument is the callback that
// ends it) with `args`, and gives what the script passed to the callback.
// Options: extra (served name -> file), query, timeoutSeconds, and those of
// openBrowser.
// A lost page is opened again, in a fresh browser, up to twice.
export async function runInBrowser(engine, folder, script, args, options = {}) {
    const site = await serveFolder(folder, options.extra || {});
    try {
        return await againWherePageIsLost(async (t) => {
            const browser = await openBrowser(engine, { renderer: 'software', ...options });
            t.after(() => browser.close());
            await browser.open(site.url + (options.query || ''));
            return browser.runAsync(script, args, options.timeoutSeconds || 60);
        })({ diagnostic: (text) => console.error(`${engine}: ${text}`) });
    } finally {
        site.close();
    }
}
