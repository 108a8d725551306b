#!/usr/bin/env node
// Wraps PNG images in one Windows icon file (.ico): Windows since Vista reads PNG-compressed
// icon images, so the game's icon rendered at a few sizes needs no other conversion.
//
//   node tools/windows/icon.mjs OUT.ico IMAGE.png...   (each image square, at most 256 px)
import fs from 'node:fs';

const [out, ...images] = process.argv.slice(2);
if (!out || images.length === 0) {
  console.error('usage: node icon.mjs OUT.ico IMAGE.png...');
  process.exit(2);
}
const pngs = images.map((file) => fs.readFileSync(file));
const header = Buffer.alloc(6 + 16 * pngs.length);
header.writeUInt16LE(1, 2); // an icon
header.writeUInt16LE(pngs.length, 4);
let offset = header.length;
pngs.forEach((png, i) => {
  const size = png.readUInt32BE(16); // the PNG's width, from its header
  const entry = 6 + 16 * i;
  header.writeUInt8(size >= 256 ? 0 : size, entry); // 0 stands for 256
  header.writeUInt8(size >= 256 ? 0 : size, entry + 1);
  header.writeUInt16LE(1, entry + 4); // colour planes
  header.writeUInt16LE(32, entry + 6); // bits per pixel
  header.writeUInt32LE(png.length, entry + 8);
  header.writeUInt32LE(offset, entry + 12);
  offset += png.length;
});
fs.writeFileSync(out, Buffer.concat([header, ...pngs]));
