// The browser engines the browser edition is tested in, each launched in private (its own home,
// profile and, where it needs a screen, its own Xvfb), none making connections of its own beyond
// 127.0.0.1, and each giving the tests the same small page API:
//
//   const browser = await launch('firefox');  // { name, label, version, webgl, newPage, close }
//   const page = await browser.newPage({ width: 1000, height: 800 });  // the page's inner size
//   await page.goto(url);
//   await page.evaluate((a, b) => ..., a, b);  // JSON in, JSON out; a returned promise is awaited
//   await page.waitFor((n) => window.x >= n, { timeout: 30000 }, n);
//   await page.click('#game');  // a trusted click at the element's centre: a user gesture
//   await page.keyDown('ArrowUp'); await page.keyUp('ArrowUp'); await page.press('ArrowDown');
//   await page.close(); await browser.close();
//
// Chromium and Firefox are driven by puppeteer-core (Chromium over CDP, Firefox over WebDriver
// BiDi); WebKitGTK by its own WebDriver (WebKitWebDriver, driving MiniBrowser) over classic W3C
// WebDriver, through the small client below. Keys and clicks come through the browser's input
// pipeline in all of them, so the page sees trusted events with the real key, code and keyCode.
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

import puppeteer from 'puppeteer-core';

const INSTALL = 'scripts/install-deps --web-tests installs it';
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function need(file, what) {
  try {
    fs.accessSync(file, fs.constants.X_OK);
  } catch {
    throw new Error(`${what} is not installed (no ${file}): ${INSTALL}`);
  }
  return file;
}

// Everything a launch sets up is recorded with how to undo it; close() undoes it in reverse order,
// as does a launch that fails half-way. Should the test process end before that is done, what is
// left is undone as it exits: the processes killed, the directories removed.
const open = new Set();
process.on('exit', () => open.forEach((undo) => {
  while (undo.length) {
    try {
      undo.pop()(true);
    } catch {
      // The rest is undone all the same.
    }
  }
}));
// Ended by a signal, the test process still exits through that.
for (const name of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.once(name, () => process.exit(128 + os.constants.signals[name]));
}

async function setUp(launch) {
  const undo = [];
  let closing;
  const close = () => {
    closing ??= (async () => {
      while (undo.length) {
        await Promise.resolve(undo.pop()).then((step) => step(false)).catch(() => {});
      }
      open.delete(undo);
    })();
    return closing;
  };
  open.add(undo);
  try {
    return { ...(await launch((step) => undo.push(step))), close };
  } catch (error) {
    await close();
    throw error;
  }
}

// Ends the process group PGID (a process started detached, and all it started): at once as the test
// process exits, otherwise with a moment to finish, waited for.
async function endGroup(pgid, exiting) {
  const signal = (name) => {
    try {
      process.kill(-pgid, name);
      return true;
    } catch {
      return false;
    }
  };
  if (signal(exiting ? 'SIGKILL' : 'SIGTERM')) {
    for (let tries = 0; tries < 100 && signal(0); tries++) {
      await sleep(20);
    }
    signal('SIGKILL');
  }
}

// A home of the browser's own in the temporary directory, as a desktop session would give it.
function privateHome(track, name) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), `quorvix-${name}-`));
  track(() => fs.rmSync(home, { recursive: true, force: true }));
  const env = { ...process.env, HOME: home, XDG_RUNTIME_DIR: home };
  for (const dir of ['config', 'cache', 'data']) {
    env[`XDG_${dir.toUpperCase()}_HOME`] = path.join(home, dir);
  }
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  return { home, env };
}

// A private X server: Xvfb picks a free display itself and says which (-displayfd).
function startXvfb(track) {
  need('/usr/bin/Xvfb', 'Xvfb');
  return new Promise((resolve, reject) => {
    const xvfb = spawn('/usr/bin/Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1200x24', '-nolisten', 'tcp'],
                       { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    track(() => xvfb.kill());
    let said = '';
    let display = '';
    xvfb.stderr.on('data', (chunk) => { said = (said + chunk).slice(-2000); });
    xvfb.stdio[3].on('data', (chunk) => {
      display += chunk;
      if (display.endsWith('\n')) {
        resolve(`:${display.trim()}`);
      }
    });
    xvfb.on('exit', (code) => reject(new Error(`Xvfb ended with status ${code}: ${said}`)));
  });
}

// --- Chromium and Firefox, through puppeteer-core ----------------------------------------------

function puppeteerPage(page) {
  return {
    // A phone or tablet (TOUCH): a touch screen, a coarse pointer and a mobile viewport.
    resize: ({ width, height, touch = false, scale = 1 }) =>
      page.setViewport({ width, height, deviceScaleFactor: scale, isMobile: touch, hasTouch: touch }),
    touchStart: (x, y) => page.touchscreen.touchStart(x, y),
    cdp: () => page.createCDPSession(),
    screenshot: (options) => page.screenshot(options),
    goto: (url) => page.goto(url),
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    click: (selector) => page.click(selector),
    keyDown: (key) => page.keyboard.down(key),
    keyUp: (key) => page.keyboard.up(key),
    press: (key) => page.keyboard.press(key),
    close: () => page.close(),
  };
}

async function puppeteerBrowser(browser) {
  return {
    version: await browser.version(),
    newPage: async ({ width = 1000, height = 800, touch, scale } = {}) => {
      const page = puppeteerPage(await browser.newPage());
      await page.resize({ width, height, touch, scale });
      return page;
    },
  };
}

// Debian's Chromium, headless, drawing WebGL in software (SwiftShader), with launchBrowser's flags
// (browser.mjs) and one more.
function chromium(...extraArgs) {
  return (track) => {
    const executablePath = need(process.env.CHROMIUM || '/usr/bin/chromium', 'Chromium');
    const { env } = privateHome(track, 'chromium');
    return puppeteer.launch({
      executablePath,
      headless: true,
      env,
      args: [
        '--no-sandbox',
        '--use-angle=swiftshader',
        '--enable-unsafe-swiftshader',
        '--disable-background-networking',
        '--disable-component-update',
        '--disable-sync',
        '--no-first-run',
        '--no-default-browser-check',
        // Chromium still looks up its own services' names (accounts.google.com and others): no
        // name resolves but 127.0.0.1's.
        '--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1',
        // Sound only after the person has clicked, tapped or pressed a key, as in a browser of
        // one's own.
        '--autoplay-policy=document-user-activation-required',
        ...extraArgs,
      ],
    }).then((browser) => {
      track((exiting) => (exiting ? endGroup(browser.process().pid, true) : browser.close()));
      return puppeteerBrowser(browser);
    });
  };
}

// Firefox's own traffic, all of it off (on top of what puppeteer turns off: updates, add-on
// updates, health reports, speculative connections): telemetry and studies, safe browsing, remote
// settings, captive portal and connectivity checks, DNS over HTTPS, push, region and geolocation
// look-ups, prefetching. What might still slip through goes to a proxy that is not there; only
// 127.0.0.1 is reached directly.
const firefoxPrefs = {
  'app.normandy.enabled': false,
  'app.shield.optoutstudies.enabled': false,
  'browser.discovery.enabled': false,
  'browser.newtabpage.activity-stream.feeds.telemetry': false,
  'browser.newtabpage.activity-stream.telemetry': false,
  'browser.ping-centre.telemetry': false,
  'browser.region.network.url': '',
  'browser.region.update.enabled': false,
  'browser.safebrowsing.provider.google.updateURL': '',
  'browser.safebrowsing.provider.google4.updateURL': '',
  'browser.safebrowsing.provider.mozilla.updateURL': '',
  'browser.safebrowsing.update.enabled': false,
  'browser.search.geoip.url': '',
  'browser.topsites.contile.enabled': false,
  'captivedetect.canonicalURL': '',
  'dom.push.connection.enabled': false,
  'dom.push.serverURL': '',
  'extensions.blocklist.enabled': false,
  'extensions.systemAddon.update.enabled': false,
  'geo.provider.network.url': '',
  'identity.fxaccounts.enabled': false,
  'media.gmp-gmpopenh264.enabled': false,
  'media.gmp-manager.url': '',
  'messaging-system.rsexperimentloader.enabled': false,
  'network.captive-portal-service.enabled': false,
  'network.connectivity-service.enabled': false,
  'network.dns.disablePrefetch': true,
  'network.predictor.enabled': false,
  'network.prefetch-next': false,
  'network.proxy.type': 1,
  'network.proxy.http': '127.0.0.1',
  'network.proxy.http_port': 9,
  'network.proxy.ssl': '127.0.0.1',
  'network.proxy.ssl_port': 9,
  'network.proxy.no_proxies_on': '127.0.0.1,localhost',
  'network.proxy.allow_hijacking_localhost': false,
  'network.trr.mode': 5,
  'security.OCSP.enabled': 0,
  'security.remote_settings.crlite_filters.enabled': false,
  'security.remote_settings.intermediates.enabled': false,
  'services.settings.server': 'http://127.0.0.1:9/',
  'toolkit.telemetry.enabled': false,
  'toolkit.telemetry.server': '',
  'toolkit.telemetry.unified': false,
  // Sound through ALSA into the private home's pipe (soundPipe), opened in the page's own process:
  // through Firefox's sound server process, about one launch in three finds no output channels.
  'media.cubeb.backend': 'alsa',
  'media.cubeb.sandbox': false,
  'media.cubeb.force_sample_rate': 44100,
  // Sound may start only after a person's click or key press, as Firefox ships.
  'media.autoplay.default': 1,
  'media.autoplay.blocking_policy': 0,
};

// Firefox's Web Audio starts only once a sound device takes its output, and there is none here
// (Chromium and WebKitGTK fall back to a silent one of their own). ALSA's null device would
// swallow the sound at once, so that Web Audio's clock raced ahead; instead ALSA's file plugin
// writes it into a pipe that is drained here at the pace of a real card: 44.1 kHz, two channels
// of 32-bit floats, as Firefox writes them. (The multi plugin pins the null device to two
// channels: on its own it claims a billion, which Firefox cannot open.)
const SOUND_BYTES_PER_SECOND = 44100 * 2 * 4;

function soundPipe(track, home) {
  const pipe = path.join(home, 'sound');
  execFileSync('mkfifo', [pipe]);
  fs.writeFileSync(path.join(home, '.asoundrc'), `pcm.!default {
  type file
  file "${pipe}"
  format raw
  slave.pcm { type multi; slaves.a { pcm { type null } channels 2 }
              bindings.0 { slave a; channel 0 } bindings.1 { slave a; channel 1 } }
}
`);
  const fd = fs.openSync(pipe, fs.constants.O_RDONLY | fs.constants.O_NONBLOCK);
  // Up to half a second is caught up at once, should the tests' own work hold the drain up.
  const buffer = Buffer.alloc(SOUND_BYTES_PER_SECOND / 2);
  let owed = 0;
  let last = performance.now();
  const drain = setInterval(() => {
    const now = performance.now();
    owed = Math.min(owed + ((now - last) / 1000) * SOUND_BYTES_PER_SECOND, buffer.length);
    last = now;
    try {
      owed -= fs.readSync(fd, buffer, 0, Math.floor(owed / 8) * 8);
    } catch (error) {
      if (error.code !== 'EAGAIN') {
        throw error;
      }
    }
  }, 10);
  drain.unref();
  track(() => {
    clearInterval(drain);
    fs.closeSync(fd);
  });
}

// Debian's firefox-esr over WebDriver BiDi: with WebGL it gets a screen of its own (Xvfb, where
// Mesa's llvmpipe draws WebGL); without it, it runs headless with WebGL turned off.
function firefox({ webgl }) {
  return async (track) => {
    const executablePath = need(process.env.FIREFOX || '/usr/bin/firefox-esr', 'Firefox (firefox-esr)');
    const { home, env } = privateHome(track, 'firefox');
    soundPipe(track, home);
    // Firefox keeps sound out of the page's process while that process is sandboxed.
    env.MOZ_DISABLE_CONTENT_SANDBOX = '1';
    // Without this Firefox ignores services.settings.server and looks up Mozilla's own.
    env.MOZ_REMOTE_SETTINGS_DEVTOOLS = '1';
    if (webgl) {
      env.DISPLAY = await startXvfb(track);
    }
    const browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath,
      headless: !webgl,
      userDataDir: path.join(home, 'profile'),
      env,
      extraPrefsFirefox: { ...firefoxPrefs, 'webgl.disabled': !webgl },
    });
    track((exiting) => (exiting ? endGroup(browser.process().pid, true) : browser.close()));
    return puppeteerBrowser(browser);
  };
}

// --- WebKitGTK, through WebKitWebDriver and classic WebDriver ----------------------------------

const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';
// WebDriver's code points for the arrow keys.
const KEYS = { ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015' };

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    }).on('error', reject);
  });
}

// One WebDriver command: METHOD on PATH (under the session) with BODY; resolves to its value.
async function command(base, method, where, body) {
  const response = await fetch(`${base}${where}`, {
    method,
    headers: { 'content-type': 'application/json' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const { value } = await response.json();
  if (!response.ok) {
    throw new Error(`WebDriver ${method} ${where}: ${value.error}: ${value.message}`);
  }
  return value;
}

async function webkitgtk(track) {
  const driverPath = need('/usr/bin/WebKitWebDriver', 'WebKitWebDriver (webkit2gtk-driver)');
  need(MINIBROWSER, 'MiniBrowser (webkit2gtk-driver)');
  const { env } = privateHome(track, 'webkitgtk');
  env.DISPLAY = await startXvfb(track);
  const port = await freePort();
  // The driver, MiniBrowser and WebKit's own processes make one process group, ended together
  // before the home is removed, so that none is left to write into it.
  const driver = spawn(driverPath, [`--port=${port}`], { env, detached: true, stdio: ['ignore', 'pipe', 'pipe'] });
  track((exiting) => endGroup(driver.pid, exiting));
  let said = '';
  const listen = (chunk) => { said = (said + chunk).slice(-4000); };
  driver.stdout.on('data', listen);
  driver.stderr.on('data', listen);
  const server = `http://127.0.0.1:${port}`;
  for (let tries = 0; ; tries++) {
    if (driver.exitCode !== null || tries === 100) {
      throw new Error(`WebKitWebDriver did not start: ${said}`);
    }
    try {
      await command(server, 'GET', '/status');
      break;
    } catch {
      await sleep(50);
    }
  }
  const session = await command(server, 'POST', '/session', {
    capabilities: {
      alwaysMatch: {
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': {
          binary: MINIBROWSER,
          args: ['--automation', '--enable-dns-prefetching=false',
                 '--proxy=http://127.0.0.1:9', '--ignore-host=127.0.0.1', '--ignore-host=localhost'],
        },
      },
    },
  });
  const base = `${server}/session/${session.sessionId}`;
  track((exiting) => exiting || command(base, 'DELETE', ''));
  // WebDriver drives one window at a time: each page's commands go to its own window. The first
  // window stays open, blank, so that closing a page never ends the session.
  const first = await command(base, 'GET', '/window');
  let current = first;
  const run = async (handle, method, where, body) => {
    if (handle !== current) {
      await command(base, 'POST', '/window', { handle });
      current = handle;
    }
    return command(base, method, where, body);
  };
  const newPage = async ({ width = 1000, height = 800 } = {}) => {
    const { handle } = await command(base, 'POST', '/window/new', { type: 'window' });
    const on = (method, where, body) => run(handle, method, where, body);
    const evaluate = (fn, ...args) =>
      on('POST', '/execute/sync', { script: `return (${fn}).apply(null, arguments);`, args });
    const keys = (...actions) => on('POST', '/actions', { actions: [{ type: 'key', id: 'keys', actions }] });
    const key = (name) => KEYS[name] || name;
    // The window is sized so that its inside, without MiniBrowser's own bars, is as asked. Without
    // a window manager the size changes a moment after it is asked for: it is asked again, by the
    // difference still there, until it is right.
    const inside = () => evaluate(() => [window.innerWidth, window.innerHeight]);
    for (let tries = 0; ; tries++) {
      const [w, h] = await inside();
      if (w === width && h === height) {
        break;
      }
      if (tries === 40) {
        throw new Error(`WebKitGTK's window is ${w} × ${h} inside, not ${width} × ${height}`);
      }
      const outside = await on('GET', '/window/rect');
      await on('POST', '/window/rect', { width: outside.width + width - w, height: outside.height + height - h });
      await sleep(50);
    }
    return {
      goto: (url) => on('POST', '/url', { url }),
      evaluate,
      click: async (selector) => {
        const element = await on('POST', '/element', { using: 'css selector', value: selector });
        await on('POST', `/element/${element[ELEMENT]}/click`, {});
      },
      keyDown: (name) => keys({ type: 'keyDown', value: key(name) }),
      keyUp: (name) => keys({ type: 'keyUp', value: key(name) }),
      press: (name) => keys({ type: 'keyDown', value: key(name) }, { type: 'keyUp', value: key(name) }),
      close: async () => {
        await on('DELETE', '/window');
        await command(base, 'POST', '/window', { handle: first });
        current = first;
      },
    };
  };
  return { version: session.capabilities.browserVersion, newPage };
}

// --- The engines --------------------------------------------------------------------------------

export const engines = [
  { name: 'chromium', label: 'Chromium', webgl: true, launch: chromium() },
  { name: 'chromium-no-webgl', label: 'Chromium without WebGL', webgl: false, launch: chromium('--disable-webgl') },
  { name: 'firefox', label: 'Firefox', webgl: true, launch: firefox({ webgl: true }) },
  { name: 'firefox-no-webgl', label: 'Firefox without WebGL', webgl: false, launch: firefox({ webgl: false }) },
  { name: 'webkitgtk', label: 'WebKitGTK', webgl: true, launch: webkitgtk },
];

// Polls FN(...ARGS) in the page until it returns something truthy, which it resolves to.
async function waitFor(page, fn, { timeout = 30000 } = {}, ...args) {
  const end = Date.now() + timeout;
  for (;;) {
    const value = await page.evaluate(fn, ...args);
    if (value) {
      return value;
    }
    if (Date.now() > end) {
      throw new Error(`waited ${timeout} ms in vain for ${fn}`);
    }
    await sleep(10);
  }
}

export async function launch(name) {
  const engine = engines.find((e) => e.name === name);
  if (!engine) {
    throw new Error(`no browser engine "${name}"; there are ${engines.map((e) => e.name).join(', ')}`);
  }
  const browser = await setUp(engine.launch);
  return {
    name,
    label: engine.label,
    webgl: engine.webgl,
    version: browser.version,
    close: browser.close,
    newPage: async (options) => {
      const page = await browser.newPage(options);
      return { ...page, waitFor: (fn, options, ...args) => waitFor(page, fn, options, ...args) };
    },
  };
}
