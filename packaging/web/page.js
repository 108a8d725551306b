// The page around the game: downloads it, showing how far it has got over the game's first frame
// (a picture, until the game draws); starts it at the person's first click or key press on the
// game's area, or the end of the first tap on the game or its controls (browsers keep sound off
// until then, and a match begun while nobody looks would be lost); brings the sound back after
// the browser has suspended it (another app, a locked phone); keeps the arrow keys from scrolling
// the page; lets the game draw without WebGL where the browser has none; has the service worker
// keep the game for play with no network; and shows on the page whatever stops the game from
// running: no WebAssembly, a file that did not download, or the game's own start-up messages (it
// writes to its standard output only when it cannot start).
'use strict';
(function () {
  const stage = document.getElementById('stage');
  const game = document.getElementById('game');
  const canvas = document.getElementById('canvas');
  const firstFrame = document.getElementById('first-frame');
  const prompt = document.getElementById('prompt');
  const messages = document.getElementById('messages');

  // The game's files, by the names they are published under, and their sizes in bytes (both
  // written in when the site is built).
  const SCRIPT = 'quorvix.js';
  const WASM = 'quorvix.wasm';
  const DATA = 'quorvix.data';
  const SIZES = /* sizes */ { 'quorvix.js': 0, 'quorvix.wasm': 0, 'quorvix.data': 0 };

  let ready = false; // the game and its files are loaded
  let wanted = false; // the person has asked to play
  let started = false;
  let failed = false;

  function fail(line) {
    failed = true;
    messages.hidden = false;
    messages.textContent += (messages.textContent ? '\n' : '') + line;
    prompt.hidden = false;
    prompt.textContent = 'Quorvix cannot run here';
    game.classList.remove('playing');
  }

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail('This browser cannot run WebAssembly, which Quorvix needs. ' +
         'Any current version of Firefox, Chrome, Edge or Safari can.');
    return;
  }

  // How far the download has got, in bytes of the total.
  const total = Object.values(SIZES).reduce((sum, size) => sum + size, 0);
  const received = new Map();
  const megabytes = (bytes) => `${(bytes / 1e6).toFixed(1)} MB`;
  function progress(name, bytes) {
    received.set(name, bytes);
    if (!ready && !failed) {
      const sum = [...received.values()].reduce((a, b) => a + b, 0);
      prompt.textContent = `Loading… ${megabytes(sum)} of ${megabytes(total)}`;
    }
  }

  // NAME's bytes, counted as they arrive.
  async function download(name) {
    let response;
    try {
      response = await fetch(name);
    } catch (error) {
      throw new Error(`Could not download ${name}: there is no connection to ${location.host}. ` +
                      'Check the network connection and reload the page.');
    }
    if (!response.ok) {
      throw new Error(`Could not download ${name}: the server answered ${response.status} ${response.statusText}`.trim());
    }
    const chunks = [];
    let length = 0;
    const reader = response.body.getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) {
        break;
      }
      chunks.push(value);
      length += value.length;
      progress(name, length);
    }
    const bytes = new Uint8Array(length);
    chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
    return bytes;
  }

  // The game draws with WebGL where the browser has it, and otherwise with SDL's software
  // renderer into a 2D canvas: asked on a canvas of the page's own, never the game's.
  function hasWebGL() {
    const gl = document.createElement('canvas').getContext('webgl');
    const lose = gl && gl.getExtension('WEBGL_lose_context');
    if (lose) {
      lose.loseContext();
    }
    return Boolean(gl);
  }

  function startGame() {
    if (started || !ready) {
      return;
    }
    started = true;
    prompt.hidden = true;
    firstFrame.hidden = true;
    game.classList.add('playing');
    game.focus({ preventScroll: true });
    window.Module.callMain([]);
    stage.dispatchEvent(new Event('gamestarted'));
  }

  const touchscreen = () => document.documentElement.classList.contains('touch');
  const invitation = () => (touchscreen() ? 'Tap to play' : 'Click here or press a key to play');
  stage.addEventListener('touchscreen', () => {
    if (ready && !started && !failed) {
      prompt.textContent = invitation();
    }
  });

  // P and M (pause, mute) are keys of a game already running: they do not start one.
  const notToStart = new Set(['p', 'm', 'pause']);
  function askToPlay(event) {
    if (event.type === 'keydown' && (event.ctrlKey || event.altKey || event.metaKey ||
                                     notToStart.has(event.key.toLowerCase()))) {
      return;
    }
    wanted = true;
    startGame();
  }
  game.addEventListener('mousedown', askToPlay);
  game.addEventListener('keydown', askToPlay);
  // A tap starts the game as it ends: browsers let sound start then, not as a touch begins.
  for (const type of ['pointerup', 'touchend']) {
    stage.addEventListener(type, (event) => {
      if (!event.target.closest('#bar')) {
        askToPlay(event);
      }
    });
  }

  // Sound the browser has suspended or interrupted (another app in front, the phone locked) is
  // resumed when the page is back, or at the next touch or key where the browser wants one.
  function resumeSound() {
    const context = window.Module && window.Module.SDL2 && window.Module.SDL2.audioContext;
    if (context && (context.state === 'suspended' || context.state === 'interrupted')) {
      context.resume().catch(() => {});
    }
  }
  for (const type of ['pointerup', 'touchend', 'keydown', 'mousedown', 'focus', 'pageshow']) {
    window.addEventListener(type, resumeSound, true);
  }
  document.addEventListener('visibilitychange', () => document.hidden || resumeSound());

  // The game reads the arrow keys; the page never scrolls with them.
  const gameKeys = new Set(['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ']);
  window.addEventListener('keydown', (event) => {
    if (gameKeys.has(event.key)) {
      event.preventDefault();
    }
  }, { passive: false });

  window.addEventListener('error', (event) => {
    fail('Error: ' + (event.message || 'a script failed'));
  });
  window.addEventListener('unhandledrejection', (event) => {
    fail('Error: ' + String(event.reason && event.reason.message ? event.reason.message : event.reason));
  });

  const data = download(DATA);
  const wasm = download(WASM);

  // Once the game is in, the service worker keeps it for play with no network. The two large
  // files just downloaded are handed to it (it takes them from the cache HANDED_OVER as it
  // installs), so that a first visit downloads them once; unless it holds them already.
  const HANDED_OVER = 'quorvix-downloads';
  async function keepForOffline() {
    if (!('serviceWorker' in navigator) || !window.caches) {
      return;
    }
    if (!(await caches.match(WASM))) {
      const handed = await caches.open(HANDED_OVER);
      const types = { [DATA]: 'application/octet-stream', [WASM]: 'application/wasm' };
      await Promise.all([[DATA, await data], [WASM, await wasm]].map(([name, bytes]) =>
        handed.put(name, new Response(bytes, { headers: { 'Content-Type': types[name] } }))));
    }
    await navigator.serviceWorker.register('sw.js');
  }
  const webgl = hasWebGL();
  window.Module = {
    canvas: canvas,
    // The program comes from the download above (a failed download is reported there).
    instantiateWasm: (imports, receive) => {
      wasm.then((bytes) => WebAssembly.instantiate(bytes, imports)
        .then((result) => receive(result.instance, result.module))
        .catch((error) => fail(`Quorvix could not start: ${error.message}`)), () => {});
      return {};
    },
    // The sounds are played by the game's own mixer: the browser need not decode them.
    noAudioDecoding: true,
    noImageDecoding: true,
    preRun: [() => {
      if (!webgl) {
        window.Module.ENV.SDL_RENDER_DRIVER = 'software';
      }
    }],
    print: (line) => {
      console.log(line);
      fail(line);
    },
    printErr: (line) => console.warn(line),
    // The game says whether it is held and whether it is muted, for its Pause and Mute buttons.
    showHold: (held, muted) => stage.dispatchEvent(new CustomEvent('gameheld', { detail: { held, muted } })),
    onRuntimeInitialized: () => {
      ready = true;
      prompt.textContent = invitation();
      if (wanted) {
        startGame();
      }
      keepForOffline().catch((error) => console.warn('Quorvix will not play offline:', error.message));
    },
    onAbort: (what) => {
      fail('Quorvix stopped: ' + what);
    },
  };

  // The game's script reads the data file as it starts: it is added once the data is in.
  data.then((bytes) => {
    window.Module.getPreloadedPackage = () => bytes.buffer;
    const script = document.createElement('script');
    script.src = SCRIPT;
    script.onload = () => progress(SCRIPT, SIZES[SCRIPT]);
    script.onerror = () => fail(`Could not download ${SCRIPT}: check the network connection and reload the page.`);
    document.body.appendChild(script);
  }).catch((error) => fail(error.message));
  wasm.catch((error) => fail(error.message));
  game.focus({ preventScroll: true });
})();
