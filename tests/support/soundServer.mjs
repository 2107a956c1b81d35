// A sound device for browsers under test: PulseAudio with a null sink, which
// plays in real time into nothing, as the test's own daemon in a private
// runtime folder. A browser started with `env` plays into it, and `record`
// takes what the sink plays; one started with `silentEnv` finds no sound
// server at all.
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Waits until the server takes connections; `stop` ends it and removes its
// folder. `record()` starts recording what the sink plays (mono, 16 bits at
// `recordRate`) until its `stop()`, which gives the samples.
export async function startSoundServer() {
    const folder = mkdtempSync(path.join(os.tmpdir(), 'sound-'));
    const env = { ...process.env, XDG_RUNTIME_DIR: folder, HOME: folder };
    const daemon = spawn('pulseaudio', [
        '--daemonize=no', '--exit-idle-time=-1', '-n', '--log-target=stderr',
        '--load=module-null-sink sink_name=null', '--load=module-native-protocol-unix auth-anonymous=1',
    ], { env, stdio: 'ignore' });
    const stop = () => {
        daemon.kill();
        rmSync(folder, { recursive: true, force: true });
    };
    for (let waited = 0; !existsSync(path.join(folder, 'pulse/native')); waited += 50) {
        if (waited > 10000 || daemon.exitCode !== null) {
            stop();
            throw new Error('pulseaudio did not start');
        }
        await pause(50);
    }
    const record = () => {
        const recorder = spawn('parec', ['-d', 'null.monitor', '--raw', '--format=s16le', `--rate=${recordRate}`, '--channels=1'],
                               { env, stdio: ['ignore', 'pipe', 'ignore'] });
        const chunks = [];
        recorder.stdout.on('data', (chunk) => chunks.push(chunk));
        return {
            stop: () => new Promise((resolve) => {
                recorder.on('close', () => {
                    const bytes = Buffer.concat(chunks);
                    resolve(new Int16Array(bytes.buffer, bytes.byteOffset, Math.floor(bytes.length / 2)));
                });
                recorder.kill();
            }),
        };
    };
    return { env: { XDG_RUNTIME_DIR: folder }, stop, record };
}

export const recordRate = 44100;

// An environment in which a browser finds no sound server: a runtime folder
// with none in it, made once and removed at exit.
export function silentEnv() {
    const folder = mkdtempSync(path.join(os.tmpdir(), 'no-sound-'));
    process.on('exit', () => rmSync(folder, { recursive: true, force: true }));
    return { XDG_RUNTIME_DIR: folder };
}
