// The browser edition played in one browser engine (QUORVIX_WEB_ENGINE, a name from engines.mjs),
// from its published zip, and watched from outside the game (observe.js): the page waits for the
// person, then the game draws, steers and sounds exactly as natively. The frames and sounds are
// checked with the native tests' own expectations and helpers. CTest runs it once per engine.
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { launch } from './engines.mjs';
import {
  openPage, paddleIn, paddleStrip, runTool, serve, setting, unpackSite, waitFrames, waitReady, writeBase64,
} from './browser.mjs';

const frameShapes = setting('QUORVIX_FRAMES');
const res = setting('QUORVIX_RES');
const { scratch, site } = unpackSite();
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let server;
let browser;

before(async () => {
  [server, browser] = await Promise.all([serve(site), launch(setting('QUORVIX_WEB_ENGINE'))]);
  console.log(`${browser.label} ${browser.version}`);
});
after(async () => {
  await browser?.close();
  server?.close();
});

async function checkFrame(page, frame, shapes) {
  const ppm = await page.evaluate((n) => window.__quorvix.captured.get(n), frame);
  assert.ok(ppm, `frame ${frame} was not captured`);
  const file = writeBase64(path.join(scratch, `${path.basename(shapes, '.shapes')}.ppm`), ppm);
  const result = await runTool('check_frame', [file, shapes]);
  assert.equal(result.status, 0, `frame ${frame} against ${path.basename(shapes)}:\n${result.output}`);
}

test('the page loads cleanly, counts its download, and runs nothing before the first click or key press', async () => {
  // A window smaller than the page, so that arrow keys reaching the page would scroll it.
  const page = await openPage(browser, server, { viewport: { width: 900, height: 400 } });
  await waitReady(page);
  // Keys pressed outside the game's area neither start it nor scroll the page.
  await page.evaluate(() => document.activeElement.blur());
  for (const key of ['ArrowDown', 'ArrowDown', 'ArrowRight']) {
    await page.press(key);
  }
  await sleep(1000);
  const state = await page.evaluate(() => ({
    scrollY: window.scrollY,
    title: document.title,
    frames: window.__quorvix.frames,
    audio: Boolean(window.__quorvix.audio.context),
    prompts: window.__quorvix.prompts,
    keys: document.getElementById('keys').textContent.replace(/\s+/g, ' ').trim(),
    canvas: ((c) => [c.width, c.height, c.clientWidth, c.clientHeight, getComputedStyle(c).imageRendering])(
      document.getElementById('canvas')),
    // A desktop's page, without the controls of touch screens.
    controls: [...document.querySelectorAll('.controls button')].filter((button) => button.offsetWidth > 0).length,
  }));
  assert.deepEqual(await page.problems(), []);
  assert.equal(state.scrollY, 0, 'arrow keys scrolled the page');
  assert.equal(state.title, 'Quorvix');
  assert.equal(state.frames, 0, 'frames were drawn before the person asked to play');
  assert.equal(state.audio, false, 'audio was opened before the person asked to play');
  // The download is counted up to its total, then the prompt to play is shown.
  assert.match(state.prompts.join(' | '), /\| Loading… (\d+\.\d) MB of \1 MB \| Click here or press a key to play$/);
  assert.match(state.keys, /↑ ↓ move your paddle · → ← tilt it/);
  assert.deepEqual(state.canvas, [800, 600, 800, 600, 'pixelated']);
  assert.equal(state.controls, 0, 'touch controls on a desktop');
  await page.close();
});

// One match, watched from its first frame, serves the next three cases in turn: the keys steer
// right after the first point, then the frames it showed are checked, then its sounds.
let match;
function theMatch() {
  match ??= (async () => {
    // A page taller than the window, so that arrow keys reaching the page would scroll it.
    const page = await openPage(browser, server, { frames: [1, 60, 82], viewport: { width: 900, height: 400 } });
    await waitReady(page);
    await page.click('#game');
    return page;
  })();
  return match;
}

test('the four arrow keys steer the paddle as natively, and never scroll the page', async () => {
  const page = await theMatch();
  // After the first point (frame 82) the ball is served to the right: it is back in the paddle's
  // strip some 3.5 s later. The whole sequence takes about 2 s.
  await waitFrames(page, 84);
  const began = Date.now();
  // Snapshots of the paddle's strip (x 0..120) are taken during the sequence and described by
  // frame_region afterwards.
  const snapshots = [];
  const snap = async () => snapshots.push(await paddleStrip(page, path.join(scratch, `keys${snapshots.length + 1}.ppm`)));
  const hold = async (key, ms) => {
    await page.keyDown(key);
    await sleep(ms);
    await page.keyUp(key);
    await sleep(60);
    await snap();
  };
  const scrolled = await page.evaluate(() => window.scrollY);
  await snap();
  await hold('ArrowUp', 250);
  await hold('ArrowDown', 500);
  await hold('ArrowRight', 150);
  await hold('ArrowLeft', 300);
  await sleep(200);
  await snap();
  const tookMs = Date.now() - began;
  assert.equal(await page.evaluate(() => window.scrollY), scrolled, 'the arrow keys scrolled the page');

  const [start, up, down, right, left, still] = await Promise.all(
    snapshots.map((file) => paddleIn(file, `sequence took ${tookMs} ms`)));
  assert.deepEqual([start.x0, start.y0, start.x1], [24, 236, 56], 'upright at mid-height');
  assert.ok(up.y0 < 236, `Up: top row ${up.y0}, not above 236`);
  assert.deepEqual([up.x0, up.x1], [24, 56], 'Up keeps it upright');
  assert.ok(down.y0 > 236, `Down for twice as long: top row ${down.y0}, not below 236`);
  assert.ok(right.x1 - right.x0 > 32 && right.topLeft > right.bottomLeft,
            `Right tilts it clockwise (top end to the right): ${JSON.stringify(right)}`);
  assert.ok(left.x1 - left.x0 > 32 && left.topLeft < left.bottomLeft,
            `Left tilts it anticlockwise (top end to the left): ${JSON.stringify(left)}`);
  assert.equal(still.hash, left.hash, 'with the keys released the paddle stays put');
  assert.deepEqual(await page.problems(), []);
});

test('frames 1, 60 and 82 are the native frames, pixel for pixel', async () => {
  const page = await theMatch();
  // Drawn with WebGL where the engine has it, else with SDL's software renderer into a 2D canvas.
  assert.equal(await page.evaluate(() => Boolean(window.__quorvix.gl)), browser.webgl, 'drawn the wrong way');
  for (const frame of [1, 60, 82]) {
    await checkFrame(page, frame, path.join(frameShapes, `frame${frame}.shapes`));
  }
});

test('each effect reaches Web Audio in the frame it is played', async () => {
  const page = await theMatch();
  // The point lost (frame 82), the wall after the next serve (frame 114), then the opponent's
  // paddle returning that ball.
  await waitFrames(page, 200, 60000);
  const recording = writeBase64(path.join(scratch, 'effects.raw'),
                                await page.evaluate(() => window.__quorvix.recording()));
  const blocks = await page.evaluate(() => window.__quorvix.audio.blocks);
  const found = await runTool('find_sound', ['--tolerance', '1', recording,
    ...['snd00', 'snd01', 'snd02'].map((name) => path.join(res, `${name}.wav`))]);
  assert.equal(found.status, 0, found.output);
  // Where each effect is first heard.
  const starts = {};
  for (const [, name, start] of found.output.matchAll(/^(\w+) start=(\d+)/gm)) {
    starts[name] ??= Number(start);
  }
  // The frames drawn by the time Web Audio was handed the block holding SAMPLE.
  const framesAt = (sample) => {
    for (let i = 0, end = 0; i < blocks.length; i++) {
      end += blocks[i].length;
      if (sample < end) {
        return blocks[i].frames;
      }
    }
    return undefined;
  };
  for (const [name, frame] of [['snd02', 82], ['snd00', 114]]) {
    assert.ok(starts[name] !== undefined, `${name} never reached Web Audio:\n${found.output}`);
    const at = framesAt(starts[name]);
    assert.ok(at >= frame && at <= frame + 10,
              `${name} reached Web Audio with ${at} frames drawn; it is played in frame ${frame}`);
  }
  assert.ok(starts.snd01 > starts.snd00, `the paddle sound after the wall sound:\n${found.output}`);
  const gapMs = ((starts.snd00 - starts.snd02) * 1000) / 44100;
  assert.ok(gapMs >= 900 && gapMs <= 1600, `${gapMs} ms from the point to the wall sound`);
  assert.deepEqual(await page.problems(), []);
  await page.close();
});

test('frame 2 with Right or Left held from the start: the paddle tilted as natively', async () => {
  for (const [hold, shapes] of [['ArrowRight', 'frame2-right'], ['ArrowLeft', 'frame2-left']]) {
    const page = await openPage(browser, server, { frames: [2], hold });
    await waitReady(page);
    await page.click('#game');
    await waitFrames(page, 3);
    await checkFrame(page, 2, path.join(frameShapes, `${shapes}.shapes`));
    assert.deepEqual(await page.problems(), []);
    await page.close();
  }
});
