// Lighthouse's view of the browser edition's first visit, with its mobile preset (a slowed phone on
// a slow 4G link, simulated) and its desktop preset: the four category scores, and first
// contentful paint, largest contentful paint, total blocking time and cumulative layout shift.
// The site is served by scripts/serve-web, as a player would serve it, with its compressed copies.
// Lighthouse is pinned in tests/web/package-lock.json; it drives Debian's Chromium (CHROME_PATH,
// or CHROMIUM as the browser tests take it, or /usr/bin/chromium).
//
// Usage: node bench/lighthouse.mjs SITE_DIR   (scripts/bench-web builds the site and runs it)
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import path from 'node:path';
import readline from 'node:readline';
import { fileURLToPath } from 'node:url';

import * as chromeLauncher from '../tests/web/node_modules/chrome-launcher/dist/index.js';
import lighthouse from '../tests/web/node_modules/lighthouse/core/index.js';
import desktopConfig from '../tests/web/node_modules/lighthouse/core/config/desktop-config.js';

const site = process.argv[2];
if (!site) {
  console.error('usage: node bench/lighthouse.mjs SITE_DIR');
  process.exit(2);
}
const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];
const METRICS = [
  ['first-contentful-paint', 'first paint', (ms) => `${(ms / 1000).toFixed(1)} s`],
  ['largest-contentful-paint', 'largest paint', (ms) => `${(ms / 1000).toFixed(1)} s`],
  ['total-blocking-time', 'blocking', (ms) => `${Math.round(ms)} ms`],
  ['cumulative-layout-shift', 'layout shift', (shift) => shift.toFixed(3)],
];

// scripts/serve-web on a free port, and the address it prints.
const server = spawn(path.join(repo, 'scripts', 'serve-web'), [site, '0'], {
  stdio: ['ignore', 'pipe', 'inherit'],
  env: { ...process.env, QUORVIX_SERVE_QUIET: '1' },
});
const [line] = await once(readline.createInterface({ input: server.stdout }), 'line');
const url = /(http:\/\/\S+)/.exec(line)[1];

const chrome = await chromeLauncher.launch({
  chromePath: process.env.CHROME_PATH || process.env.CHROMIUM || '/usr/bin/chromium',
  chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu'],
});
try {
  for (const [preset, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
    const { lhr } = await lighthouse(url, { port: chrome.port, logLevel: 'error', onlyCategories: CATEGORIES }, config);
    const scores = CATEGORIES.map((name) => `${name} ${lhr.categories[name].score.toFixed(2)}`);
    const metrics = METRICS.map(([audit, label, show]) => `${label} ${show(lhr.audits[audit].numericValue)}`);
    console.log(`Lighthouse ${lhr.lighthouseVersion}, ${preset}: ${scores.join(', ')}; ${metrics.join(', ')}`);
  }
} finally {
  await chrome.kill();
  server.kill();
}
