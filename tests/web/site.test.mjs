// The published site as a host gets it, from the zip, without a browser: names that carry their
// content's hash, the page's security policy, what installing it needs, and what a visitor
// downloads.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import zlib from 'node:zlib';

import { repo, scratchDir, setting } from './browser.mjs';

const site = scratchDir();
execFileSync(setting('CMAKE', 'cmake'), ['-E', 'tar', 'xf', setting('QUORVIX_WEB_ZIP')], { cwd: site });
process.on('exit', () => fs.rmSync(site, { recursive: true, force: true }));
// The site's files, and beside some of them their compressed copies (NAME.gz, NAME.br).
const [copies, names] = ((all) => [all.filter((n) => /\.(gz|br)$/.test(n)), all.filter((n) => !/\.(gz|br)$/.test(n))])(
  fs.readdirSync(site).sort());
const read = (name) => fs.readFileSync(path.join(site, name));
const KEPT = ['index.html', 'sw.js'];
const BUDGET = 1.2e6; // bytes, gzipped, of everything a visitor downloads

test('every file but the page and its service worker is named by a hash of its content', () => {
  for (const name of names.filter((n) => !KEPT.includes(n))) {
    const hash = crypto.createHash('sha256').update(read(name)).digest('hex').slice(0, 10);
    assert.match(name, new RegExp(`^[\\w-]+\\.${hash}\\.\\w+$`), `${name} does not carry its hash ${hash}`);
  }
  // The worker keeps exactly the site's files; the page names only files that are there.
  const kept = JSON.parse(/const FILES = (\[.*\]);/.exec(read('sw.js'))[1]);
  assert.deepEqual(kept.sort(), names.filter((n) => n !== 'sw.js'));
  for (const [, name] of read('index.html').toString().matchAll(/(?:href|src)="([^"]+)"/g)) {
    assert.ok(names.includes(name), `index.html names ${name}, which is not published`);
  }
  // The game's first frame, the one the pixel test checks, in the canvas's place until it starts.
  const [, image] = /<canvas [^>]*width="800" height="600"><\/canvas>\s*<img [^>]*src="([^"]+)" width="800" height="600"/
    .exec(read('index.html')) ?? [];
  assert.ok(image && read(image).equals(fs.readFileSync(path.join(repo, 'docs', 'screenshot.png'))), image);
});

test('the compressible files have gzip and brotli copies that decompress to them', () => {
  // The data file's, where they save enough.
  const compressible = names.filter((n) => /\.(js|wasm|html|css|svg|webmanifest)$/.test(n) || copies.includes(`${n}.br`));
  assert.deepEqual(copies, compressible.flatMap((n) => [`${n}.br`, `${n}.gz`]));
  for (const copy of copies) {
    const unpack = copy.endsWith('.gz') ? zlib.gunzipSync : zlib.brotliDecompressSync;
    assert.ok(unpack(read(copy)).equals(read(copy.slice(0, -3))), copy);
  }
});

test('the page allows scripts, media and connections from its own origin only', () => {
  const html = read('index.html').toString();
  const policy = /<meta http-equiv="Content-Security-Policy" content="([^"]+)">/.exec(html)?.[1];
  assert.ok(policy, 'no Content-Security-Policy meta element');
  assert.match(policy, /default-src 'self'/);
  assert.match(policy, /script-src 'self' 'wasm-unsafe-eval'(;|$)/);
  assert.doesNotMatch(policy, /unsafe-inline|'unsafe-eval'|\*|data:|blob:|https?:/);
  assert.ok(html.indexOf(policy) < html.search(/<link|<script/), 'the policy comes before what it governs');
  assert.deepEqual([...html.matchAll(/<script(?![^>]*\bsrc=)[^>]*>/g)], [], 'inline script');
  assert.doesNotMatch(html, /<style|\son\w+=/, 'inline style or event handler');
});

test('the manifest makes the game installable', () => {
  const manifest = JSON.parse(read(names.find((n) => n.endsWith('.webmanifest'))));
  assert.equal(manifest.name, 'Quorvix');
  assert.equal(manifest.start_url, './');
  assert.ok(['fullscreen', 'standalone'].includes(manifest.display));
  assert.equal(manifest.theme_color, '#000000');
  for (const size of [192, 512]) {
    const icon = manifest.icons.find((i) => i.sizes === `${size}x${size}` && i.type === 'image/png');
    assert.ok(icon && names.includes(icon.src), `no ${size} px icon`);
    const png = read(icon.src);
    assert.deepEqual([png.readUInt32BE(16), png.readUInt32BE(20)], [size, size], `${icon.src} is not ${size} px`);
  }
});

test(`what a visitor downloads is at most ${BUDGET / 1e6} MB gzipped`, () => {
  const sizes = names.map((name) => [name, zlib.gzipSync(read(name), { level: 9 }).length]);
  const total = sizes.reduce((sum, [, size]) => sum + size, 0);
  assert.ok(total <= BUDGET, `${total} bytes gzipped: ${sizes.map(([n, s]) => `${n} ${s}`).join(', ')}`);
});
