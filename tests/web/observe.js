// Injected into the page before any of its own scripts (puppeteer's evaluateOnNewDocument) to watch
// the game from outside it, as the native tests' preloaded shim does: it changes nothing the game
// draws or plays.
//
// Frames: the game's WebGL context keeps its drawing buffer after each frame is shown
// (preserveDrawingBuffer), so what is on screen can be read back at any moment between frames.
// Each frame starts with one clear, which numbers it; frames asked for in window.__quorvix.wanted
// are read back just before the next one starts, so exactly as shown.
//
// Keys: an arrow key named in window.__quorvix.holdFromStart is pressed (and held) the moment the game
// creates its renderer, so that its first frame already sees it, as natively the harness's shim
// holds a key from the start.
//
// Sound: the audio context runs at 44.1 kHz, the rate the game asks for (as SDL's disk driver
// does natively), and everything SDL hands to Web Audio is recorded with the number of frames
// drawn by then, so the effects can be found in it sample for sample.
(() => {
  const WIDTH = 800;
  const HEIGHT = 600;
  const watch = {
    frames: 0,
    frameTimes: [],
    wanted: new Set(),
    holdFromStart: null,
    captured: new Map(),
    gl: null,
    audio: { left: [], right: [], blocks: [] },
  };
  window.__quorvix = watch;

  function toBase64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }

  // The drawing buffer, or its leftmost WIDTH columns, as a binary PPM (top row first),
  // base64-encoded for the trip to Node.
  function readFrame(width = WIDTH) {
    const gl = watch.gl;
    const rgba = new Uint8Array(width * HEIGHT * 4);
    gl.readPixels(0, 0, width, HEIGHT, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    const header = `P6\n${width} ${HEIGHT}\n255\n`;
    const ppm = new Uint8Array(header.length + width * HEIGHT * 3);
    for (let i = 0; i < header.length; i++) {
      ppm[i] = header.charCodeAt(i);
    }
    let out = header.length;
    for (let y = HEIGHT - 1; y >= 0; y--) {
      for (let x = 0; x < width; x++) {
        const at = (y * width + x) * 4;
        ppm[out++] = rgba[at];
        ppm[out++] = rgba[at + 1];
        ppm[out++] = rgba[at + 2];
      }
    }
    return toBase64(ppm);
  }
  watch.readFrame = (width) => (watch.gl ? readFrame(width) : null);

  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, attributes) {
    if (!/webgl/.test(type)) {
      return getContext.call(this, type, attributes);
    }
    const gl = getContext.call(this, type, { ...attributes, preserveDrawingBuffer: true });
    if (gl && !watch.gl) {
      watch.gl = gl;
      if (watch.holdFromStart) {
        const key = watch.holdFromStart;
        const keyCode = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40 }[key];
        window.dispatchEvent(new KeyboardEvent('keydown', { key, code: key, keyCode, which: keyCode, bubbles: true }));
      }
      const clear = gl.clear;
      gl.clear = function (mask) {
        if (watch.wanted.has(watch.frames)) {
          watch.captured.set(watch.frames, readFrame());
        }
        watch.frames++;
        watch.frameTimes.push(performance.now());
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
