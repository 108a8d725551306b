// The page around the game: loads it, starts it at the person's first click or key press on the
// game's area (browsers keep sound off until then, and a match begun while nobody looks would be
// lost), keeps the arrow keys from scrolling the page, and shows on the page whatever stops the
// game from running: no WebAssembly, a file that did not load, or the game's own start-up
// messages (it writes to its standard output only when it cannot start).
'use strict';
(function () {
  const game = document.getElementById('game');
  const canvas = document.getElementById('canvas');
  const prompt = document.getElementById('prompt');
  const messages = document.getElementById('messages');

  let ready = false; // the game and its files are loaded
  let wanted = false; // the person has asked to play
  let started = false;

  function fail(line) {
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

  function startGame() {
    if (started || !ready) {
      return;
    }
    started = true;
    prompt.hidden = true;
    game.classList.add('playing');
    game.focus({ preventScroll: true });
    window.Module.callMain([]);
  }

  function askToPlay(event) {
    if (event.type === 'keydown' && (event.ctrlKey || event.altKey || event.metaKey)) {
      return;
    }
    wanted = true;
    startGame();
  }
  game.addEventListener('mousedown', askToPlay);
  game.addEventListener('keydown', askToPlay);

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

  window.Module = {
    canvas: canvas,
    print: (line) => {
      console.log(line);
      fail(line);
    },
    printErr: (line) => console.warn(line),
    onRuntimeInitialized: () => {
      ready = true;
      prompt.textContent = 'Click here or press a key to play';
      if (wanted) {
        startGame();
      }
    },
    onAbort: (what) => {
      fail('Quorvix stopped: ' + what);
    },
  };

  const script = document.createElement('script');
  script.src = 'quorvix.js';
  script.onerror = () => fail('Could not load quorvix.js from ' + script.src);
  document.body.appendChild(script);
  game.focus({ preventScroll: true });
})();
