import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = fileURLToPath(new URL('../..', import.meta.url));
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'timidity-config-'));
process.on('exit', () => fs.rmSync(tmp, { recursive: true, force: true }));
const run = (...args) => spawnSync(process.execPath,
  [path.join(root, 'tools/web/timidity-config.mjs'), ...args], { encoding: 'utf8' });
const walk = (dir) => fs.readdirSync(dir, { withFileTypes: true }).flatMap((e) =>
  (e.isDirectory() ? walk(path.join(dir, e.name)) : [path.join(dir, e.name)]));

const chunk = (id, b) => Buffer.from([...Buffer.from(id), 0, 0, b.length >> 8, b.length, ...b]);
// Arrays are tracks of event bytes (End of Track appended); Buffers go in as other chunks.
const smf = (format, items, end = [0, 0xff, 0x2f, 0]) => Buffer.concat([
  chunk('MThd', [0, format, 0, items.filter(Array.isArray).length, 1, 0xe0]),
  ...items.map((t) => (Array.isArray(t) ? chunk('MTrk', [...t, ...end]) : t))]);

// Program 56 is also a drum and program 7 is only in bank 1, so mixing up sections shows.
const bank = { 0: '0\tTone/000.pat amp=120 pan=center', 5: ' 5\tTone/005.pat ',
  56: ' 56\tTone/056.pat', 61: ' 61\tTone/061.pat amp=90' };
const drumset = { 35: '35\tDrum/035.pat amp=100', 38: ' 38\tDrum/038.pat', 56: '56 Drum/056.pat' };
const patchOf = (line) => line.trim().split(/\s+/)[1];
const freepats = path.join(tmp, 'freepats.cfg');
fs.writeFileSync(freepats, [`dir ${tmp}/pats`, '# comment', 'drumset 0', ...Object.values(drumset),
  '', 'bank 0', ...Object.values(bank), 'bank 1', ' 7 Tone1/007.pat', ''].join('\n'));
for (const p of [...Object.values(bank), ...Object.values(drumset)].map(patchOf)) {
  fs.mkdirSync(path.join(tmp, 'pats', path.dirname(p)), { recursive: true });
  fs.writeFileSync(path.join(tmp, 'pats', p), p);
}

const cases = [
  { name: 'running status', bank: [5, 56],
    file: smf(0, [[0, 0xc1, 5, 0, 56, 0, 0x91, 60, 100, 10, 60, 0]]) },
  { name: 'programs on several channels and tracks', bank: [5, 56, 61], file: smf(1, [
    [0, 0xff, 0x51, 3, 7, 0xa1, 0x20], [0, 0xc0, 56, 0, 0x90, 60, 9], [0, 0xc1, 61, 0, 0xc2, 5]]) },
  { name: 'drums only, without velocity 0 and kit changes', bank: [], drums: [35, 38],
    file: smf(0, [[0, 0xc9, 56, 0, 0x99, 35, 100, 0, 56, 0, 5, 38, 90, 0, 0x89, 35, 0]]) },
  { name: 'note before any program change', bank: [0, 56],
    file: smf(0, [[0, 0x90, 60, 100, 10, 0xc0, 56, 0, 0x92, 60, 100]]) },
  { name: 'program change in a later track but earlier in time', bank: [61],
    file: smf(1, [[20, 0x91, 60, 100], [0, 0xc1, 61]]) },
  { name: 'program change and note at one tick: the later track first', bank: [0, 61],
    file: smf(1, [[0, 0xc1, 61], [0, 0x91, 60, 100]]) },
  { name: 'meta, sysex and unknown chunks skipped by length', bank: [56], file: smf(1, [
    chunk('XFIH', [0xc0, 7]), [0, 0xff, 1, 2, 0xc0, 7, 0, 0xf0, 3, 0xc0, 7, 0xf7, 0, 0xf7, 2,
      0xc0, 7, 0, 0xc0, 56]]) },
  { name: 'missing freepats entry', file: smf(0, [[0, 0xc0, 7]]), error: /freepats\.cfg.*\b7\b/ },
  { name: 'truncated file', file: smf(0, [[0, 0xc0, 56]]).subarray(0, -3), error: /truncated/ },
  { name: 'truncated event', error: /truncated/,
    file: smf(0, [[0, 0x90, 60], chunk('XFIH', [])], []) },
];

test('timidity-config', async (t) => {
  for (const [i, c] of cases.entries()) {
    await t.test(c.name, () => {
      const [tune, out] = [path.join(tmp, `${i}.mid`), path.join(tmp, `out${i}`)];
      fs.writeFileSync(tune, c.file);
      const r = run(tune, freepats, out);
      if (c.error) {
        assert.deepEqual([r.status, r.stdout, fs.existsSync(out)], [1, '', false]);
        return assert.ok(r.stderr.includes(tune) && c.error.test(r.stderr), r.stderr);
      }
      const [tones, drums] = [c.bank.map((n) => bank[n]), (c.drums ?? []).map((n) => drumset[n])];
      const patches = [...tones, ...drums].map(patchOf);
      assert.deepEqual([r.status, r.stdout], [0, patches.map((p) => `${p}\n`).join('')], r.stderr);
      const files = walk(out).map((f) => path.relative(out, f));
      assert.deepEqual(files.sort(), [...patches, 'timidity.cfg'].sort());
      for (const p of patches) assert.equal(fs.readFileSync(path.join(out, p), 'utf8'), p);
      const cfg = fs.readFileSync(path.join(out, 'timidity.cfg'), 'utf8').split('\n');
      assert.deepEqual(cfg.filter((l) => l && !l.startsWith('#')),
        [`dir ${out}`, 'bank 0', ...tones, ...(drums.length ? ['drumset 0', ...drums] : [])]);
    });
  }
});

const pitch = (note) => Math.round(440000 * 2 ** ((note - 69) / 12)); // Timidity's, in mHz
// Samples for the pitches of [low, high, root] notes, their ranges one after another as in
// freepats but for a gap from note 81 to 89; each has data of its own.
const samples = [[0, 59, 59], [60, 72, 66], [73, 80, 73], [90, 127, 92]].map((notes, i) => {
  const sample = Buffer.alloc(98 + i, i + 1);
  sample.writeUInt32LE(2 + i, 8);
  notes.forEach((note, j) => sample.writeUInt32LE(pitch(note), 22 + 4 * j));
  return sample;
});
// A GUS patch of the samples KEPT, its data size a little over its data as in freepats.
const gus = (kept, layerSizeError = 0) => {
  const size = kept.reduce((n, i) => n + samples[i].length, 0);
  const header = Buffer.alloc(239);
  header.write('GF1PATCH110\0ID#000002\0', 'latin1');
  [header[82], header[151], header[198]] = [1, 1, kept.length];
  header.writeUInt16LE(kept.length, 85);
  [[89, size - 96 * kept.length + 8], [147, size + 110], [194, size + layerSizeError]]
    .forEach(([at, value]) => header.writeUInt32LE(value, at));
  return Buffer.concat([header, ...kept.map((i) => samples[i])]);
};

test('melodic patches keep just the samples their notes select, in order', () => {
  const all = [0, 1, 2, 3];
  const rows = [ // program, cfg options, notes, samples kept (null: the patch is copied whole)
    [20, '', [60, 72], [1]], // both ends of a range
    [21, '', [83], [2]], // in no range: the nearest root in mHz (73's; 92 is fewer notes away)
    [22, '', [95, 50], [0, 3]],
    [23, '', [50, 65, 75, 95], all],
    [24, 'amp=90 note=83', [50, 60], [2]], // a fixed pitch
    [25, '', [50], null], // its layer size does not add up
    [26, '', [50], null], // also the drum kit's
  ];
  const [dir, out] = [path.join(tmp, 'gus'), path.join(tmp, 'gus', 'out')];
  fs.mkdirSync(dir);
  const original = (n) => gus(all, n === 25 ? 1 : 0);
  for (const [n] of rows) fs.writeFileSync(path.join(dir, `${n}.pat`), original(n));
  const [cfg, tune] = [path.join(dir, 'gus.cfg'), path.join(dir, 'tune.mid')];
  fs.writeFileSync(cfg, ['bank 0', ...rows.map(([n, options]) => `${n} ${n}.pat ${options}`),
    'drumset 0', '40 26.pat'].join('\n'));
  fs.writeFileSync(tune, smf(0, [[0, 0x99, 40, 100, ...rows.flatMap(([n, , notes], channel) =>
    [0, 0xc0 + channel, n, ...notes.flatMap((note) => [0, 0x90 + channel, note, 100])])]]));
  assert.equal(run(tune, cfg, out).status, 0);
  for (const [n, , notes, kept] of rows) {
    const patch = fs.readFileSync(path.join(out, `${n}.pat`));
    assert.ok(patch.equals(kept ? gus(kept) : original(n)), `notes ${notes}`);
  }
});

const realCfg = '/etc/timidity/freepats.cfg';
test('the victory tune with freepats', () => {
  assert.ok(fs.existsSync(realCfg),
    `${realCfg} is missing: scripts/install-deps --web installs freepats`);
  const out = path.join(tmp, 'real');
  const again = () => run(path.join(root, 'res/mus00.mid'), realCfg, out, '/etc/timidity');
  const first = again();
  const patches = ['Tone_000/056_Trumpet.pat', 'Tone_000/061_Brass_Section.pat'];
  assert.deepEqual([first.status, first.stdout], [0, `${patches.join('\n')}\n`], first.stderr);
  assert.match(fs.readFileSync(path.join(out, 'timidity.cfg'), 'utf8'), /^dir \/etc\/timidity\n/);
  // No trumpet note is low enough for its first sample; the brass notes reach both of its samples.
  const [trumpet, brass] = patches.map((p) => fs.readFileSync(`/usr/share/midi/freepats/${p}`));
  const trimmed = fs.readFileSync(path.join(out, patches[0]));
  const fromSecond = trumpet.subarray(239 + 96 + trumpet.readUInt32LE(239 + 8));
  assert.ok(trimmed[198] === 4 && trimmed.subarray(239).equals(fromSecond),
    `the trumpet keeps ${trimmed[198]} samples, not its last 4`);
  assert.ok(fs.readFileSync(path.join(out, patches[1])).equals(brass));
  // Rerunning with nothing changed must leave every file alone.
  const files = [...patches, 'timidity.cfg'].map((p) => path.join(out, p));
  for (const f of files) fs.utimesSync(f, 1e9, 1e9);
  assert.equal(again().stdout, first.stdout);
  for (const f of files) assert.equal(fs.statSync(f).mtimeMs, 1e12);
});
