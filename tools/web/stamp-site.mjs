#!/usr/bin/env node
// Publishes the browser edition's site under cache-safe names: every file but the few that must
// keep their names (the page's address, index.html, and the service worker's, sw.js) is published
// as NAME.HASH.EXT, HASH being the start of the SHA-256 of its published content. No cache, the
// browser's or a host's, can then pair files of two versions, and all but the kept files may be
// cached for ever.
//
//   node tools/web/stamp-site.mjs STAGE SITE LIST KEPT...
//
// STAGE holds the built files under their own names (flat); SITE is emptied and gets the
// published files; LIST gets their names, one a line. In the text files (.html, .js, .css,
// .webmanifest), every other file's name is replaced by its published name, so a file is
// published after the files it names, and its hash covers their hashes. Two markers in them are
// filled in as well:
//   /* files */ []      the published names of every file but the service worker
//   /* sizes */ {...}   an object whose keys are file names: each value becomes that file's size
//                       in bytes (the keys are renamed like any other name)
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

const [stage, site, list, ...kept] = process.argv.slice(2);
if (!list || kept.length === 0) {
  console.error('usage: node stamp-site.mjs STAGE SITE LIST KEPT...');
  process.exit(2);
}
const WORKER = 'sw.js';
const TEXT = /\.(html|js|css|webmanifest)$/;
const FILES_MARKER = /\/\* files \*\/ \[\]/g;
const SIZES_MARKER = /\/\* sizes \*\/ \{([^}]*)\}/g;

const names = fs.readdirSync(stage).filter((name) => fs.statSync(path.join(stage, name)).isFile()).sort();
for (const name of kept) {
  if (!names.includes(name)) throw new Error(`${name} is not in ${stage}`);
}
const source = new Map(names.map((name) => [name, fs.readFileSync(path.join(stage, name))]));
const escape = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
// A name stands alone: not part of a longer name.
const mention = new Map(names.map((name) => [name, new RegExp(`(?<![\\w.-])${escape(name)}(?![\\w.-])`, 'g')]));
const textOf = (name) => (TEXT.test(name) ? source.get(name).toString('utf8') : null);

// The files whose published names NAME's content holds; the kept files' names never change.
function dependencies(name) {
  const text = textOf(name);
  const stamped = names.filter((other) => other !== name && !kept.includes(other));
  if (text === null) return [];
  return text.match(FILES_MARKER) ? stamped : stamped.filter((other) => text.match(mention.get(other)));
}

const published = new Map();
const content = new Map();
function publish(name, chain = []) {
  if (published.has(name)) return;
  if (chain.includes(name)) throw new Error(`these files name each other: ${[...chain, name].join(' -> ')}`);
  dependencies(name).forEach((other) => publish(other, [...chain, name]));
  let text = textOf(name);
  let bytes = source.get(name);
  if (text !== null) {
    for (const [other, pattern] of mention) {
      if (other !== name) text = text.replace(pattern, published.get(other) ?? other);
    }
    text = text.replace(FILES_MARKER, () => JSON.stringify(
      names.filter((other) => other !== name && other !== WORKER).map((other) => published.get(other))));
    text = text.replace(SIZES_MARKER, (marker, entries) => {
      const sizes = {};
      for (const [, key] of entries.matchAll(/'([^']+)'\s*:\s*0/g)) {
        const original = [...published].find(([, given]) => given === key)?.[0];
        if (original === undefined) throw new Error(`${name}: no file ${key} for its sizes`);
        sizes[key] = content.get(original).length;
      }
      return JSON.stringify(sizes);
    });
    bytes = Buffer.from(text, 'utf8');
  }
  const hash = crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 10);
  const ext = path.extname(name);
  published.set(name, kept.includes(name) ? name : `${path.basename(name, ext)}.${hash}${ext}`);
  content.set(name, bytes);
}
names.forEach((name) => publish(name));

fs.rmSync(site, { recursive: true, force: true });
fs.mkdirSync(site, { recursive: true });
for (const name of names) fs.writeFileSync(path.join(site, published.get(name)), content.get(name));
fs.writeFileSync(list, [...published.values()].sort().map((name) => `${name}\n`).join(''));
