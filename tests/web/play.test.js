'use strict';
// A browser player in a dedicated server's game beside a Linux bot: it is
// listed, its ship answers the keys, chat crosses both ways and the page
// shows the field and the score table. Prints the figures of the run.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const web = require('./zebweb');

test('a browser joins, plays and chats in a dedicated server\'s game', async (t) => {
  const server = await web.startServer();
  const browser = await web.launchBrowser();
  t.after(async () => {
    await browser.close();
    await server.stop();
  });
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  await web.recordSocketTraffic(context);
  const page = await context.newPage();
  const cdp = await browser.newBrowserCDPSession();

  const opened = Date.now();
  await page.goto(server.url('?name=Webby'));
  await server.line(/joined as Webby/);
  await web.nextReport(page, 'a report with the ship', (r) => r.ship !== null);
  const joinMs = Date.now() - opened;

  // The ship turns right while the key is held, and thrust moves it.
  const key = (name) => [() => page.keyboard.down(name), () => page.keyboard.up(name)];
  const turned = await web.holdUntil(page, 'a turn to the right', ...key('ArrowRight'),
                                     (r, shown) => r.flags & web.REPORT_RIGHT && r.ship && r.ship.rotation !== shown.ship.rotation);
  assert.ok(turned.flags & web.REPORT_RIGHT);
  const moved = await web.holdUntil(page, 'thrust that moves the ship', ...key('ArrowUp'),
                                    (r) => r.flags & web.REPORT_THRUST && r.ship && (r.ship.vx !== 0 || r.ship.vy !== 0));
  assert.ok(moved.flags & web.REPORT_THRUST);

  // Chat: the page's line reaches the server, the operator's reaches the page.
  // T opens the chat line when a game frame sees it down: held for a few frames.
  await page.keyboard.down('t');
  await web.framesPass(page, 4);
  await page.keyboard.up('t');
  await page.keyboard.type('hello from the web');
  await page.keyboard.press('Enter');
  await server.line(/Webby: hello from the web/);
  server.say('hello browser');
  await web.waitFor('the operator\'s line in the page', () => web.receivedText(page, 'hello browser'));

  // The picture: the field's lines in the square play area, the score table's
  // coloured rows in its top left corner, black beside the square.
  const image = web.decodePng(await page.screenshot());
  const side = Math.min(image.width, image.height);
  const left = Math.floor((image.width - side) / 2);
  const table = web.countPixels(image, left, 0, left + side / 3, side / 4);
  const field = web.countPixels(image, left, side / 4, left + side, side);
  const beside = web.countPixels(image, 0, side / 4, left - 4, side);
  assert.ok(table.coloured > 100, `score table: ${JSON.stringify(table)}`);
  assert.ok(field.lit > 200, `field: ${JSON.stringify(field)}`);
  assert.ok(beside.lit < 50, `beside the play area: ${JSON.stringify(beside)}`);

  // Figures over the same seconds of play: the tab's animation frames and
  // processor time beside a native client's, and this browser player's traffic.
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'zeb-web-'));
  t.after(() => fs.rmSync(home, { recursive: true, force: true }));
  const nativeFrames = 270;
  const before = await figures(page, cdp);
  const native = await web.runNativeClient(server, nativeFrames, home);
  const after = await figures(page, cdp);
  const seconds = (after.at - before.at) / 1000;
  console.log(`figures: page opened to its ship reported ${joinMs} ms; over ${seconds.toFixed(1)} s: ` +
              `browser ${((after.frames - before.frames) / seconds).toFixed(1)} animation frames/s, ` +
              `tab processor ${(100 * (after.cpu - before.cpu) / seconds).toFixed(1)} %; ` +
              `native ${nativeFrames} game frames in ${native.wall} s (start and join included), ` +
              `processor ${(100 * native.cpu / native.wall).toFixed(1)} %; ` +
              `browser player received ${((after.received - before.received) / seconds).toFixed(0)} B/s, ` +
              `sent ${((after.sent - before.sent) / seconds).toFixed(0)} B/s`);
});

// A watcher in a game without ships hears next to nothing of the game, yet
// its link must not look lost: "Connection lost ..." shows after 1.25 s
// without a word from the host. The page speaks German when asked.
test('a quiet game keeps the page\'s link alive, in the page\'s language', async (t) => {
  const server = await web.startServer({ bots: 0 });
  const browser = await web.launchBrowser();
  t.after(async () => {
    await browser.close();
    await server.stop();
  });
  const context = await browser.newContext({ viewport: { width: 800, height: 800 } });
  await web.recordSocketTraffic(context);
  const page = await context.newPage();
  await page.goto(server.url('?name=Quiet&watch=1&lang=de'));
  await server.line(/watches as Quiet/);
  const from = await page.evaluate(() => performance.now());
  await web.framesPass(page, 240);
  const gaps = await page.evaluate((start) => {
    const at = window.__zebTraffic.receivedAt.filter((time) => time >= start);
    return at.slice(1).map((time, i) => time - at[i]);
  }, from);
  assert.ok(gaps.length >= 4 && Math.max(...gaps) < 1250, `gaps between the host's messages: ${gaps}`);

  // The page speaks the language its address names, its own texts too.
  await server.stop();
  await web.waitFor('the German end of the game', async () =>
    (await page.locator('#ended-text').textContent()) === 'Der Host hat das Spiel beendet.');
  assert.strictEqual(await page.locator('#again').textContent(), 'Erneut beitreten');
});

async function figures(page, cdp) {
  const state = await page.evaluate(() => ({
    frames: window.Browser ? Browser.mainLoop.currentFrameNumber : 0,
    received: window.__zebTraffic.receivedBytes,
    sent: window.__zebTraffic.sentBytes
  }));
  const info = await cdp.send('SystemInfo.getProcessInfo').catch(() => ({ processInfo: [] }));
  const cpu = info.processInfo.filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.cpuTime, 0);
  return { ...state, cpu, at: Date.now() };
}
