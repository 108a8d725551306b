#!/usr/bin/env node
// Builds a minimal Timidity setup for one MIDI tune: reads which instruments the tune plays, picks
// their GUS patches out of a freepats-style timidity.cfg, and writes a timidity.cfg listing just
// those plus copies of just those patch files. The browser build preloads the result, so the page
// downloads about a megabyte of patches instead of the whole 33 MB set.
//
//   node tools/web/timidity-config.mjs TUNE.mid FREEPATS.cfg OUTDIR [DIR_IN_CFG]
//
// DIR_IN_CFG is the directory the written cfg's `dir` line names, i.e. where the patches will be
// found at run time (default: OUTDIR's absolute path). stdout lists every patch of the set, one
// relative path a line; files whose content is already right are left untouched.
import fs from 'node:fs';
import path from 'node:path';

const USAGE = 'usage: node timidity-config.mjs TUNE.mid FREEPATS.cfg OUTDIR [DIR_IN_CFG]';
const DRUM_CHANNEL = 9; // MIDI channel 10
// Data bytes following each channel-message status (high nibble 0x8 to 0xE).
const DATA_LENGTH = { 0x8: 2, 0x9: 2, 0xa: 2, 0xb: 2, 0xc: 1, 0xd: 1, 0xe: 2 };

class Failure extends Error {}

// Events are ordered the way a player merges tracks: by tick, then track, then position in track.
const before = (a, b) => a[0] - b[0] || a[1] - b[1] || a[2] - b[2];

function splitChunks(buf, fail) {
  if (buf.length < 8 || buf.toString('latin1', 0, 4) !== 'MThd') {
    fail('not a Standard MIDI File (no MThd header)');
  }
  const headerLength = buf.readUInt32BE(4);
  if (headerLength < 6) fail(`MThd header is ${headerLength} bytes, expected at least 6`);
  if (8 + headerLength > buf.length) fail('truncated MThd header');
  const format = buf.readUInt16BE(8);
  const trackCount = buf.readUInt16BE(10);
  if (format > 1) fail(`MIDI format ${format} is not supported (only 0 and 1)`);
  if (format === 0 && trackCount !== 1) fail(`format 0 file declares ${trackCount} tracks`);

  const tracks = [];
  let pos = 8 + headerLength;
  while (tracks.length < trackCount) {
    if (pos + 8 > buf.length) {
      fail(`truncated: header declares ${trackCount} tracks, file ends after ${tracks.length}`);
    }
    const id = buf.toString('latin1', pos, pos + 4);
    const start = pos + 8;
    const end = start + buf.readUInt32BE(pos + 4);
    if (end > buf.length) fail(`truncated: chunk at byte ${pos} runs past the end of the file`);
    if (id === 'MTrk') tracks.push({ start, end }); // anything else is an unknown chunk: skipped
    pos = end;
  }
  return tracks;
}

// Calls onEvent(tick, status, data1, data2) for every channel message of one track.
function walkTrack(buf, { start, end }, trackNumber, fail, onEvent) {
  let pos = start;
  let tick = 0;
  let running = 0;
  let eventStart = pos;
  const where = () => `in track ${trackNumber}, event at byte ${eventStart}`;
  const next = () => {
    if (pos >= end) fail(`truncated event ${where()}`);
    return buf[pos++];
  };
  const varLength = () => {
    let value = 0;
    for (let i = 0; i < 4; i++) {
      const b = next();
      value = value * 128 + (b & 0x7f);
      if (!(b & 0x80)) return value;
    }
    return fail(`variable-length number longer than 4 bytes ${where()}`);
  };
  const skip = (length) => {
    if (length > end - pos) fail(`truncated event ${where()}`);
    pos += length;
  };

  while (pos < end) {
    eventStart = pos;
    tick += varLength();
    let status = next();
    if (status === 0xff) {
      const type = next();
      skip(varLength());
      if (type === 0x2f) return; // End of Track: whatever follows in the chunk is ignored
    } else if (status === 0xf0 || status === 0xf7) {
      skip(varLength());
    } else if (status >= 0xf0) {
      fail(`unexpected status byte 0x${status.toString(16)} ${where()}`);
    } else {
      if (status < 0x80) {
        if (!running) fail(`running status without an earlier status byte ${where()}`);
        pos--;
        status = running;
      }
      running = status;
      const data = [];
      for (let i = 0; i < DATA_LENGTH[status >> 4]; i++) {
        const b = next();
        if (b & 0x80) fail(`status byte 0x${b.toString(16)} where data belongs ${where()}`);
        data.push(b);
      }
      onEvent(tick, status, data[0], data[1]);
    }
  }
}

// Returns the melodic programs and the drum notes the tune needs, each sorted.
function tuneInstruments(buf, file) {
  const fail = (message) => {
    throw new Failure(`${file}: ${message}`);
  };
  const programs = new Set();
  const drums = new Set();
  const firstProgramChange = new Map(); // channel -> [tick, track, sequence]
  const firstNote = new Map();
  splitChunks(buf, fail).forEach((track, trackIndex) => {
    let sequence = 0;
    walkTrack(buf, track, trackIndex + 1, fail, (tick, status, data1, data2) => {
      const channel = status & 0x0f;
      const key = [tick, trackIndex, sequence++];
      const keepFirst = (map) => {
        if (!map.has(channel) || before(key, map.get(channel)) < 0) map.set(channel, key);
      };
      if (status >> 4 === 0xc && channel !== DRUM_CHANNEL) {
        programs.add(data1);
        keepFirst(firstProgramChange);
      } else if (status >> 4 === 0x9 && data2 > 0) {
        if (channel === DRUM_CHANNEL) drums.add(data1);
        else keepFirst(firstNote);
      }
    });
  });
  // A channel that sounds a note before choosing a program plays the default, program 0.
  for (const [channel, note] of firstNote) {
    const change = firstProgramChange.get(channel);
    if (!change || before(note, change) < 0) programs.add(0);
  }
  const sorted = (set) => [...set].sort((a, b) => a - b);
  return { programs: sorted(programs), drums: sorted(drums) };
}

// Reads the `bank 0` and `drumset 0` entries of a Timidity cfg, keeping each line as written.
function readPatchSet(file) {
  const fail = (line, message) => {
    throw new Failure(`${file}:${line}: ${message}`);
  };
  const base = path.dirname(path.resolve(file));
  let dir = base;
  let section = null;
  const bank = new Map();
  const drumset = new Map();
  readInput(file, 'utf8').split('\n').forEach((raw, index) => {
    const line = raw.replace(/\r$/, '');
    const words = line.trim().split(/\s+/);
    if (!words[0] || words[0].startsWith('#')) return;
    if (words[0] === 'dir') {
      if (!words[1]) fail(index + 1, '`dir` without a directory');
      dir = path.resolve(base, words[1]);
    } else if (words[0] === 'bank' || words[0] === 'drumset') {
      const isZero = /^0+$/.test(words[1] ?? '');
      section = isZero ? (words[0] === 'bank' ? bank : drumset) : null;
    } else if (section && /^\d+$/.test(words[0])) {
      const patch = words[1];
      if (!patch) fail(index + 1, `entry ${words[0]} names no patch file`);
      const relative = path.posix.normalize(patch);
      if (path.isAbsolute(patch) || relative === '..' || relative.startsWith('../')) {
        fail(index + 1, `patch ${patch} is not a path inside the \`dir\` directory`);
      }
      section.set(Number(words[0]), { line, relative, source: path.join(dir, relative) });
    }
  });
  return { bank, drumset };
}

function pick(entries, numbers, what, cfgFile, tuneFile) {
  const missing = numbers.filter((n) => !entries.has(n));
  if (missing.length) {
    const list = missing.join(', ');
    throw new Failure(`${cfgFile}: no ${what} entry for ${list} (used by ${tuneFile})`);
  }
  return numbers.map((n) => entries.get(n));
}

// Node's own messages do not always name the file (EISDIR does not), so these always do.
function readInput(file, encoding) {
  try {
    return fs.readFileSync(file, encoding);
  } catch (err) {
    throw new Failure(`${file}: cannot read (${err.code ?? err.message})`);
  }
}

function writeIfChanged(file, content) {
  try {
    if (fs.statSync(file).size === content.length && fs.readFileSync(file).equals(content)) return;
  } catch (err) {
    if (err.code !== 'ENOENT') throw err;
  }
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, content);
}

function main(args) {
  if (args.length < 3 || args.length > 4) throw new Failure(USAGE);
  const [tuneFile, cfgFile, outDir] = args;
  const dirInCfg = args[3] ?? path.resolve(outDir);
  // Timidity splits cfg lines at whitespace, so such a directory could not be named in the cfg.
  if (/\s/.test(dirInCfg)) throw new Failure(`directory "${dirInCfg}" contains whitespace`);

  const { programs, drums } = tuneInstruments(readInput(tuneFile), tuneFile);
  const { bank, drumset } = readPatchSet(cfgFile);
  const tones = pick(bank, programs, 'bank 0 (program)', cfgFile, tuneFile);
  const kit = pick(drumset, drums, 'drumset 0 (drum note)', cfgFile, tuneFile);

  const patches = [...new Set([...tones, ...kit].map((entry) => entry.relative))];
  const sources = new Map([...tones, ...kit].map((entry) => [entry.relative, entry.source]));
  const contents = patches.map((relative) => readInput(sources.get(relative)));

  const lines = [
    `dir ${dirInCfg}`,
    '',
    `# Generated by timidity-config.mjs from the program changes of ${path.basename(tuneFile)}:`,
    '# only the patches that tune plays.',
    '',
    'bank 0',
    '',
    ...tones.map((entry) => entry.line),
  ];
  if (kit.length) lines.push('', 'drumset 0', '', ...kit.map((entry) => entry.line));

  // Patches first, so the cfg never names a patch that failed to copy.
  patches.forEach((relative, i) => writeIfChanged(path.join(outDir, relative), contents[i]));
  writeIfChanged(path.join(outDir, 'timidity.cfg'), Buffer.from(`${lines.join('\n')}\n`));
  for (const relative of patches) process.stdout.write(`${relative}\n`);
}

try {
  main(process.argv.slice(2));
} catch (err) {
  process.stderr.write(`timidity-config: ${err.message}\n`);
  process.exitCode = 1;
}
