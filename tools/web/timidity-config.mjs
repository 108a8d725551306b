#!/usr/bin/env node
// Builds a minimal Timidity setup for one MIDI tune: reads which instruments the tune plays, picks
// their GUS patches out of a freepats-style timidity.cfg, and writes a timidity.cfg listing just
// those plus copies of just those patch files. The browser build preloads the result, so the page
// downloads under a megabyte of patches instead of the whole 33 MB set.
//
//   node tools/web/timidity-config.mjs [--all-samples] TUNE.mid FREEPATS.cfg OUTDIR [DIR_IN_CFG]
//
// A melodic patch holds samples for ranges of pitches; its copy keeps, in their order, just those
// the tune's notes on it select, picked as the mixer's Timidity picks them: at the note's pitch
// (or the entry's fixed `note=`), the first sample whose range holds it, else the one whose root
// pitch is nearest. A channel plays the program of its latest program change, or program 0. Drum
// patches, and patches not laid out as one instrument of one layer with sizes that add up, are
// copied whole; --all-samples copies every patch whole (the set to compare the trimmed one with).
//
// DIR_IN_CFG is the directory the written cfg's `dir` line names, i.e. where the patches will be
// found at run time (default: OUTDIR's absolute path). stdout lists every patch of the set, one
// relative path a line; files whose content is already right are left untouched.
import fs from 'node:fs';
import path from 'node:path';

const USAGE =
  'usage: node timidity-config.mjs [--all-samples] TUNE.mid FREEPATS.cfg OUTDIR [DIR_IN_CFG]';
const DRUM_CHANNEL = 9; // MIDI channel 10
// Data bytes following each channel-message status (high nibble 0x8 to 0xE).
const DATA_LENGTH = { 0x8: 2, 0x9: 2, 0xa: 2, 0xb: 2, 0xc: 1, 0xd: 1, 0xe: 2 };

class Failure extends Error {}

// Events are ordered the way Timidity merges tracks: by tick, then the later track first (each
// event goes in before those already read for its tick), then position in track.
const before = (a, b) => a[0] - b[0] || b[1] - a[1] || a[2] - b[2];

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

// Returns the melodic programs (sorted), the notes each plays, and the drum notes (sorted).
function tuneInstruments(buf, file) {
  const fail = (message) => {
    throw new Failure(`${file}: ${message}`);
  };
  const events = [];
  splitChunks(buf, fail).forEach((track, trackIndex) => {
    let sequence = 0;
    walkTrack(buf, track, trackIndex + 1, fail, (tick, status, data1, data2) => {
      events.push([tick, trackIndex, sequence++, status, data1, data2]);
    });
  });
  const notes = new Map(); // program -> the notes it plays
  const drums = new Set();
  const program = new Array(16).fill(0); // each channel's, until its first program change
  const notesOf = (n) => notes.get(n) ?? notes.set(n, new Set()).get(n);
  for (const [, , , status, data1, data2] of events.sort(before)) {
    const channel = status & 0x0f;
    if (status >> 4 === 0xc && channel !== DRUM_CHANNEL) {
      program[channel] = data1;
      notesOf(data1);
    } else if (status >> 4 === 0x9 && data2 > 0) {
      if (channel === DRUM_CHANNEL) drums.add(data1);
      else notesOf(program[channel]).add(data1);
    }
  }
  const sorted = (numbers) => [...numbers].sort((a, b) => a - b);
  return { programs: sorted(notes.keys()), notes, drums: sorted(drums) };
}

// Timidity's pitch of each MIDI note, in mHz (its freq_table).
const PITCH = Array.from({ length: 128 }, (_, n) => Math.round(440000 * 2 ** ((n - 69) / 12)));
// A GUS patch as Timidity reads it: a 129-byte header, a 63-byte instrument header, a 47-byte
// layer header, then each sample's 96-byte header and its data. The instrument's size counts its
// header, the layer's and the samples; the layer's, just the samples.
const SAMPLES_AT = 239;
const SAMPLE_HEADER = 96;
const INSTRUMENT_HEADERS = 63 + 47;

// PATCH with only the samples NOTES select, or PATCH itself if they select all, or if it is not
// laid out as expected.
function trimPatch(patch, notes) {
  const magic = /^GF1PATCH1[01]0\0ID#000002\0$/;
  if (patch.length < SAMPLES_AT || !magic.test(patch.toString('latin1', 0, 22))) return patch;
  if (patch[82] !== 1 || patch[151] !== 1) return patch; // instruments, layers
  const samples = [];
  let at = SAMPLES_AT;
  while (samples.length < patch[198] && at + SAMPLE_HEADER <= patch.length) {
    const [low, high, root] = [22, 26, 30].map((offset) => patch.readInt32LE(at + offset));
    const length = SAMPLE_HEADER + patch.readUInt32LE(at + 8);
    samples.push({ low, high, root, length, bytes: patch.subarray(at, at + length) });
    at += length;
  }
  const layerSize = at - SAMPLES_AT;
  const dataSize = layerSize - SAMPLE_HEADER * samples.length;
  const addsUp = samples.length === patch[198] && at === patch.length
    && patch.readUInt16LE(85) === samples.length && patch.readUInt32LE(89) >= dataSize
    && patch.readUInt32LE(147) === INSTRUMENT_HEADERS + layerSize
    && patch.readUInt32LE(194) === layerSize;
  if (!addsUp) return patch;
  const distance = (sample, pitch) => Math.abs(sample.root - pitch);
  const chosen = new Set(notes.map((note) => PITCH[note]).map((pitch) =>
    samples.find((s) => s.low <= pitch && pitch <= s.high)
      ?? samples.reduce((best, s) => (distance(s, pitch) < distance(best, pitch) ? s : best))));
  const kept = samples.filter((sample) => chosen.has(sample));
  if (!kept.length || kept.length === samples.length) return patch;
  const keptSize = kept.reduce((sum, sample) => sum + sample.length, 0);
  const header = Buffer.from(patch.subarray(0, SAMPLES_AT));
  header.writeUInt16LE(kept.length, 85); // waveforms
  // The data size, less the data dropped (freepats' sizes run a little over their data).
  const keptData = keptSize - SAMPLE_HEADER * kept.length;
  header.writeUInt32LE(patch.readUInt32LE(89) - dataSize + keptData, 89);
  header.writeUInt32LE(keptSize + INSTRUMENT_HEADERS, 147); // instrument
  header.writeUInt32LE(keptSize, 194); // layer
  header[198] = kept.length;
  return Buffer.concat([header, ...kept.map((sample) => sample.bytes)]);
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
      let note = 0; // the fixed pitch of `note=` (0 is none, as Timidity reads it)
      for (const word of words.slice(2)) {
        if (word.startsWith('#')) break;
        if (word.startsWith('note=')) note = parseInt(word.slice(5), 10) || 0;
      }
      section.set(Number(words[0]), { line, relative, source: path.join(dir, relative), note });
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

function main(argv) {
  const allSamples = argv[0] === '--all-samples';
  const args = argv.slice(allSamples ? 1 : 0);
  if (args.length < 3 || args.length > 4) throw new Failure(USAGE);
  const [tuneFile, cfgFile, outDir] = args;
  const dirInCfg = args[3] ?? path.resolve(outDir);
  // Timidity splits cfg lines at whitespace, so such a directory could not be named in the cfg.
  if (/\s/.test(dirInCfg)) throw new Failure(`directory "${dirInCfg}" contains whitespace`);

  const { programs, notes, drums } = tuneInstruments(readInput(tuneFile), tuneFile);
  const { bank, drumset } = readPatchSet(cfgFile);
  const tones = pick(bank, programs, 'bank 0 (program)', cfgFile, tuneFile);
  const kit = pick(drumset, drums, 'drumset 0 (drum note)', cfgFile, tuneFile);

  const patches = [...new Set([...tones, ...kit].map((entry) => entry.relative))];
  const sources = new Map([...tones, ...kit].map((entry) => [entry.relative, entry.source]));
  // The notes each melodic patch sounds; drum patches stay whole.
  const sounded = new Map();
  tones.forEach((entry, i) => {
    const played = [...notes.get(programs[i])].map((note) => entry.note || note);
    sounded.set(entry.relative, [...(sounded.get(entry.relative) ?? []), ...played]);
  });
  for (const entry of kit) sounded.delete(entry.relative);
  const contents = patches.map((relative) => {
    const patch = readInput(sources.get(relative));
    return sounded.has(relative) && !allSamples ? trimPatch(patch, sounded.get(relative)) : patch;
  });

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
