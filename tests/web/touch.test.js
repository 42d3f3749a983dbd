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

  // Each button is a thumb's size at least, and they do not cover one another.
  const boxes = {};
  for (const id of ['turn-left', 'turn-right', 'thrust', 'fire']) {
    boxes[id] = await page.locator('#' + id).boundingBox();
    assert.ok(boxes[id] && boxes[id].width >= 64 && boxes[id].height >= 64, `${id}: ${JSON.stringify(boxes[id])}`);
  }
  const centre = (id, touchId) => ({ x: boxes[id].x + boxes[id].width / 2, y: boxes[id].y + boxes[id].height / 2,
                                     id: touchId });
  const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });

  const turned = await web.holdUntil(page, 'a turn to the left', () => touch('touchStart', [centre('turn-left', 1)]),
                                     () => touch('touchEnd', []),
                                     (r, shown) => r.flags & web.REPORT_LEFT && r.ship && r.ship.rotation !== shown.ship.rotation);
  assert.ok(turned.flags & web.REPORT_LEFT);

  // Two fingers: thrust, then fire beside it, held together.
  const both = await web.holdUntil(page, 'thrust and fire together', async () => {
    await touch('touchStart', [centre('thrust', 2)]);
    await touch('touchStart', [centre('thrust', 2), centre('fire', 3)]);
  }, () => touch('touchEnd', []), (r) => r.flags & web.REPORT_THRUST && r.flags & web.REPORT_FIRE);
  assert.ok(both.flags & web.REPORT_THRUST && both.flags & web.REPORT_FIRE);
});
