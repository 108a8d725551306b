// The browser edition on phones and tablets, in Chromium's emulation of touch screens (Safari on
// an iPhone cannot run here): the court fits every screen, the on-screen controls hold the arrow
// keys exactly as the keyboard does, a tap starts the match with its sound, and no browser gesture
// scrolls or zooms the page.
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { launch } from './engines.mjs';
import { openPage, paddleIn, paddleStrip, serve, unpackSite, waitFrames, waitReady } from './browser.mjs';

const { scratch, site } = unpackSite();
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let server;
let browser;

before(async () => {
  [server, browser] = await Promise.all([serve(site), launch('chromium')]);
});
after(async () => {
  await browser?.close();
  server?.close();
});

// Screens in CSS px, the parts of them kept clear of a notch and rounded corners, and what the
// court fills on each. In this order, the second is the first turned upright: the page follows the
// rotation.
const devices = [
  { name: 'phone held sideways', width: 915, height: 412, scale: 2.625, fills: 'height' },
  { name: 'phone upright', width: 412, height: 915, scale: 2.625, fills: 'width' },
  { name: 'small phone held sideways', width: 740, height: 360, scale: 1, fills: 'height' },
  { name: 'tablet held sideways', width: 1180, height: 820, scale: 2, fills: '800 x 600 or more' },
  { name: 'phone with a notch held sideways', width: 844, height: 390, scale: 3, fills: 'height',
    insets: { left: 47, right: 47, top: 0, bottom: 21 } },
];
const phone = { ...devices[0], touch: true };

// The page's layout: the court, the controls by the arrow their names say, and how far it scrolls.
const layout = (page) => page.evaluate(() => {
  const box = (element) => {
    const { x, y, width, height } = element.getBoundingClientRect();
    return { x, y, width, height, right: x + width, bottom: y + height };
  };
  const controls = {};
  for (const button of document.querySelectorAll('button')) {
    const arrow = /\b(up|down|left|right)\b/i.exec(button.getAttribute('aria-label'));
    controls[arrow ? arrow[1].toLowerCase() : button.getAttribute('aria-label')] = box(button);
  }
  const canvas = document.getElementById('canvas');
  const scroller = document.scrollingElement;
  return {
    court: box(canvas), controls, smooth: getComputedStyle(canvas).imageRendering !== 'pixelated',
    scroll: [scroller.scrollWidth - innerWidth, scroller.scrollHeight - innerHeight, scrollX, scrollY],
    zoom: visualViewport.scale, viewport: { width: innerWidth, height: innerHeight },
  };
});

// Fingers on the controls named (up, down, left, right) or at points, held for MS and lifted.
async function touchHold(page, where, ms) {
  const { controls } = await layout(page);
  const points = where.map((at) => (typeof at === 'string'
    ? [controls[at].x + controls[at].width / 2, controls[at].y + controls[at].height / 2] : at));
  const fingers = [];
  for (const [x, y] of points) {
    fingers.push(await page.touchStart(x, y));
  }
  await sleep(ms);
  for (const finger of fingers) {
    await finger.end();
  }
}

// The key events that reach the game (it reads them on window), from here on.
const recordKeys = (page) => page.evaluate(() => {
  window.keysSeen = [];
  for (const type of ['keydown', 'keyup']) {
    window.addEventListener(type, (e) => window.keysSeen.push(`${type} ${e.key} ${e.code} ${e.keyCode} ${e.which}`), true);
  }
});
const keysSeen = (page) => page.evaluate(() => window.keysSeen.splice(0));
// The key events (type and key) seen once COUNT have arrived, or after a second.
async function keysNow(page, count) {
  await page.waitFor((n) => window.keysSeen.length >= n, { timeout: 1000 }, count).catch(() => {});
  return (await keysSeen(page)).map((e) => e.split(' ').slice(0, 2).join(' '));
}

test('the whole court fits every screen, as large as the controls leave room for, and nothing scrolls', async () => {
  const page = await openPage(browser, server, { viewport: { ...devices[0], touch: true } });
  await waitReady(page);
  const cdp = await page.cdp();
  for (const device of devices) {
    const insets = { left: 0, right: 0, top: 0, bottom: 0, ...device.insets };
    await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets });
    await page.resize({ ...device, touch: true });
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const { court, controls, scroll, viewport, smooth } = await layout(page);
    const where = `${device.name}: ${JSON.stringify({ court, controls })}`;
    assert.deepEqual(viewport, { width: device.width, height: device.height }, where);
    assert.deepEqual(scroll, [0, 0, 0, 0], `the page scrolls on the ${where}`);
    const safe = { x: insets.left, y: insets.top, right: device.width - insets.right, bottom: device.height - insets.bottom };
    const inside = (box) => box.x >= safe.x && box.y >= safe.y && box.right <= safe.right && box.bottom <= safe.bottom;
    assert.ok(inside(court), `the court is not whole on the ${where}`);
    assert.equal(Math.round(court.width * device.scale) * 3, Math.round(court.height * device.scale) * 4, where);
    // Whole screen pixels, in whole multiples of 4 : 3, short of the edge by less than 4.
    const short = (size, edge) => edge - size >= 0 && edge - size < 4 / device.scale;
    assert.ok({ height: short(court.height, safe.bottom - safe.y), width: short(court.width, safe.right - safe.x),
                '800 x 600 or more': court.width >= 800 }[device.fills], `the court does not fill the ${where}`);
    // Below one screen pixel per court pixel, smooth; else nearest-pixel.
    assert.equal(smooth, court.width * device.scale < 800, where);
    const sideways = device.width > device.height;
    for (const [name, control] of Object.entries(controls)) {
      assert.ok(control.width >= 44 && control.height >= 44, `${name} is too small on the ${where}`);
      assert.ok(inside(control), `${name} is off the ${where}`);
      const clear = control.right <= court.x || control.x >= court.right
        || control.bottom <= court.y || control.y >= court.bottom;
      assert.ok(clear, `${name} covers the court on the ${where}`);
    }
    // Moving on one side and tilting on the other when sideways; below the court when upright.
    const placed = sideways
      ? controls.up.right <= court.x && controls.down.right <= court.x
        && controls.left.x >= court.right && controls.right.x >= court.right
      : ['up', 'down', 'left', 'right'].every((name) => controls[name].y >= court.bottom);
    assert.ok(placed, `the controls are misplaced on the ${where}`);
  }
  await page.close();
});

test('a tap starts the match as it ends, with sound; the controls steer as the keys do', async () => {
  const page = await openPage(browser, server, { viewport: phone });
  await waitReady(page);
  const { court } = await layout(page);
  // Started as the tap ends (a browser sounds only then), not as it begins.
  const finger = await page.touchStart(court.x + court.width / 2, court.y + court.height / 2);
  await sleep(500);
  assert.deepEqual(await page.evaluate(() => [window.__quorvix.frames, Boolean(window.__quorvix.audio.context)]),
                   [0, false], 'the match started as the finger came down');
  await finger.end();
  await page.waitFor(() => window.Module.SDL2?.audioContext?.state === 'running', { timeout: 10000 });

  // After the first point (frame 82) the ball is away from the paddle's strip for some 3.5 s.
  await waitFrames(page, 84);
  const snap = async (name) => paddleIn(await paddleStrip(page, path.join(scratch, `${name}.ppm`)), name);
  await touchHold(page, ['up'], 700);
  const byControl = await snap('up-control');
  await page.keyDown('ArrowDown');
  await sleep(400);
  await page.keyUp('ArrowDown');
  await page.keyDown('ArrowUp');
  await sleep(700);
  await page.keyUp('ArrowUp');
  const byKey = await snap('up-key');
  await touchHold(page, ['up', 'right'], 300);
  const tilted = await snap('up-and-right');
  assert.deepEqual(byControl, byKey, 'the up control and the Up key leave the paddle in different places');
  assert.equal(byKey.y0, 0, 'held up, the paddle is at the top');
  assert.ok(tilted.x1 - tilted.x0 > 32 && tilted.topLeft > tilted.bottomLeft && tilted.y0 < 20,
            `up and right together move and tilt the paddle: ${JSON.stringify(tilted)}`);

  // Sound suspended while the page was away (another app, a locked phone) is back with it.
  await page.evaluate(() => window.Module.SDL2.audioContext.suspend()
    .then(() => document.dispatchEvent(new Event('visibilitychange'))));
  await page.waitFor(() => window.Module.SDL2.audioContext.state === 'running', { timeout: 5000 });

  // Each control sends what its key sends.
  await recordKeys(page);
  for (const [name, key] of [['up', 'ArrowUp'], ['down', 'ArrowDown'], ['left', 'ArrowLeft'], ['right', 'ArrowRight']]) {
    await page.keyDown(key);
    await page.keyUp(key);
    const typed = await keysSeen(page);
    await touchHold(page, [name], 50);
    assert.deepEqual(await keysSeen(page), typed, `the ${name} control`);
  }
  assert.deepEqual(await page.problems(), []);
  await page.close();
});

test('fingers let their keys go as they slide, lift or the page loses focus; no gesture scrolls or zooms', async () => {
  const page = await openPage(browser, server, { viewport: phone });
  await waitReady(page);
  const { controls, court } = await layout(page);
  const centre = (name) => [controls[name].x + controls[name].width / 2, controls[name].y + controls[name].height / 2];
  await recordKeys(page);
  // One finger from up onto down, then off onto the court; two held until the page loses focus.
  const finger = await page.touchStart(...centre('up'));
  await finger.move(...centre('down'));
  await finger.move(court.x + 10, court.y + 10);
  assert.deepEqual(await keysNow(page, 4), ['keydown ArrowUp', 'keyup ArrowUp', 'keydown ArrowDown', 'keyup ArrowDown']);
  await finger.end();
  const both = [await page.touchStart(...centre('up')), await page.touchStart(...centre('left'))];
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  assert.deepEqual(await keysNow(page, 4), ['keydown ArrowUp', 'keydown ArrowLeft', 'keyup ArrowUp', 'keyup ArrowLeft']);
  await Promise.all(both.map((f) => f.end()));
  assert.deepEqual(await keysNow(page, 1), [], 'keys sent after the fingers had let go');

  // A pinch and swipes both ways, in steps as fingers move, beside the court (on the court the
  // game takes the touches itself); a double tap on a control.
  const cdp = await page.cdp();
  const touches = (type, points) => cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
  const [x, y] = [court.x / 2, court.bottom - 60];
  await touches('touchStart', [[x - 20, y], [x + 20, y]]);
  for (let d = 30; d <= 80; d += 10) {
    await touches('touchMove', [[x - d, y], [x + d, y]]);
  }
  await touches('touchEnd', []);
  for (const way of [1, -1]) {
    await touches('touchStart', [[x, y]]);
    for (let d = 20; d <= 200; d += 20) {
      await touches('touchMove', [[x, y + d * way]]);
    }
    await touches('touchEnd', []);
  }
  await touchHold(page, ['down'], 30);
  await touchHold(page, ['down'], 30);
  await sleep(500);
  const { scroll, zoom } = await layout(page);
  assert.deepEqual([...scroll, zoom], [0, 0, 0, 0, 1], 'scrolled or zoomed');

  // The full-screen control puts the stage, controls and all, in full screen, and takes it back.
  await touchHold(page, ['Full screen'], 30);
  await page.waitFor(() => document.fullscreenElement?.id === 'stage', { timeout: 5000 });
  await touchHold(page, ['Full screen'], 30);
  await page.waitFor(() => document.fullscreenElement === null, { timeout: 5000 });
  assert.deepEqual(await page.problems(), []);
  await page.close();
});
