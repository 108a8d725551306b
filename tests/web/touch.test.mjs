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
// court fills on each. The second is the first turned upright: the page follows the rotation.
const devices = [
  { name: 'phone held sideways', width: 915, height: 412, scale: 2.625, fills: 'height' },
  { name: 'phone upright', width: 412, height: 915, scale: 2.625, fills: 'width' },
  { name: 'small phone held sideways', width: 740, height: 360, scale: 1, fills: 'height' },
  { name: 'tablet held sideways', width: 1180, height: 820, scale: 2, fills: '0.9 of the height' },
  { name: 'phone with a notch held sideways', width: 844, height: 390, scale: 3, fills: 'height',
    insets: { left: 47, right: 47, top: 0, bottom: 21 } },
];

// A phone held sideways, ready to play, the key events reaching the game (on window) recorded.
async function openPhone() {
  const page = await openPage(browser, server, { viewport: { ...devices[0], touch: true } });
  await waitReady(page);
  await page.evaluate(() => {
    window.keysSeen = [];
    for (const type of ['keydown', 'keyup']) {
      window.addEventListener(type, (e) => window.keysSeen.push(`${type} ${e.key} ${e.code} ${e.keyCode} ${e.which}`), true);
    }
  });
  return page;
}

// The key events seen since last asked, once COUNT have arrived or after a second.
async function keysNow(page, count) {
  await page.waitFor((n) => window.keysSeen.length >= n, { timeout: 1000 }, count).catch(() => {});
  return page.evaluate(() => window.keysSeen.splice(0));
}

// The court and the controls (by the arrow their names say), with their centres, and how far the
// page scrolls and zooms.
const layout = (page) => page.evaluate(() => {
  const box = (element) => {
    const { x, y, width, height } = element.getBoundingClientRect();
    return { x, y, width, height, right: x + width, bottom: y + height, centre: [x + width / 2, y + height / 2] };
  };
  const controls = {};
  for (const button of document.querySelectorAll('button')) {
    const label = button.getAttribute('aria-label');
    controls[(/\b(up|down|left|right)\b/i.exec(label) || [, label])[1].toLowerCase()] = box(button);
  }
  const canvas = document.getElementById('canvas');
  const scroller = document.scrollingElement;
  return {
    court: box(canvas), controls, smooth: getComputedStyle(canvas).imageRendering !== 'pixelated',
    moved: [scroller.scrollWidth - innerWidth, scroller.scrollHeight - innerHeight, scrollX, scrollY, visualViewport.scale - 1],
  };
});

// Fingers on the controls NAMES (up, down, left, right, full screen), held for MS and lifted.
async function touchHold(page, names, ms) {
  const { controls } = await layout(page);
  const fingers = [];
  for (const name of names) {
    fingers.push(await page.touchStart(...controls[name].centre));
  }
  await sleep(ms);
  for (const finger of fingers) {
    await finger.end();
  }
}

test('the whole court fits every screen, as large as the controls leave room for, and nothing scrolls', async () => {
  const page = await openPhone();
  const cdp = await page.cdp();
  for (const device of devices) {
    const insets = { left: 0, right: 0, top: 0, bottom: 0, ...device.insets };
    await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets });
    await page.resize({ ...device, touch: true });
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const { court, controls, moved, smooth } = await layout(page);
    const where = `${device.name}: ${JSON.stringify({ court, controls })}`;
    assert.deepEqual(moved, [0, 0, 0, 0, 0], `the page scrolls on the ${where}`);
    const safe = { x: insets.left, y: insets.top, right: device.width - insets.right, bottom: device.height - insets.bottom };
    const inside = (box) => box.x >= safe.x && box.y >= safe.y && box.right <= safe.right && box.bottom <= safe.bottom;
    assert.ok(inside(court), `the court is not whole on the ${where}`);
    assert.equal(Math.round(court.width * device.scale) * 3, Math.round(court.height * device.scale) * 4, where);
    // Whole screen pixels, in whole multiples of 4 : 3, short of the edge by less than 4.
    const short = (size, edge) => edge - size >= 0 && edge - size < 4 / device.scale;
    assert.ok({ height: short(court.height, safe.bottom - safe.y), width: short(court.width, safe.right - safe.x),
                '0.9 of the height': court.height >= 0.9 * device.height }[device.fills], `the court does not fill the ${where}`);
    // Below one screen pixel per court pixel, smooth; else nearest-pixel.
    assert.equal(smooth, court.width * device.scale < 800, where);
    for (const [name, control] of Object.entries(controls)) {
      assert.ok(control.width >= 44 && control.height >= 44 && inside(control), `${name} is too small or off the ${where}`);
      assert.ok(control.right <= court.x || control.x >= court.right || control.bottom <= court.y || control.y >= court.bottom,
                `${name} covers the court on the ${where}`);
    }
    // Moving on one side and tilting on the other when sideways; below the court when upright.
    const { up, down, left, right } = controls;
    assert.ok(device.width > device.height
      ? Math.max(up.right, down.right) <= court.x && Math.min(left.x, right.x) >= court.right
      : Math.min(up.y, down.y, left.y, right.y) >= court.bottom, `the controls are misplaced on the ${where}`);
  }
  await page.close();
});

test('a tap starts the match as it ends, with sound; the controls steer as the keys do', async () => {
  const page = await openPhone();
  // Started as the tap ends (a browser sounds only then), not as it begins.
  const finger = await page.touchStart(...(await layout(page)).court.centre);
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
  for (const [key, ms] of [['ArrowDown', 400], ['ArrowUp', 700]]) {
    await page.keyDown(key);
    await sleep(ms);
    await page.keyUp(key);
  }
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
  await keysNow(page, 0);
  for (const [name, key] of [['up', 'ArrowUp'], ['down', 'ArrowDown'], ['left', 'ArrowLeft'], ['right', 'ArrowRight']]) {
    await page.keyDown(key);
    await page.keyUp(key);
    const typed = await keysNow(page, 2);
    await touchHold(page, [name], 50);
    assert.deepEqual(await keysNow(page, 2), typed, `the ${name} control`);
  }
  assert.deepEqual(await page.problems(), []);
  await page.close();
});

test('fingers let their keys go as they slide, lift or the page loses focus; no gesture scrolls or zooms', async () => {
  const page = await openPhone();
  const { controls, court } = await layout(page);
  const seen = async (count) => (await keysNow(page, count)).map((e) => e.split(' ', 2).join(' '));
  // One finger from up onto down, then off onto the court; two held until the page loses focus.
  const finger = await page.touchStart(...controls.up.centre);
  await finger.move(...controls.down.centre);
  await finger.move(court.x + 10, court.y + 10);
  assert.deepEqual(await seen(4), ['keydown ArrowUp', 'keyup ArrowUp', 'keydown ArrowDown', 'keyup ArrowDown']);
  await finger.end();
  const both = [await page.touchStart(...controls.up.centre), await page.touchStart(...controls.left.centre)];
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  assert.deepEqual(await seen(4), ['keydown ArrowUp', 'keydown ArrowLeft', 'keyup ArrowUp', 'keyup ArrowLeft']);
  await Promise.all(both.map((f) => f.end()));
  assert.deepEqual(await seen(1), [], 'keys sent after the fingers had let go');
  // The page losing focus held the game (the Pause button says so); a tap on the court plays on.
  const held = (state) => document.getElementById('hold').getAttribute('aria-pressed') === state;
  await page.waitFor(held, { timeout: 2000 }, 'true');
  await (await page.touchStart(...court.centre)).end();
  await page.waitFor(held, { timeout: 2000 }, 'false');

  // A pinch and swipes both ways, in steps as fingers move, beside the court (on the court the
  // game takes the touches itself); a double tap on a control.
  const cdp = await page.cdp();
  const stroke = async (from, step) => {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: from.map(([x, y], id) => ({ x, y, id })) });
    for (let i = 1; i <= 8; i++) {
      const touchPoints = from.map(([x, y], id) => ({ x: x + i * step[id][0], y: y + i * step[id][1], id }));
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints });
    }
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  };
  const [x, y] = [court.x / 2, court.bottom - 60];
  await stroke([[x - 20, y], [x + 20, y]], [[-8, 0], [8, 0]]);
  await stroke([[x, y]], [[0, 25]]);
  await stroke([[x, y]], [[0, -25]]);
  await touchHold(page, ['down'], 30);
  await touchHold(page, ['down'], 30);
  await sleep(500);
  assert.deepEqual((await layout(page)).moved, [0, 0, 0, 0, 0], 'scrolled or zoomed');

  // The full-screen control puts the stage, controls and all, in full screen, and takes it back.
  await touchHold(page, ['full screen'], 30);
  await page.waitFor(() => document.fullscreenElement?.id === 'stage', { timeout: 5000 });
  await touchHold(page, ['full screen'], 30);
  await page.waitFor(() => document.fullscreenElement === null, { timeout: 5000 });
  assert.deepEqual(await page.problems(), []);
  await page.close();
});
