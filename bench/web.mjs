// The browser edition's figures, in Debian's Chromium (headless, WebGL in software) or another
// engine of the tests' (engines.mjs), served on 127.0.0.1 by the tests' own server:
//   - the frame period over SECONDS of play (default 30), against the native game's 20 ms; the
//     500 ms and 2500 ms pauses after a point and a match are left out, as natively; and in
//     Chromium the same on an emulated phone with the CPU slowed down four times;
//   - the time from the click that starts the game to its first frame (median of 7 page loads);
//   - what a first visitor downloads before the first frame, file by file, as published and
//     gzipped (gzip -9): every request the server answered by then, the service worker's too (the
//     first visit waits for it before the click: the most a visitor can download before playing).
//
// Usage: node bench/web.mjs SITE_DIR [SECONDS [ENGINE]]   (scripts/bench-web builds the site and
// runs it)
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import { openPage, serve, waitFrames, waitReady } from '../tests/web/browser.mjs';
import { launch } from '../tests/web/engines.mjs';

const site = process.argv[2];
const seconds = Number(process.argv[3] || 30);
const engine = process.argv[4] || 'chromium';
if (!site || !(seconds > 0)) {
  console.error('usage: node bench/web.mjs SITE_DIR [SECONDS [ENGINE]]');
  process.exit(2);
}
const FRAME_MS = 20;
const PAUSE_MS = 300; // any longer period is a pause after a point or a match
const STARTS = 7;
// A phone held sideways, in Chromium's emulation, its CPU slowed down as a mid-range phone's.
const PHONE = { width: 915, height: 412, scale: 2.625, touch: true };
const PHONE_SLOWER = 4;

const percentile = (sorted, p) => sorted[Math.min(sorted.length - 1, Math.floor((p / 100) * sorted.length))];
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const browser = await launch(engine);
console.log(`${browser.label} ${browser.version}`);
try {
  // The moment of the click, as the page sees it, for the time to the first frame.
  const clickAt = () => window.addEventListener('mousedown', () => {
    window.__quorvix.clickedAt = performance.now();
  }, { capture: true, once: true });

  // Each start is a first visit: a server of its own, so a new address with nothing kept from
  // before. The first one's requests up to its first frame are the download.
  const starts = [];
  let fetched = null;
  for (let i = 0; i < STARTS; i++) {
    const server = await serve(site);
    const page = await openPage(browser, server);
    await page.evaluate(clickAt);
    await waitReady(page);
    if (i === 0) {
      await page.waitFor(() => navigator.serviceWorker.controller !== null);
    }
    await page.click('#game');
    await waitFrames(page, 1);
    starts.push(await page.evaluate(() => window.__quorvix.frameTimes[0] - window.__quorvix.clickedAt));
    fetched ??= server.requests.map((r) => r.path.slice(1) || 'index.html')
      .filter((name) => fs.existsSync(path.join(site, name)));
    await page.close();
    server.close();
  }

  // The frame periods over SECONDS of play, left out the pauses; on a phone, started by a tap
  // with the CPU slowed down SLOWER times.
  const server = await serve(site);
  async function framePeriods({ phone = false, slower = 1 } = {}) {
    const page = await openPage(browser, server, phone ? { viewport: PHONE } : {});
    await waitReady(page);
    if (phone) {
      await (await page.cdp()).send('Emulation.setCPUThrottlingRate', { rate: slower });
      await (await page.touchStart(PHONE.width / 2, PHONE.height / 2)).end();
    } else {
      await page.click('#game');
    }
    await waitFrames(page, 2);
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    const times = await page.evaluate(() => window.__quorvix.frameTimes);
    problems.push(...await page.problems());
    await page.close();
    const periods = times.slice(1).map((t, i) => t - times[i]);
    const play = periods.filter((p) => p < PAUSE_MS).sort((a, b) => a - b);
    const mean = play.reduce((a, b) => a + b, 0) / play.length;
    return { play, mean, pauses: periods.length - play.length };
  }
  const problems = [];
  const { play, mean, pauses } = await framePeriods();
  const onPhone = browser.name === 'chromium' ? await framePeriods({ phone: true, slower: PHONE_SLOWER }) : null;
  server.close();

  const sizes = [...new Set(fetched)].sort().map((name) => {
    const bytes = fs.readFileSync(path.join(site, name));
    const times = fetched.filter((n) => n === name).length;
    return { name, times, raw: times * bytes.length, gzip: times * zlib.gzipSync(bytes, { level: 9 }).length };
  });
  const total = (key) => sizes.reduce((sum, file) => sum + file[key], 0);
  const never = fs.readdirSync(site).filter((name) => !fetched.includes(name)).sort();

  const f1 = (v) => v.toFixed(1);
  const f2 = (v) => v.toFixed(2);
  console.log(`Frame period over ${seconds} s of play (${play.length} frames, ` +
              `${pauses} pauses left out): mean ${f2(mean)} ms, ` +
              `p50 ${f2(percentile(play, 50))} ms, p99 ${f2(percentile(play, 99))} ms ` +
              `(${f1(1000 / mean)} frames a second; native: ${FRAME_MS} ms, 50 a second; ` +
              `mean within 2 %: ${mean <= FRAME_MS * 1.02 ? 'yes' : 'no'})`);
  if (onPhone) {
    console.log(`On a phone (${PHONE.width} x ${PHONE.height}, touch, CPU ${PHONE_SLOWER} times slower), ` +
                `over ${seconds} s: mean ${f2(onPhone.mean)} ms, p50 ${f2(percentile(onPhone.play, 50))} ms, ` +
                `p99 ${f2(percentile(onPhone.play, 99))} ms (${f1(1000 / onPhone.mean)} frames a second)`);
  }
  console.log(`Click to first frame (median of ${STARTS}): ${f1(median(starts))} ms ` +
              `(runs: ${starts.map(f1).join(', ')})`);
  const repeated = (file) => (file.times > 1 ? ` (${file.times} times)` : '');
  console.log(`Downloaded before the first frame: ${sizes.map((f) => `${f.name}${repeated(f)} ${f.raw} (${f.gzip} gzipped)`).join(', ')}`);
  console.log(`Downloaded before the first frame in all: ${total('raw')} bytes, ${total('gzip')} gzipped`);
  console.log(`Never downloaded: ${never.join(', ') || 'none'}`);
  if (problems.length > 0) {
    console.log(`Problems on the page: ${problems.join('; ')}`);
    process.exitCode = 1;
  }
} finally {
  await browser.close();
}
