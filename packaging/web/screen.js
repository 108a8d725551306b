// The game on any screen: the court's size, the controls of touch screens, and full screen. The
// game itself knows nothing of this: it draws 800 × 600 pixels and reads the arrow keys as held.
//
// - On a desktop the court is 800 × 600 CSS pixels, narrower only in a narrower window (page.css).
// - On a touch screen (the primary pointer is coarse, or the page has been touched), in full
//   screen (the page's button, every browser's own, an installed app started so), the stage fills
//   the screen, clear of notches and rounded corners, and the court is the largest 4 : 3 area that
//   leaves room for the controls: beside it when the screen is wider than tall (moving on the left,
//   tilting on the right, one thumb each; each pair one above the other where that makes the court
//   larger, as on a tablet), below it otherwise. A desktop in full screen has no controls.
// - Scaling: nearest-pixel, so that at whole multiples every court pixel is an identical block
//   and at fractional ones no line is lost; below one screen pixel per court pixel, smooth, so
//   that lines blend rather than vanish. The court is sized in whole screen pixels.
// - Each control holds its arrow key for as long as a finger stays on it, by sending the game
//   what the real key sends. A finger sliding from one control onto another lets the first go and
//   presses the second; one sliding off, lifted or cancelled lets its key go, and so does the page
//   losing focus or being hidden. Several fingers hold several keys.
// - The Pause and Mute buttons, on every page, press P and M once the game runs, and look pressed
//   while the game says it is held or muted. A click or tap on a held game's court plays on. The
//   choice to mute is kept in the browser's storage for the next visit.
'use strict';
(function () {
  const root = document.documentElement;
  const stage = document.getElementById('stage');
  const canvas = document.getElementById('canvas');
  const firstFrame = document.getElementById('first-frame');
  const game = document.getElementById('game');
  const fullscreenButton = document.getElementById('fullscreen');
  const holdButton = document.getElementById('hold');
  const muteButton = document.getElementById('mute');
  const install = document.getElementById('install');
  const controls = [...stage.querySelectorAll('button[data-key]')];

  const COURT_WIDTH = 800;
  const COURT_HEIGHT = 600;
  const SMALLEST_BUTTON = 44; // CSS px: the usual least size of a touch target
  const LARGEST_BUTTON = 96;
  const GAP = 8; // between the controls, and around them (page.css's gap)
  const KEY_CODES = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, p: 80, m: 77 };

  const clamp = (value, low, high) => Math.max(low, Math.min(high, value));
  const px = (text) => parseFloat(text) || 0;
  const fullscreenElement = () => document.fullscreenElement || document.webkitFullscreenElement || null;
  // The browser in full screen, by its own key or as an installed app started so.
  const fullscreenWindow = matchMedia('(display-mode: fullscreen)');

  // The largest 4 : 3 area within WIDTH × HEIGHT CSS px, in whole screen pixels.
  function fit(width, height) {
    const ratio = window.devicePixelRatio || 1;
    const unit = Math.max(1, Math.floor(Math.min((width * ratio) / 4, (height * ratio) / 3)));
    return { width: (unit * 4) / ratio, height: (unit * 3) / ratio };
  }

  function smoothing() {
    const shown = game.getBoundingClientRect().width * (window.devicePixelRatio || 1);
    for (const court of [canvas, firstFrame]) {
      court.classList.toggle('smooth', shown > 0 && shown < COURT_WIDTH - 0.5);
    }
  }

  function layout() {
    const touch = root.classList.contains('touch');
    const fitted = touch || fullscreenElement() === stage || fullscreenWindow.matches;
    stage.classList.toggle('fitted', fitted);
    stage.classList.remove('sideways', 'upright', 'stacked');
    if (fitted) {
      const style = getComputedStyle(stage);
      const width = stage.clientWidth - px(style.paddingLeft) - px(style.paddingRight);
      const height = stage.clientHeight - px(style.paddingTop) - px(style.paddingBottom);
      let court = fit(width, height);
      let button = 0;
      if (touch) {
        // Room first for two controls, side by side or one above the other, with gaps around
        // them: in a column on each side, or in a row below. Whatever the court leaves over makes
        // the controls larger. (The bar of 44 px buttons, full screen, pause and mute, sits above
        // the moving controls in as many rows as it needs, or between the two pairs, two wide.)
        // Sideways, a screen whose height the court does not fill with the controls two wide (a
        // tablet's) has them one wide, at their least size.
        const least = clamp(Math.round(Math.min(width, height) * 0.12), SMALLEST_BUTTON, 72);
        const room = 2 * least + 4 * GAP;
        const bar = [...document.getElementById('bar').children].filter((b) => getComputedStyle(b).display !== 'none').length;
        if (width >= height) {
          stage.classList.add('sideways');
          court = fit(width - 2 * room, height);
          const stacked = fit(width - 2 * (SMALLEST_BUTTON + 3 * GAP), height);
          const stack = stacked.height > court.height;
          stage.classList.toggle('stacked', stack);
          court = stack ? stacked : court;
          const column = (width - court.width) / 2 - GAP;
          const rows = Math.ceil(bar / Math.max(1, Math.floor((column - GAP) / (SMALLEST_BUTTON + GAP))));
          button = Math.min(stack ? column - 2 * GAP : (column - 3 * GAP) / 2,
                            (height - rows * (SMALLEST_BUTTON + GAP) - 5 * GAP) / 2);
        } else {
          stage.classList.add('upright');
          court = fit(width, height - room);
          button = Math.min((height - court.height - 4 * GAP) / 2, (width - 2 * SMALLEST_BUTTON - 10 * GAP) / 3);
        }
        stage.style.setProperty('--button', `${Math.floor(clamp(button, SMALLEST_BUTTON, LARGEST_BUTTON))}px`);
      }
      stage.style.setProperty('--court-w', `${court.width}px`);
      stage.style.setProperty('--court-h', `${court.height}px`);
    }
    smoothing();
  }

  // Touch screens: from the start where the primary pointer is coarse, else from the first touch.
  function useTouch() {
    if (root.classList.contains('touch')) {
      return;
    }
    root.classList.add('touch');
    layout();
    const standalone = matchMedia('(display-mode: standalone), (display-mode: fullscreen)').matches ||
      navigator.standalone === true;
    install.classList.toggle('shown', !canFullscreen && !standalone);
    stage.dispatchEvent(new Event('touchscreen', { bubbles: true }));
  }
  const coarse = matchMedia('(pointer: coarse)');
  window.addEventListener('touchstart', useTouch, { capture: true, passive: true });
  window.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'touch') {
      useTouch();
    }
  }, { capture: true });
  coarse.addEventListener?.('change', () => coarse.matches && useTouch());

  // The keys, sent as the real ones are (key, code and keyCode alike) to where the game reads
  // them. A key also held on the keyboard stays held when its control is let go.
  const fingers = new Map(); // pointer id -> the control under that finger
  const holding = new Map(); // key -> how many fingers hold it
  const keyboard = new Set(); // keys held on the keyboard
  function send(type, key) {
    const keyCode = KEY_CODES[key];
    const code = key.length === 1 ? `Key${key.toUpperCase()}` : key;
    const event = new KeyboardEvent(type, { key, code, keyCode, which: keyCode, bubbles: true, cancelable: true, view: window });
    for (const name of ['keyCode', 'which']) {
      if (event[name] !== keyCode) {
        Object.defineProperty(event, name, { value: keyCode });
      }
    }
    window.dispatchEvent(event);
  }
  function hold(control, held) {
    const key = control.dataset.key;
    const count = (holding.get(key) || 0) + (held ? 1 : -1);
    holding.set(key, count);
    control.classList.toggle('held', count > 0);
    if (held && count === 1) {
      send('keydown', key);
    } else if (!held && count === 0 && !keyboard.has(key)) {
      send('keyup', key);
    }
  }
  // Finger ID is now on CONTROL (or on none).
  function place(id, control) {
    const before = fingers.get(id);
    if (before === control) {
      return;
    }
    if (before) {
      hold(before, false);
    }
    if (control) {
      fingers.set(id, control);
      hold(control, true);
    } else {
      fingers.delete(id);
    }
  }
  const controlAt = (x, y) => {
    const found = document.elementFromPoint(x, y);
    const control = found && found.closest('button[data-key]');
    return controls.includes(control) ? control : null;
  };
  const letGo = () => [...fingers.keys()].forEach((id) => place(id, null));

  stage.addEventListener('pointerdown', (event) => {
    const control = event.target.closest('button[data-key]');
    if (!controls.includes(control)) {
      return;
    }
    // No focus, no mouse events made up from the touch: only the key.
    event.preventDefault();
    if (control.hasPointerCapture(event.pointerId)) {
      control.releasePointerCapture(event.pointerId);
    }
    place(event.pointerId, control);
  });
  window.addEventListener('pointermove', (event) => {
    if (fingers.has(event.pointerId)) {
      place(event.pointerId, controlAt(event.clientX, event.clientY));
    }
  });
  for (const type of ['pointerup', 'pointercancel']) {
    window.addEventListener(type, (event) => place(event.pointerId, null));
  }
  window.addEventListener('blur', letGo);
  window.addEventListener('pagehide', letGo);
  document.addEventListener('visibilitychange', () => document.hidden && letGo());
  window.addEventListener('keydown', (event) => event.isTrusted && KEY_CODES[event.key] && keyboard.add(event.key), true);
  window.addEventListener('keyup', (event) => event.isTrusted && keyboard.delete(event.key), true);

  // No browser gestures on the stage (page.css turns off most by touch-action): no scrolling in
  // browsers that ignore it, no long-press menu, no pinch zoom in Safari.
  stage.addEventListener('touchmove', (event) => event.preventDefault(), { passive: false });
  stage.addEventListener('contextmenu', (event) => event.preventDefault());
  document.addEventListener('gesturestart', (event) => event.preventDefault());

  // Full screen for the stage, controls and all, and landscape where the browser can lock it
  // (phones); Escape, or the button again, leaves it. Where a page cannot have full screen (Safari
  // on iPhones), a touch screen's page says how to add the game to the home screen instead.
  const canFullscreen = Boolean((document.fullscreenEnabled || document.webkitFullscreenEnabled) &&
    (stage.requestFullscreen || stage.webkitRequestFullscreen));
  root.classList.toggle('can-fullscreen', canFullscreen);
  fullscreenButton.addEventListener('click', async () => {
    if (fullscreenElement()) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
      return;
    }
    try {
      await (stage.requestFullscreen || stage.webkitRequestFullscreen).call(stage, { navigationUI: 'hide' });
      await screen.orientation.lock('landscape');
    } catch (error) {
      // Full screen refused, or the orientation cannot be locked: play on as it is.
    }
  });
  for (const type of ['fullscreenchange', 'webkitfullscreenchange']) {
    document.addEventListener(type, () => {
      fullscreenButton.setAttribute('aria-pressed', String(fullscreenElement() === stage));
      layout();
    });
  }

  // Pause and Mute: keys pressed and let go at once, for a game that has started (the page says
  // when, and passes on what the game says of itself).
  const MUTED = 'quorvix-muted';
  const remember = (value) => {
    try {
      return value === undefined ? localStorage.getItem(MUTED) : localStorage.setItem(MUTED, value);
    } catch (error) {
      return null; // storage refused: nothing is remembered
    }
  };
  let playing = false;
  let held = false;
  const press = (key) => playing && (send('keydown', key), send('keyup', key));
  stage.addEventListener('gamestarted', () => {
    playing = true;
    holdButton.removeAttribute('aria-disabled');
    muteButton.removeAttribute('aria-disabled');
    if (remember() === '1') {
      press('m');
    }
  });
  stage.addEventListener('gameheld', ({ detail }) => {
    held = detail.held;
    holdButton.setAttribute('aria-pressed', String(detail.held));
    muteButton.setAttribute('aria-pressed', String(detail.muted));
    remember(detail.muted ? '1' : '0');
  });
  holdButton.addEventListener('click', () => press('p'));
  muteButton.addEventListener('click', () => press('m'));
  game.addEventListener('pointerup', () => held && press('p'));

  // The bar's buttons give the keyboard back to the game, so that Space or Enter does not press
  // them again.
  document.getElementById('bar').addEventListener('click', () => game.focus({ preventScroll: true }));

  window.addEventListener('resize', layout);
  fullscreenWindow.addEventListener?.('change', layout);
  window.addEventListener('orientationchange', layout);
  if (window.ResizeObserver) {
    new ResizeObserver(smoothing).observe(canvas);
  }
  if (coarse.matches) {
    useTouch();
  } else {
    layout();
  }
})();
