#!/usr/bin/env node
// The picture of the browser edition on a phone in the README: a phone held sideways (915 × 412
// CSS px, in Chromium's emulation of touch screens), a few seconds into a match, a thumb on the up
// control (drawn pressed).
//
//   node tools/web/phone-screenshot.mjs SITE_DIR OUT.png   (scripts/web-screenshot runs it)
import { openPage, serve, waitFrames, waitReady } from '../../tests/web/browser.mjs';
import { launch } from '../../tests/web/engines.mjs';

const [site, out] = process.argv.slice(2);
if (!site || !out) {
  console.error('usage: node tools/web/phone-screenshot.mjs SITE_DIR OUT.png');
  process.exit(2);
}
const PHONE = { width: 915, height: 412, scale: 1, touch: true };

const [server, browser] = await Promise.all([serve(site), launch('chromium')]);
try {
  const page = await openPage(browser, server, { viewport: PHONE });
  await waitReady(page);
  await (await page.touchStart(PHONE.width / 2, PHONE.height / 2)).end();
  // The first serve comes the player's way: the paddle goes up to meet it.
  await waitFrames(page, 40);
  const up = await page.evaluate(() => {
    const { x, y, width, height } = document.querySelector('button[data-key="ArrowUp"]').getBoundingClientRect();
    return [x + width / 2, y + height / 2];
  });
  await page.touchStart(...up);
  await waitFrames(page, 52);
  await page.screenshot({ path: out });
  const problems = await page.problems();
  if (problems.length > 0) {
    throw new Error(`problems on the page: ${problems.join('; ')}`);
  }
  console.log(`wrote ${out}`);
} finally {
  await browser.close();
  server.close();
}
