// What the browser tests and the browser benchmark share: the tests' own web server, which adds
// observe.js to the page; pages opened in any engine (engines.mjs) with the game watched; and the
// native tests' helper programs (built for Node.js).
import assert from 'node:assert/strict';
import { execFile, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';

const here = path.dirname(fileURLToPath(import.meta.url));
export const repo = path.resolve(here, '..', '..');
const observer = fs.readFileSync(path.join(here, 'observe.js'), 'utf8');

export function setting(name, fallback) {
  const value = process.env[name] || fallback;
  if (!value) {
    throw new Error(`${name} is not set (ctest --preset web sets it)`);
  }
  return value;
}

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.svg': 'image/svg+xml',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

// The tests' own web server: serves `server.root` on 127.0.0.1 at a free port, as any static host
// would, except that into every index.html it serves it adds observe.js (at /__observe.js) just
// before the page's first script, which WebDriver cannot do. `server.refuse(path)`, when set,
// makes the connection fail for the paths it accepts, as with no network; `server.requests` lists
// every request with the answer's status.
export function serve(root) {
  return new Promise((resolve) => {
    const server = http.createServer((request, response) => {
      const url = new URL(request.url, 'http://127.0.0.1');
      const name = decodeURIComponent(url.pathname) === '/' ? 'index.html' : decodeURIComponent(url.pathname).slice(1);
      const answer = (status, body = '', type = 'text/plain') => {
        web.requests.push({ path: url.pathname, status, at: Date.now() });
        response.writeHead(status, { 'Content-Type': type, 'Cache-Control': 'no-cache' });
        response.end(body);
      };
      if (name === '__observe.js') {
        return answer(200, observer, TYPES['.js']);
      }
      if (web.refuse?.(url.pathname)) {
        web.requests.push({ path: url.pathname, status: 'refused', at: Date.now() });
        return request.socket.destroy();
      }
      const file = path.join(web.root, name);
      if (name.includes('..') || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
        return answer(404, `no ${name}`);
      }
      let body = fs.readFileSync(file);
      if (name === 'index.html') {
        body = body.toString('utf8').replace('<script', '<script src="/__observe.js"></script>\n<script');
      }
      return answer(200, body, TYPES[path.extname(name)] || 'application/octet-stream');
    });
    const web = { root, refuse: null, requests: [], close: () => { server.closeAllConnections(); server.close(); } };
    server.keepAliveTimeout = 1000;
    server.unref(); // a test that fails half-way still ends
    server.listen(0, '127.0.0.1', () => {
      web.url = `http://127.0.0.1:${server.address().port}/`;
      resolve(web);
    });
  });
}

// Opens the page at URL in BROWSER (engines.mjs) with the game watched by observe.js: `frames`
// are kept exactly as shown, and the arrow key `hold` (say 'ArrowRight') is held from the game's
// first frame. `page.problems()` lists what would worry a developer: console errors, uncaught
// errors, the page's policy refusing something, and requests that SERVER failed or refused.
export async function openPage(browser, server, { url = server.url, frames = [], hold = null, pad = false,
                                                  viewport = { width: 1000, height: 800 } } = {}) {
  const page = await browser.newPage(viewport);
  const address = new URL(url);
  if (pad) {
    address.searchParams.set('pad', '1');
  }
  if (frames.length) {
    address.searchParams.set('frames', frames.join(','));
  }
  if (hold) {
    address.searchParams.set('hold', hold);
  }
  const since = server.requests.length;
  await page.goto(address.href);
  page.problems = async () => [
    ...(await page.evaluate(() => window.__quorvix.problems)),
    ...server.requests.slice(since).filter((r) => r.status !== 200).map((r) => `HTTP ${r.status}: ${r.path}`),
  ];
  return page;
}

// Waits until the page says the game may start.
export function waitReady(page, timeout = 30000) {
  return page.waitFor(() => / to play$/.test(document.getElementById('prompt').textContent), { timeout });
}

// Waits until the game has shown COUNT frames; fails at once, with its words, if the page says
// that the game cannot run.
export async function waitFrames(page, count, timeout = 30000) {
  const said = await page.waitFor((n) => (window.__quorvix.frames >= n ? [] : !document.getElementById('messages').hidden
    && document.getElementById('messages').textContent.split('\n')), { timeout }, count);
  if (said.length) {
    throw new Error(`the page says: ${said.join(' / ')}`);
  }
}

// Runs one of the native tests' helper programs, built for Node.js in the web build.
const execFileAsync = promisify(execFile);
export async function runTool(name, args) {
  const tool = path.join(setting('QUORVIX_WEB_TOOLS'), `${name}.js`);
  try {
    const { stdout } = await execFileAsync(process.execPath, [tool, ...args]);
    return { status: 0, output: stdout.trim() };
  } catch (error) {
    return { status: error.code, output: `${error.stdout || ''}${error.stderr || ''}`.trim() };
  }
}

// The strip of what is shown now where the player's paddle moves (x 0..120), written to FILE.
export async function paddleStrip(page, file) {
  return writeBase64(file, await page.evaluate(() => window.__quorvix.readFrame(121)));
}

// The one outline in a paddle strip (FILE), as frame_region describes it: its bounding box, the
// left ends of its top and bottom rows, and a hash of its pixels.
export async function paddleIn(file, context = '') {
  const { status, output } = await runTool('frame_region', [file, '0', '0', '120', '599']);
  assert.equal(status, 0, output);
  const field = (name) => (new RegExp(`${name}=([-0-9,]+)`).exec(output) || [])[1];
  assert.equal(field('parts'), '1', `one outline expected in the paddle strip (${context}): ${output}`);
  const [x0, y0, x1] = field('bbox').split(',').map(Number);
  const [topLeft] = field('top').split(',').map(Number);
  const [bottomLeft] = field('bottom').split(',').map(Number);
  return { x0, y0, x1, topLeft, bottomLeft, hash: /hash=(\w+)/.exec(output)[1] };
}

export function scratchDir() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'quorvix-web-'));
}

// Writes base64 text (from observe.js) to FILE.
export function writeBase64(file, text) {
  fs.writeFileSync(file, Buffer.from(text, 'base64'));
  return file;
}

// A scratch directory holding the site unpacked from the zip made for publishing, as a web host
// would serve it; removed when the tests end, unless QUORVIX_E2E_KEEP=1.
export function unpackSite() {
  const scratch = scratchDir();
  const site = path.join(scratch, 'site');
  fs.mkdirSync(site);
  execFileSync(setting('CMAKE', 'cmake'), ['-E', 'tar', 'xf', setting('QUORVIX_WEB_ZIP')], { cwd: site });
  process.on('exit', () => {
    if (process.env.QUORVIX_E2E_KEEP === '1') {
      console.log(`scratch files kept in ${scratch}`);
    } else {
      fs.rmSync(scratch, { recursive: true, force: true });
    }
  });
  return { scratch, site };
}
