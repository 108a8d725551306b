// What the browser edition's page does once, in Chromium, whatever the engine: the victory music
// through the game's own mixer and patches, what stops the game shown on the page, a pad, and the
// service worker's play with no network and its updates, and full screen on a desktop. The game's
// play itself is tested in every engine (play.test.mjs).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { launch } from './engines.mjs';
import {
  openPage, paddleIn, paddleStrip, repo, serve, setting, unpackSite, waitFrames, waitReady,
} from './browser.mjs';

const { scratch, site } = unpackSite();
let probeServer;
let browser;

before(async () => {
  [probeServer, browser] = await Promise.all([serve(setting('QUORVIX_WEB_PROBE')), launch('chromium')]);
});
after(async () => {
  await browser?.close();
  probeServer?.close();
});

const messagesOf = (page) => page.evaluate(() => ({
  lines: document.getElementById('messages').textContent.split('\n'),
  prompt: document.getElementById('prompt').textContent,
  frames: window.__quorvix.frames,
}));

test('the victory music is heard, through the same mixer, configuration and patches', async () => {
  // The recording from the music's first sound to its last (it starts at a mixing block, whenever
  // the page got there), with the patches the game ships or with freepats' whole ones.
  async function music(patches) {
    const page = await openPage(browser, probeServer, { url: `${probeServer.url}?patches=${patches}` });
    await page.waitFor(() => document.title === 'ready');
    await page.click('#play');
    await page.waitFor(() => window.probeLines.includes('music probe: done'));
    const lines = await page.evaluate(() => window.probeLines);
    assert.deepEqual(lines, ['music probe: playing', 'music probe: done']);
    const bytes = Buffer.from(await page.evaluate(() => window.__quorvix.recording()), 'base64');
    assert.deepEqual(await page.problems(), []);
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

test('what stops the game is shown on the page: a missing media file, no network', async () => {
  const server = await serve(site);
  const page = await openPage(browser, server);
  await waitReady(page);
  await page.evaluate(() => FS.unlink('/res/snd01.wav'));
  await page.click('#game');
  await page.waitFor(() => /Failed to load media!/.test(document.getElementById('messages').textContent));
  assert.deepEqual(await messagesOf(page), {
    lines: ['Failed to load snd01 sound effect! SDL_mixer Error: Mix_LoadWAV_RW with NULL src', 'Failed to load media!'],
    prompt: 'Quorvix cannot run here',
    frames: 0,
  });
  await page.close();
  server.close();

  // A first visit (a new address: no service worker there) that loses the network after the page.
  const offline = await serve(site);
  offline.refuse = (file) => /^\/quorvix\./.test(file);
  const lost = await openPage(browser, offline);
  await lost.waitFor(() => !document.getElementById('messages').hidden);
  await new Promise((resolve) => setTimeout(resolve, 500));
  const shown = await messagesOf(lost);
  assert.equal(shown.prompt, 'Quorvix cannot run here');
  for (const line of shown.lines) {
    assert.match(line, /^Could not download quorvix\.\w+\.(data|wasm): there is no connection to 127\.0\.0\.1:\d+\. /);
  }
  await lost.close();
  offline.close();
});

// The site of a new version: the same, but for a program file that differs (a custom section added
// to it), published as the build publishes it.
function newVersion() {
  const stage = path.join(scratch, 'stage2');
  fs.cpSync(setting('QUORVIX_WEB_STAGE'), stage, { recursive: true });
  const name = Buffer.from('quorvix-test-version');
  const section = Buffer.concat([Buffer.from([0, 1 + name.length + 2, name.length]), name, Buffer.from('v2')]);
  fs.appendFileSync(path.join(stage, 'quorvix.wasm'), section);
  const published = path.join(scratch, 'site2');
  const list = path.join(scratch, 'site2.txt');
  execFileSync(process.execPath, [path.join(repo, 'tools/web/stamp-site.mjs'), stage, published, list, 'index.html', 'sw.js']);
  return {
    site: published,
    files: fs.readFileSync(list, 'utf8').split('\n').filter((n) => n && n !== 'sw.js').sort(),
    wasmBytes: fs.statSync(path.join(stage, 'quorvix.wasm')).size,
  };
}

test('a pad plugged in during play moves the paddle as the keys do', async () => {
  const server = await serve(site);
  const page = await openPage(browser, server, { pad: true });
  await waitReady(page);
  await page.click('#game');
  // After the first point (frame 82) the ball is away from the paddle's strip for some 3.5 s.
  await waitFrames(page, 84);
  const hold = async (press, release, ms) => {
    await press();
    await new Promise((resolve) => setTimeout(resolve, ms));
    await release();
  };
  const dpadUp = (held) => () => page.evaluate((down) => { window.__quorvix.padButtons[12] = down; }, held);
  const snap = async (name) => paddleIn(await paddleStrip(page, path.join(scratch, `${name}.ppm`)), name);
  await page.evaluate(() => window.__quorvix.plugPad());
  await hold(dpadUp(true), dpadUp(false), 700);
  const byPad = await snap('pad-up');
  await hold(() => page.keyDown('ArrowDown'), () => page.keyUp('ArrowDown'), 400);
  await hold(() => page.keyDown('ArrowUp'), () => page.keyUp('ArrowUp'), 700);
  const byKey = await snap('key-up');
  assert.equal(byKey.y0, 0, 'held up, the paddle is at the top');
  assert.deepEqual(byPad, byKey, "the pad's D-pad and the Up key leave the paddle in different places");
  assert.deepEqual(await page.problems(), []);
  // Muted on one visit, muted on the next as the game starts.
  const muted = () => document.getElementById('mute').getAttribute('aria-pressed') === 'true';
  await page.click('#mute');
  await page.waitFor(muted, { timeout: 2000 });
  await page.close();
  const again = await openPage(browser, server);
  await waitReady(again);
  await again.click('#game');
  await again.waitFor(muted, { timeout: 2000 });
  await again.close();
  server.close();
});

test('after one visit the game loads and plays with no network; a new version replaces the old', async () => {
  const server = await serve(site);
  const first = await openPage(browser, server);
  await waitReady(first);
  await first.waitFor(() => navigator.serviceWorker.controller !== null);
  await first.close();

  // The host now serves a new version: the page plays it at once, and its worker keeps its files
  // alone.
  const version = newVersion();
  server.root = version.site;
  const updated = await openPage(browser, server);
  await waitReady(updated);
  assert.equal(await updated.evaluate(() => window.__quorvix.wasmBytes), version.wasmBytes, 'not the new program');
  const kept = await updated.waitFor(async (files) => {
    const names = (await caches.keys()).filter((name) => name.startsWith('quorvix-'));
    const held = names.length === 1 ? await (await caches.open(names[0])).keys() : [];
    const got = held.map((request) => new URL(request.url).pathname.slice(1) || 'index.html').sort();
    return JSON.stringify(got) === JSON.stringify(files) && got;
  }, { timeout: 10000 }, version.files).catch(() => null);
  assert.ok(kept, 'the worker does not keep exactly the new version\'s files');
  assert.deepEqual(await updated.problems(), []);
  await updated.close();

  // No network at all: the page, the new version, and play.
  server.refuse = (file) => file !== '/__observe.js';
  const page = await openPage(browser, server);
  await waitReady(page);
  assert.equal(await page.evaluate(() => window.__quorvix.wasmBytes), version.wasmBytes, 'not the new program');
  await page.click('#game');
  await waitFrames(page, 10);
  assert.deepEqual((await page.problems()).filter((problem) => !/refused/.test(problem)), []);
  assert.ok(server.requests.some((r) => r.status === 'refused'), 'the network was not cut');
  await page.close();
  server.close();
});

test('a desktop in full screen shows the court as large as the screen allows, and 800 x 600 again after', async () => {
  const server = await serve(site);
  const page = await openPage(browser, server, { viewport: { width: 1920, height: 1080 } });
  await waitReady(page);
  const courtIs = (size) => page.waitFor((expected) => ((box) => `${box.width}x${box.height}` === expected)(
    document.getElementById('canvas').getBoundingClientRect()), { timeout: 5000 }, size);
  await courtIs('800x600');
  await page.click('#fullscreen');
  await courtIs('1440x1080');
  await page.click('#fullscreen'); // as Escape does, which a headless browser leaves to its window
  await courtIs('800x600');
  assert.equal(await page.evaluate(() => document.fullscreenElement), null);
  await page.close();
  server.close();
});
