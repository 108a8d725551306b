// The browser edition in Debian's Chromium, played from its published zip and watched from outside
// the game (observe.js): the page waits for the person, then the game draws, steers, sounds and
// fails exactly as natively. The frames and sounds are checked with the native tests' own
// expectations and helpers.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';

import {
  launchBrowser, openPage, runTool, scratchDir, serve, setting, waitFrames, waitReady, writeBase64,
} from './browser.mjs';

const frameShapes = setting('QUORVIX_FRAMES');
const res = setting('QUORVIX_RES');
const scratch = scratchDir();
// The game is played from the zip made for publishing, unpacked as a web host would serve it.
const site = path.join(scratch, 'site');
fs.mkdirSync(site);
execFileSync(setting('CMAKE', 'cmake'), ['-E', 'tar', 'xf', setting('QUORVIX_WEB_ZIP')], { cwd: site });
let server;
let probeServer;
let browser;

before(async () => {
  [server, probeServer, browser] =
    await Promise.all([serve(site), serve(setting('QUORVIX_WEB_PROBE')), launchBrowser()]);
});
after(async () => {
  await browser?.close();
  server?.close();
  probeServer?.close();
  if (process.env.QUORVIX_E2E_KEEP === '1') {
    console.log(`scratch files kept in ${scratch}`);
  } else {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
});

async function checkFrame(page, frame, shapes) {
  const ppm = await page.evaluate((n) => window.__quorvix.captured.get(n), frame);
  assert.ok(ppm, `frame ${frame} was not captured`);
  const file = writeBase64(path.join(scratch, `${path.basename(shapes, '.shapes')}.ppm`), ppm);
  const result = await runTool('check_frame', [file, shapes]);
  assert.equal(result.status, 0, `frame ${frame} against ${path.basename(shapes)}:\n${result.output}`);
}

test('the page loads cleanly and nothing runs before the first click or key press', async () => {
  // A window smaller than the page, so that arrow keys reaching the page would scroll it.
  const { page, problems } = await openPage(browser, server.url, { viewport: { width: 900, height: 400 } });
  await waitReady(page);
  // Keys pressed outside the game's area neither start it nor scroll the page.
  await page.evaluate(() => document.activeElement.blur());
  for (const key of ['ArrowDown', 'ArrowDown', 'ArrowRight']) {
    await page.keyboard.press(key);
  }
  await new Promise((resolve) => setTimeout(resolve, 1000));
  const state = await page.evaluate(() => ({
    scrollY: window.scrollY,
    title: document.title,
    frames: window.__quorvix.frames,
    audio: Boolean(window.__quorvix.audio.context),
    prompt: getComputedStyle(document.getElementById('prompt')).display !== 'none',
    keys: document.getElementById('keys').textContent.replace(/\s+/g, ' ').trim(),
    canvas: ((c) => [c.width, c.height, getComputedStyle(c).imageRendering])(document.getElementById('canvas')),
    icon: document.querySelector('link[rel="icon"]').href,
  }));
  assert.deepEqual(problems, []);
  assert.equal(state.scrollY, 0, 'arrow keys scrolled the page');
  assert.equal(state.title, 'Quorvix');
  assert.equal(state.frames, 0, 'frames were drawn before the person asked to play');
  assert.equal(state.audio, false, 'audio was opened before the person asked to play');
  assert.ok(state.prompt, 'no prompt to start');
  assert.match(state.keys, /↑ ↓ move your paddle · → ← tilt it/);
  assert.deepEqual(state.canvas, [800, 600, 'pixelated']);
  const icon = await page.evaluate((url) => fetch(url).then((r) => r.headers.get('content-type')), state.icon);
  assert.match(icon, /^image\/svg\+xml/);
  await page.close();
});

test('frames 1, 60 and 82 are the native frames, pixel for pixel', async () => {
  const { page, problems } = await openPage(browser, server.url, { frames: [1, 60, 82] });
  await waitReady(page);
  await page.click('#game');
  await waitFrames(page, 83);
  for (const frame of [1, 60, 82]) {
    await checkFrame(page, frame, path.join(frameShapes, `frame${frame}.shapes`));
  }
  assert.deepEqual(problems, []);
  await page.close();
});

test('frame 2 with Right or Left held from the start: the paddle tilted as natively', async () => {
  for (const [key, shapes] of [['ArrowRight', 'frame2-right'], ['ArrowLeft', 'frame2-left']]) {
    const { page, problems } = await openPage(browser, server.url, { frames: [2], holdFromStart: key });
    await waitReady(page);
    await page.click('#game');
    await waitFrames(page, 3);
    await checkFrame(page, 2, path.join(frameShapes, `${shapes}.shapes`));
    assert.deepEqual(problems, []);
    await page.close();
  }
});

test('the four arrow keys steer the paddle as natively, and never scroll the page', async () => {
  // A page taller than the window, so that arrow keys reaching the page would scroll it.
  const { page, problems } = await openPage(browser, server.url, { viewport: { width: 900, height: 400 } });
  await waitReady(page);
  await page.click('#game');
  // After the first point (frame 82) the ball is served to the right: it is back in the paddle's
  // strip some 3.5 s later. The whole sequence takes about 2 s.
  await waitFrames(page, 84);
  const began = Date.now();
  // Snapshots of the paddle's strip (x 0..120) are taken during the sequence and described by
  // frame_region afterwards.
  const snapshots = [];
  const snap = async () => {
    const file = path.join(scratch, `keys${snapshots.length + 1}.ppm`);
    snapshots.push(writeBase64(file, await page.evaluate(() => window.__quorvix.readFrame(121))));
  };
  const hold = async (key, ms) => {
    await page.keyboard.down(key);
    await new Promise((resolve) => setTimeout(resolve, ms));
    await page.keyboard.up(key);
    await new Promise((resolve) => setTimeout(resolve, 60));
    await snap();
  };
  const scrolled = await page.evaluate(() => window.scrollY);
  await snap();
  await hold('ArrowUp', 250);
  await hold('ArrowDown', 500);
  await hold('ArrowRight', 150);
  await hold('ArrowLeft', 300);
  await new Promise((resolve) => setTimeout(resolve, 200));
  await snap();
  const tookMs = Date.now() - began;
  assert.equal(await page.evaluate(() => window.scrollY), scrolled, 'the arrow keys scrolled the page');

  const [start, up, down, right, left, still] = await Promise.all(snapshots.map(async (file) => {
    const { status, output } = await runTool('frame_region', [file, '0', '0', '120', '599']);
    assert.equal(status, 0, output);
    const field = (name) => (new RegExp(`${name}=([-0-9,]+)`).exec(output) || [])[1];
    assert.equal(field('parts'), '1', `one outline expected in the paddle strip (sequence took ${tookMs} ms): ${output}`);
    const [x0, y0, x1] = field('bbox').split(',').map(Number);
    const [topLeft] = field('top').split(',').map(Number);
    const [bottomLeft] = field('bottom').split(',').map(Number);
    return { x0, y0, x1, topLeft, bottomLeft, hash: /hash=(\w+)/.exec(output)[1] };
  }));
  assert.deepEqual([start.x0, start.y0, start.x1], [24, 236, 56], 'upright at mid-height');
  assert.ok(up.y0 < 236, `Up: top row ${up.y0}, not above 236`);
  assert.deepEqual([up.x0, up.x1], [24, 56], 'Up keeps it upright');
  assert.ok(down.y0 > 236, `Down for twice as long: top row ${down.y0}, not below 236`);
  assert.ok(right.x1 - right.x0 > 32 && right.topLeft > right.bottomLeft,
            `Right tilts it clockwise (top end to the right): ${JSON.stringify(right)}`);
  assert.ok(left.x1 - left.x0 > 32 && left.topLeft < left.bottomLeft,
            `Left tilts it anticlockwise (top end to the left): ${JSON.stringify(left)}`);
  assert.equal(still.hash, left.hash, 'with the keys released the paddle stays put');
  assert.deepEqual(problems, []);
  await page.close();
});

test('each effect reaches Web Audio in the frame it is played', async () => {
  const { page, problems } = await openPage(browser, server.url);
  await waitReady(page);
  await page.click('#game');
  // The point lost (frame 82), the wall after the next serve (frame 114), then the opponent's
  // paddle returning that ball.
  await waitFrames(page, 200, 60000);
  const recording = writeBase64(path.join(scratch, 'effects.raw'),
                                await page.evaluate(() => window.__quorvix.recording()));
  const blocks = await page.evaluate(() => window.__quorvix.audio.blocks);
  const found = await runTool('find_sound', ['--tolerance', '1', recording,
    ...['snd00', 'snd01', 'snd02'].map((name) => path.join(res, `${name}.wav`))]);
  assert.equal(found.status, 0, found.output);
  const starts = Object.fromEntries(found.output.split('\n').map((line) => {
    const match = /^(\w+) start=(\d+)/.exec(line);
    return match ? [match[1], Number(match[2])] : [line.split(' ')[0], undefined];
  }));
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
  assert.deepEqual(problems, []);
  await page.close();
});

test('the victory music is heard, through the same mixer, configuration and patches', async () => {
  // The recording from the music's first sound to its last (it starts at a mixing block, whenever
  // the page got there), with the patches the game ships or with freepats' whole ones.
  async function music(patches) {
    const { page, problems } = await openPage(browser, `${probeServer.url}?patches=${patches}`);
    await page.waitForFunction(() => document.title === 'ready', { timeout: 30000 });
    await page.click('#play');
    await page.waitForFunction(() => window.probeLines.includes('music probe: done'),
                               { timeout: 30000 });
    const lines = await page.evaluate(() => window.probeLines);
    assert.deepEqual(lines, ['music probe: playing', 'music probe: done']);
    const bytes = Buffer.from(await page.evaluate(() => window.__quorvix.recording()), 'base64');
    assert.deepEqual(problems, []);
    await page.close();
    const samples = new Int16Array(bytes.buffer, bytes.byteOffset, bytes.length / 2);
    const first = samples.findIndex((v) => v !== 0);
    const last = samples.findLastIndex((v) => v !== 0);
    return samples.subarray(first - (first % 2), last + 2 - (last % 2)); // whole stereo frames
  }
  const samples = await music('trimmed');
  const whole = await music('full');
  const differ = whole.findIndex((v, i) => v !== samples[i]);
  assert.ok(differ < 0 && whole.length === samples.length,
            `the trimmed patches play ${samples.length} samples, the whole ones ${whole.length}; ` +
            `the first to differ is ${differ}, ${(differ / 88200).toFixed(3)} s in`);
  // Loud 50 ms windows, counted over the recording: the fanfare lasts about four seconds.
  const span = 2205 * 2;
  let loud = 0;
  for (let at = 0; at + span <= samples.length; at += span) {
    let sum = 0;
    for (let i = at; i < at + span; i++) {
      sum += samples[i] * samples[i];
    }
    loud += Math.sqrt(sum / span) > 300 ? 1 : 0;
  }
  assert.ok(loud * 0.05 >= 3 && loud * 0.05 <= 5, `${loud * 0.05} s of the music was heard`);
});

test('what stops the game is shown on the page: a missing media file, a file not loaded', async () => {
  {
    const { page } = await openPage(browser, server.url);
    await waitReady(page);
    await page.evaluate(() => FS.unlink('/res/snd01.wav'));
    await page.click('#game');
    await page.waitForFunction(() => /Failed to load media!/.test(document.getElementById('messages').textContent),
                               { timeout: 10000 });
    const shown = await page.evaluate(() => ({
      lines: document.getElementById('messages').textContent.split('\n'),
      prompt: document.getElementById('prompt').textContent,
    }));
    assert.deepEqual(shown.lines, [
      'Failed to load snd01 sound effect! SDL_mixer Error: Mix_LoadWAV_RW with NULL src',
      'Failed to load media!',
    ]);
    assert.equal(shown.prompt, 'Quorvix cannot run here');
    await page.close();
  }
  {
    const page = await browser.newPage();
    await page.setRequestInterception(true);
    page.on('request', (request) => (request.url().endsWith('/quorvix.data') ? request.abort() : request.continue()));
    await page.goto(server.url);
    await page.waitForFunction(() => !document.getElementById('messages').hidden, { timeout: 10000 });
    const text = await page.evaluate(() => document.getElementById('messages').textContent);
    assert.match(text, /quorvix\.data/);
    await page.close();
  }
});
