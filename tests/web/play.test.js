'use strict';
// A browser player in a dedicated server's game beside a Linux bot: it is
// listed, its ship answers the keys, chat crosses both ways and the page
// shows the field and the score table. Prints the figures of the run.
const test = require('node:test');
const assert = require('node:assert');
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
  const shown = await web.nextReport(page, 'a report with the ship', (r) => r.ship !== null);
  const joinMs = Date.now() - opened;

  // The ship turns right while the key is held, then thrusts.
  await page.keyboard.down('ArrowRight');
  const turned = await web.nextReport(page, 'a turn to the right',
                                      (r) => (r.flags & web.REPORT_RIGHT) && r.ship && r.ship.rotation !== shown.ship.rotation);
  await page.keyboard.up('ArrowRight');
  assert.ok(turned.ship.rotation !== shown.ship.rotation);
  await page.keyboard.down('ArrowUp');
  const moved = await web.nextReport(page, 'thrust that moves the ship',
                                     (r) => (r.flags & web.REPORT_THRUST) && r.ship && (r.ship.vx !== 0 || r.ship.vy !== 0));
  await page.keyboard.up('ArrowUp');
  assert.ok(moved.ship.vx !== 0 || moved.ship.vy !== 0);

  // Chat: the page's line reaches the server, the operator's reaches the page.
  await page.keyboard.press('t');
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

  // Figures over a few seconds of play: the tab's animation frames and
  // processor time, and the traffic of this one browser player.
  const before = await figures(page, cdp);
  await new Promise((resolve) => setTimeout(resolve, 5000));
  const after = await figures(page, cdp);
  const seconds = (after.at - before.at) / 1000;
  console.log(`figures: page to first report of the ship ${joinMs} ms; ` +
              `${((after.frames - before.frames) / seconds).toFixed(1)} frames/s; ` +
              `tab processor ${(100 * (after.cpu - before.cpu) / seconds).toFixed(1)} %; ` +
              `received ${((after.received - before.received) / seconds).toFixed(0)} B/s, ` +
              `sent ${((after.sent - before.sent) / seconds).toFixed(0)} B/s`);
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
