// What the browser tests and the browser benchmark share: serving a directory with the project's
// own scripts/serve-web, Debian's Chromium started headless through puppeteer-core, pages opened
// with observe.js watching the game, and the native tests' helper programs (built for Node.js).
import { execFile, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';

import puppeteer from 'puppeteer-core';

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

// Serves DIR on 127.0.0.1 at a free port; resolves to { url, close }.
export function serve(dir) {
  return new Promise((resolve, reject) => {
    const server = spawn(path.join(repo, 'scripts', 'serve-web'), [dir, '0'], {
      env: { ...process.env, QUORVIX_SERVE_QUIET: '1' },
      stdio: ['ignore', 'pipe', 'inherit'],
    });
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const match = /at (http:\/\/127\.0\.0\.1:\d+\/)/.exec(said);
      if (match) {
        resolve({ url: match[1], close: () => server.kill('SIGTERM') });
      }
    });
    server.on('exit', (code) => reject(new Error(`serve-web ended with status ${code}: ${said}`)));
  });
}

// Chromium as Debian ships it, headless, drawing WebGL in software (SwiftShader), with no
// connection attempts of its own. Like a desktop session it gets a home of its own (for its crash
// reports, settings and caches), in the temporary directory, removed when it closes.
export async function launchBrowser() {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'quorvix-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: setting('CHROMIUM', '/usr/bin/chromium'),
    headless: true,
    env: {
      ...process.env,
      HOME: home,
      XDG_CONFIG_HOME: path.join(home, 'config'),
      XDG_CACHE_HOME: path.join(home, 'cache'),
      XDG_RUNTIME_DIR: home,
    },
    args: [
      '--no-sandbox',
      '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
      '--no-default-browser-check',
    ],
  });
  browser.on('disconnected', () => fs.rmSync(home, { recursive: true, force: true }));
  return browser;
}

// Opens URL in a new page with the game watched (observe.js), and collects what would worry a
// developer: console errors, uncaught exceptions, failed requests. Frames listed in `frames` are
// kept exactly as shown; the arrow key `holdFromStart` (say 'ArrowRight') is held from the game's
// first frame.
export async function openPage(browser, url,
                               { frames = [], holdFromStart = null, viewport = { width: 1000, height: 800 } } = {}) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') {
      problems.push(`console error: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`uncaught: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) {
      problems.push(`HTTP ${response.status()}: ${response.url()}`);
    }
  });
  await page.evaluateOnNewDocument(observer);
  await page.evaluateOnNewDocument((wanted, held) => {
    wanted.forEach((n) => window.__quorvix.wanted.add(n));
    window.__quorvix.holdFromStart = held;
  }, frames, holdFromStart);
  await page.goto(url);
  return { page, problems };
}

// Waits until the page says the game may start.
export function waitReady(page, timeout = 30000) {
  return page.waitForFunction(
    () => /Click/.test(document.getElementById('prompt').textContent), { timeout });
}

export function waitFrames(page, count, timeout = 30000) {
  return page.waitForFunction((n) => window.__quorvix.frames >= n, { timeout, polling: 10 }, count);
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

export function scratchDir() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'quorvix-web-'));
}

// Writes base64 text (from observe.js) to FILE.
export function writeBase64(file, text) {
  fs.writeFileSync(file, Buffer.from(text, 'base64'));
  return file;
}
