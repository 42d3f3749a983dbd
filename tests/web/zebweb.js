'use strict';
// What the browser tests share: a dedicated server with --web on loopback,
// headless Chromium (Debian's, no download), the page's WebSocket traffic as
// the test sees it, and the page's pixels.
const { spawn } = require('node:child_process');
const net = require('node:net');
const dgram = require('node:dgram');
const path = require('node:path');
const zlib = require('node:zlib');
const { chromium } = require('playwright-core');

const ROOT = path.resolve(__dirname, '../..');
const SERVER = process.env.ZEB_SERVER || path.join(ROOT, 'build/game/zeb-server');
const CLIENT = process.env.ZEB_CLIENT || path.join(path.dirname(SERVER), 'zeb');
const WEB_ROOT = process.env.ZEB_WEB_ROOT || path.join(ROOT, 'build-web/web');
// Bounds for faults only: a busy machine with four builds still makes them.
const DEADLINE_MS = 60000;

const MSG_COMPACT_REPORT = 21;
const REPORT_FIRE = 1, REPORT_THRUST = 2, REPORT_LEFT = 4, REPORT_RIGHT = 8, REPORT_ACK = 16, REPORT_MOTION = 32;

function freePort(type) {
  return new Promise((resolve, reject) => {
    if (type === 'udp') {
      const socket = dgram.createSocket('udp4');
      socket.on('error', reject);
      socket.bind(0, '127.0.0.1', () => {
        const { port } = socket.address();
        socket.close(() => resolve(port));
      });
      return;
    }
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Resolves with the first value check gives that is not undefined, looking
// again whenever poke is called and at each tick; rejects at the deadline.
function waitFor(what, check, intervalMs = 20) {
  return new Promise((resolve, reject) => {
    const started = Date.now();
    const look = async () => {
      try {
        const value = await check();
        if (value !== undefined && value !== false) return resolve(value);
      } catch (error) {
        return reject(error);
      }
      if (Date.now() - started > DEADLINE_MS) return reject(new Error('timed out waiting for ' + what));
      setTimeout(look, intervalMs);
    };
    look();
  });
}

// zeb-server --web PORT --web-root DIR --bots 1 on loopback, with its own
// discovery port and discovery on the loopback broadcast address only.
async function startServer({ bots = 1 } = {}) {
  const webPort = await freePort('tcp');
  const gamePort = await freePort('udp');
  const discoveryPort = await freePort('udp');
  const child = spawn(SERVER, ['--web', String(webPort), '--web-root', WEB_ROOT, ...(bots ? ['--bots', String(bots)] : []),
                               '--port', String(gamePort), '--discovery-port', String(discoveryPort)], {
    env: { ...process.env, ZEB_DISCOVERY: '127.255.255.255', SDL_VIDEODRIVER: 'dummy', SDL_AUDIODRIVER: 'dummy' },
    stdio: ['pipe', 'pipe', 'pipe']
  });
  const lines = [];
  let partial = '';
  const take = (chunk) => {
    partial += chunk.toString();
    const parts = partial.split('\n');
    partial = parts.pop();
    lines.push(...parts);
  };
  child.stdout.on('data', take);
  child.stderr.on('data', take);
  const server = {
    child, lines, webPort, gamePort,
    url: (query) => `http://127.0.0.1:${webPort}/${query}`,
    line: (pattern) => waitFor('a server line matching ' + pattern, () => lines.find((l) => pattern.test(l))),
    say: (text) => child.stdin.write(text + '\n'),
    stop: () => new Promise((resolve) => {
      if (child.exitCode !== null) return resolve();
      child.on('exit', resolve);
      child.kill('SIGTERM');
    })
  };
  await server.line(/hosting/);
  return server;
}

async function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.ZEB_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--disable-background-networking',
           '--disable-component-update', '--autoplay-policy=no-user-gesture-required']
  });
}

// Keeps a copy of every binary message the page's WebSockets send and receive.
function recordSocketTraffic(context) {
  return context.addInitScript(() => {
    const traffic = { sent: [], received: [], receivedAt: [], sentBytes: 0, receivedBytes: 0 };
    window.__zebTraffic = traffic;
    const Native = window.WebSocket;
    const keep = (list, data) => {
      if (list.length < 20000) list.push(Array.from(new Uint8Array(data)));
    };
    window.WebSocket = class extends Native {
      constructor(...args) {
        super(...args);
        this.addEventListener('message', (event) => {
          if (!(event.data instanceof ArrayBuffer)) return;
          traffic.receivedBytes += event.data.byteLength;
          keep(traffic.received, event.data);
          if (traffic.receivedAt.length < 20000) traffic.receivedAt.push(performance.now());
        });
      }
      send(data) {
        const bytes = data instanceof ArrayBuffer ? data : data.buffer.slice(data.byteOffset, data.byteOffset + data.byteLength);
        traffic.sentBytes += bytes.byteLength;
        keep(traffic.sent, bytes);
        super.send(data);
      }
    };
  });
}

// The compact reports the page sent since index from: the controls, and the
// own ship's motion as the host takes it (x, y, rotation as u16, vx, vy as i16).
async function reportsSince(page, from) {
  const sent = await page.evaluate((start) => window.__zebTraffic.sent.slice(start), from);
  const reports = [];
  for (const bytes of sent) {
    const b = Buffer.from(bytes);
    if (b.length < 5 || b.readInt32LE(0) !== MSG_COMPACT_REPORT) continue;
    const flags = b[4];
    const report = { flags, ship: null };
    if (flags & REPORT_MOTION) {
      const at = b.length - 10;
      report.ship = { x: b.readUInt16LE(at), y: b.readUInt16LE(at + 2), rotation: b.readUInt16LE(at + 4),
                      vx: b.readInt16LE(at + 6), vy: b.readInt16LE(at + 8) };
    }
    reports.push(report);
  }
  return { reports, next: from + sent.length };
}

// Waits for a report the page sends from now on that satisfies test.
async function nextReport(page, what, test) {
  let from = await page.evaluate(() => window.__zebTraffic.sent.length);
  return waitFor(what, async () => {
    const { reports, next } = await reportsSince(page, from);
    from = next;
    return reports.find(test);
  });
}

// Holds a control (press, then release) while the own ship is shown, until
// a report the page sends meanwhile satisfies test. The bot may shoot the
// ship, and a ship that appears under a held control rests until the next
// press: the control is then pressed again on the ship that comes back.
async function holdUntil(page, what, press, release, test) {
  const started = Date.now();
  while (Date.now() - started < DEADLINE_MS) {
    const shown = await nextReport(page, 'the own ship', (r) => r.ship !== null);
    await press();
    let from = await page.evaluate(() => window.__zebTraffic.sent.length);
    const tryStarted = Date.now();
    let found;
    let lost = false;
    while (!found && !lost && Date.now() - tryStarted < 5000) {
      await new Promise((resolve) => setTimeout(resolve, 50));
      const { reports, next } = await reportsSince(page, from);
      from = next;
      found = reports.find((r) => test(r, shown));
      lost = reports.some((r) => r.ship === null);
    }
    await release();
    if (found) return found;
  }
  throw new Error('timed out waiting for ' + what);
}

// Waits until the page's loop has run count more animation frames.
async function framesPass(page, count) {
  const frame = () => page.evaluate(() => Browser.mainLoop.currentFrameNumber);
  const start = await frame();
  await waitFor(`${count} frames`, async () => (await frame()) >= start + count);
}

async function receivedText(page, text) {
  const needle = Buffer.from(text);
  const received = await page.evaluate(() => window.__zebTraffic.received);
  return received.some((bytes) => Buffer.from(bytes).includes(needle));
}

// The RGBA pixels of a PNG screenshot (8-bit RGB or RGBA, not interlaced).
function decodePng(png) {
  let at = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString('ascii', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0) throw new Error('unexpected PNG layout');
      channels = { 2: 3, 6: 4 }[body[9]];
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? line[i - channels] : 0, b = previous[i], c = i >= channels ? previous[i - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      line[i] = (line[i] + predictor) & 0xff;
    }
    for (let x = 0; x < width; ++x) {
      for (let k = 0; k < 4; ++k) pixels[(y * width + x) * 4 + k] = k < channels ? line[x * channels + k] : 255;
    }
    previous = line;
  }
  return { width, height, pixels };
}

// Counts the pixels of a rectangle that are lit (not near black), and those
// with a clear colour (channels apart), as the score table's rows are.
function countPixels(image, left, top, right, bottom) {
  let lit = 0, coloured = 0;
  for (let y = Math.max(0, top); y < Math.min(image.height, bottom); ++y) {
    for (let x = Math.max(0, left); x < Math.min(image.width, right); ++x) {
      const i = (y * image.width + x) * 4;
      const r = image.pixels[i], g = image.pixels[i + 1], b = image.pixels[i + 2];
      if (Math.max(r, g, b) > 60) ++lit;
      if (Math.max(r, g, b) - Math.min(r, g, b) > 60) ++coloured;
    }
  }
  return { lit, coloured };
}

// The native client beside the browser, windowless (SDL's dummy drivers),
// for the figures: it plays frames game frames and ends; resolves with its
// wall and processor seconds.
function runNativeClient(server, frames, home) {
  return new Promise((resolve, reject) => {
    const child = spawn('/usr/bin/time', ['-f', '%e %U %S', CLIENT, '--connect', `127.0.0.1:${server.gamePort}`,
                                          '--name', 'Native', '--frames', String(frames), '--no-record'], {
      env: { ...process.env, ZEB_DISCOVERY: '127.255.255.255', SDL_VIDEODRIVER: 'dummy', SDL_AUDIODRIVER: 'dummy',
             XDG_CONFIG_HOME: home, XDG_DATA_HOME: home, XDG_STATE_HOME: home, DISPLAY: '' },
      stdio: ['ignore', 'ignore', 'pipe']
    });
    let errors = '';
    child.stderr.on('data', (chunk) => { errors += chunk; });
    child.on('error', reject);
    child.on('exit', () => {
      const last = errors.trim().split('\n').pop().split(' ').map(Number);
      resolve({ wall: last[0], cpu: last[1] + last[2] });
    });
  });
}

module.exports = {
  runNativeClient,
  REPORT_FIRE, REPORT_THRUST, REPORT_LEFT, REPORT_RIGHT, REPORT_ACK, REPORT_MOTION,
  startServer, launchBrowser, recordSocketTraffic, reportsSince, nextReport, holdUntil, framesPass, receivedText,
  waitFor,
  decodePng, countPixels
};
