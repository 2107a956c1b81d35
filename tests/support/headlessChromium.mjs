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
        const name = request.url === '/' ? 'index.html' : decodeURIComponent(request.url.slice(1).split('?')[0]);
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

// Opens `folder`'s index.html (with `query`), runs `script` there as an
// asynchronous WebDriver script (its last argument is the callback that ends
// it) with `args`, and gives what the script passed to the callback.
// Options: extra (served name -> file), query, timeoutSeconds, chromiumArgs.
export async function runInChromium(folder, script, args, options = {}) {
    const server = await serve(folder, options.extra || {});
    const port = await freePort();
    const driver = spawn('chromedriver', [`--port=${port}`], { stdio: 'ignore' });
    const base = `http://127.0.0.1:${port}`;
    let session = null;
    try {
        await waitForDriver(base);
        const chromeOptions = {
            binary: '/usr/bin/chromium',
            args: ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
                   ...(options.chromiumArgs || [])],
        };
        session = (await call(base, 'POST', '/session', { capabilities: { alwaysMatch: { 'goog:chromeOptions': chromeOptions } } })).sessionId;
        await call(base, 'POST', `/session/${session}/timeouts`, { script: Math.ceil((options.timeoutSeconds || 60) * 1000) });
        await call(base, 'POST', `/session/${session}/url`, { url: `http://127.0.0.1:${server.address().port}/${options.query || ''}` });
        const invoke = `(${script.toString()})(...arguments);`;
        return await call(base, 'POST', `/session/${session}/execute/async`, { script: invoke, args });
    } finally {
        if (session)
            await call(base, 'DELETE', `/session/${session}`).catch(() => {});
        driver.kill();
        server.close();
    }
}
