// Added to the page by the tests' own server, before any of the page's own scripts, to watch the
// game from outside it, as the native tests' preloaded shim does: it changes nothing the game
// draws or plays. Its settings come from the page's address: `?frames=1,60,82` names the frames to
// keep, `&hold=ArrowRight` an arrow key to hold from the start.
//
// Frames: with WebGL, the game's context keeps its drawing buffer after each frame is shown
// (preserveDrawingBuffer), so what is on screen can be read back at any moment between frames;
// each frame starts with one clear, which numbers it, and frames asked for are read back just
// before the next one starts, so exactly as shown. With SDL's software renderer, each frame is
// shown with one putImageData on a 2D context, which numbers it and is kept as it is put.
//
// Keys: the arrow key to hold is pressed (and held) the moment the game opens its audio device,
// after its window and renderer and before its first frame, so that its first frame already sees
// it, as natively the harness's shim holds a key from the start.
//
// Sound: the audio context runs at 44.1 kHz, the rate the game asks for (as SDL's disk driver
// does natively), and everything SDL hands to Web Audio is recorded with the number of frames
// drawn by then, so the effects can be found in it sample for sample.
//
// Pads: with `&pad=1`, navigator.getGamepads stands in for the browser's pads: it reports none
// until window.__quorvix.plugPad() announces one (a standard-mapping pad, with a gamepadconnected
// event, as a browser does once a pad's button is pressed); window.__quorvix.padButtons[n] holds
// its button n (12 is the D-pad's up).
//
// The page: every text its prompt shows, in window.__quorvix.prompts.
//
// Problems: console errors, uncaught errors and rejections, and Content-Security-Policy
// violations are listed in window.__quorvix.problems, in every browser alike.
(() => {
  const WIDTH = 800;
  const HEIGHT = 600;
  const settings = new URLSearchParams(location.search);
  const watch = {
    frames: 0,
    frameTimes: [],
    wanted: new Set((settings.get('frames') || '').split(',').filter(Boolean).map(Number)),
    holdFromStart: settings.get('hold'),
    captured: new Map(),
    gl: null,
    context2d: null,
    wasmBytes: null,
    audio: { left: [], right: [], blocks: [] },
    problems: [],
    prompts: [],
  };
  window.__quorvix = watch;

  if (settings.get('pad')) {
    watch.padButtons = Array(17).fill(false);
    let pads = [];
    const pad = {
      id: 'Quorvix test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
      timestamp: 0, axes: [0, 0, 0, 0],
      get buttons() {
        return watch.padButtons.map((pressed) => ({ pressed, touched: pressed, value: pressed ? 1 : 0 }));
      },
    };
    navigator.getGamepads = () => pads;
    watch.plugPad = () => {
      pads = [pad];
      const event = new Event('gamepadconnected');
      Object.defineProperty(event, 'gamepad', { value: pad });
      window.dispatchEvent(event);
    };
  }

  new MutationObserver(() => {
    const text = document.getElementById('prompt')?.textContent;
    if (text !== undefined && text !== watch.prompts.at(-1)) {
      watch.prompts.push(text);
    }
  }).observe(document, { subtree: true, childList: true, characterData: true });

  const consoleError = console.error;
  console.error = function (...args) {
    watch.problems.push(`console error: ${args.join(' ')}`);
    return consoleError.apply(this, args);
  };
  window.addEventListener('error', (event) => watch.problems.push(`uncaught: ${event.message}`));
  window.addEventListener('unhandledrejection', (event) => watch.problems.push(`unhandled rejection: ${event.reason}`));
  document.addEventListener('securitypolicyviolation', (event) =>
    watch.problems.push(`blocked by the page's policy: ${event.violatedDirective} ${event.blockedURI}`));

  // The program the page instantiates, by its size: which version of it is playing.
  const instantiate = WebAssembly.instantiate;
  WebAssembly.instantiate = function (source, imports) {
    if (source instanceof ArrayBuffer || ArrayBuffer.isView(source)) {
      watch.wasmBytes = source.byteLength;
    }
    return instantiate.call(this, source, imports);
  };

  function toBase64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }

  // What is shown, or its leftmost WIDTH columns, as a binary PPM (top row first), base64-encoded
  // for the trip to Node. WebGL gives its rows bottom first.
  function readFrame(width = WIDTH, image = null) {
    let rgba;
    let stride = WIDTH;
    let rows = [...Array(HEIGHT).keys()];
    if (watch.gl) {
      const gl = watch.gl;
      rgba = new Uint8Array(width * HEIGHT * 4);
      gl.readPixels(0, 0, width, HEIGHT, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
      stride = width;
      rows = rows.reverse();
    } else {
      rgba = (image || watch.context2d.getImageData(0, 0, WIDTH, HEIGHT)).data;
    }
    const header = `P6\n${width} ${HEIGHT}\n255\n`;
    const ppm = new Uint8Array(header.length + width * HEIGHT * 3);
    for (let i = 0; i < header.length; i++) {
      ppm[i] = header.charCodeAt(i);
    }
    let out = header.length;
    for (const y of rows) {
      for (let x = 0; x < width; x++) {
        const at = (y * stride + x) * 4;
        ppm[out++] = rgba[at];
        ppm[out++] = rgba[at + 1];
        ppm[out++] = rgba[at + 2];
      }
    }
    return toBase64(ppm);
  }
  watch.readFrame = (width) => (watch.gl || watch.context2d ? readFrame(width) : null);

  function frameShown() {
    watch.frames++;
    watch.frameTimes.push(performance.now());
  }

  // Only the game's canvas is watched: the page asks a canvas of its own whether WebGL is there.
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, attributes) {
    if (this.id !== 'canvas' || watch.gl || watch.context2d) {
      return getContext.call(this, type, attributes);
    }
    if (type === '2d') {
      const context = getContext.call(this, type, attributes);
      watch.context2d = context;
      const putImageData = context.putImageData;
      context.putImageData = function (image, ...where) {
        const result = putImageData.call(this, image, ...where);
        frameShown();
        if (watch.wanted.has(watch.frames)) {
          watch.captured.set(watch.frames, readFrame(WIDTH, image));
        }
        return result;
      };
      return context;
    }
    const gl = getContext.call(this, type, { ...attributes, preserveDrawingBuffer: true });
    if (gl) {
      watch.gl = gl;
      const clear = gl.clear;
      gl.clear = function (mask) {
        if (watch.wanted.has(watch.frames)) {
          watch.captured.set(watch.frames, readFrame());
        }
        frameShown();
        return clear.call(this, mask);
      };
    }
    return gl;
  };

  const BaseAudioContext = window.AudioContext || window.webkitAudioContext;
  if (BaseAudioContext) {
    class WatchedAudioContext extends BaseAudioContext {
      constructor(options) {
        super({ sampleRate: 44100, ...options });
        watch.audio.context = this;
        if (watch.holdFromStart) {
          const key = watch.holdFromStart;
          const keyCode = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40 }[key];
          window.dispatchEvent(new KeyboardEvent('keydown', { key, code: key, keyCode, which: keyCode, bubbles: true }));
        }
      }
    }
    window.AudioContext = WatchedAudioContext;
    window.webkitAudioContext = WatchedAudioContext;
  }

  function record(buffer) {
    const left = buffer.getChannelData(0);
    const right = buffer.numberOfChannels > 1 ? buffer.getChannelData(1) : left;
    watch.audio.blocks.push({ frames: watch.frames, length: left.length });
    watch.audio.left.push(Float32Array.from(left));
    watch.audio.right.push(Float32Array.from(right));
  }
  // Everything played, as 16-bit stereo little-endian samples (what SDL's disk driver writes),
  // base64-encoded.
  watch.recording = () => {
    const total = watch.audio.left.reduce((n, block) => n + block.length, 0);
    const out = new DataView(new ArrayBuffer(total * 4));
    let at = 0;
    const sample = (v) => Math.max(-32768, Math.min(32767, Math.round(v * 32768)));
    watch.audio.left.forEach((left, b) => {
      const right = watch.audio.right[b];
      for (let i = 0; i < left.length; i++) {
        out.setInt16(at, sample(left[i]), true);
        out.setInt16(at + 2, sample(right[i]), true);
        at += 4;
      }
    });
    return toBase64(new Uint8Array(out.buffer));
  };

  if (window.ScriptProcessorNode) {
    const handler = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, 'onaudioprocess');
    Object.defineProperty(ScriptProcessorNode.prototype, 'onaudioprocess', {
      configurable: true,
      enumerable: handler.enumerable,
      get() {
        return handler.get.call(this);
      },
      set(fill) {
        handler.set.call(this, typeof fill !== 'function' ? fill : function (event) {
          const result = fill.call(this, event);
          record(event.outputBuffer);
          return result;
        });
      },
    });
  }
})();
