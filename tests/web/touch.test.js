'use strict';
// A phone held sideways: the drawn buttons turn the ship, and thrust and
// fire held together with two fingers both reach the host.
const test = require('node:test');
const assert = require('node:assert');
const { devices } = require('playwright-core');
const web = require('./zebweb');

test('the touch buttons of a phone steer the ship', async (t) => {
  const server = await web.startServer();
  const browser = await web.launchBrowser();
  t.after(async () => {
    await browser.close();
    await server.stop();
  });
  const context = await browser.newContext({ ...devices['Pixel 7 landscape'] });
  await web.recordSocketTraffic(context);
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await page.goto(server.url('?name=Thumbs'));
  await server.line(/joined as Thumbs/);
  const shown = await web.nextReport(page, 'a report with the ship', (r) => r.ship !== null);

  // Each button is a thumb's size at least, and they do not cover one another.
  const boxes = {};
  for (const id of ['turn-left', 'turn-right', 'thrust', 'fire']) {
    boxes[id] = await page.locator('#' + id).boundingBox();
    assert.ok(boxes[id] && boxes[id].width >= 64 && boxes[id].height >= 64, `${id}: ${JSON.stringify(boxes[id])}`);
  }
  const centre = (id, touchId) => ({ x: boxes[id].x + boxes[id].width / 2, y: boxes[id].y + boxes[id].height / 2,
                                     id: touchId });
  const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });

  await touch('touchStart', [centre('turn-left', 1)]);
  const turned = await web.nextReport(page, 'a turn to the left',
                                      (r) => (r.flags & web.REPORT_LEFT) && r.ship && r.ship.rotation !== shown.ship.rotation);
  await touch('touchEnd', []);
  await web.nextReport(page, 'the turn let go', (r) => (r.flags & (web.REPORT_LEFT | web.REPORT_RIGHT)) === 0);
  assert.ok(turned.ship.rotation !== shown.ship.rotation);

  await touch('touchStart', [centre('thrust', 2)]);
  await touch('touchStart', [centre('thrust', 2), centre('fire', 3)]);
  const both = await web.nextReport(page, 'thrust and fire together',
                                    (r) => (r.flags & web.REPORT_THRUST) && (r.flags & web.REPORT_FIRE));
  await touch('touchEnd', []);
  assert.ok(both.flags & web.REPORT_THRUST && both.flags & web.REPORT_FIRE);
});
