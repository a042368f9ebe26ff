// Pictures for the browser tests: demo_capture's recorded frames, the canvas's pixels, the
// browser's screenshots, and the frame counter's digits as the 16 x 16 font draws them.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { inflateSync } from 'node:zlib';

// A binary P6 or P4 file as {width, height, rgb} (3 bytes a pixel; P4's set bits are white).
export function readPpm(path) {
  const bytes = readFileSync(path);
  const fields = [];
  let at = 0;
  const wanted = () => (fields[0] === 'P4' ? 3 : 4);
  while (fields.length < wanted()) {
    while (/\s/.test(String.fromCharCode(bytes[at]))) at++;
    if (bytes[at] === 0x23) {  // a comment runs to the end of its line
      while (bytes[at] !== 0x0a) at++;
      continue;
    }
    const start = at;
    while (!/\s/.test(String.fromCharCode(bytes[at]))) at++;
    fields.push(bytes.subarray(start, at).toString('latin1'));
  }
  const width = Number(fields[1]);
  const height = Number(fields[2]);
  const data = bytes.subarray(at + 1);
  if (fields[0] === 'P6' && fields[3] === '255') return { width, height, rgb: data.subarray(0, width * height * 3) };
  if (fields[0] !== 'P4') throw new Error(`${path}: not an 8-bit P6 or a P4 picture`);
  const rgb = new Uint8Array(width * height * 3);
  const stride = (width + 7) >> 3;
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      if (data[y * stride + (x >> 3)] & (0x80 >> (x & 7))) rgb.fill(255, (y * width + x) * 3, (y * width + x) * 3 + 3);
    }
  }
  return { width, height, rgb };
}

// An 8-bit RGB or RGBA PNG (a screenshot) as {width, height, rgb}.
export function readPng(bytes) {
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = { 2: 3, 6: 4 }[body[9]];
      if (body[8] !== 8 || !channels || body[12] !== 0) throw new Error('not an 8-bit RGB(A) PNG');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = new Uint8Array(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? rows[y * stride + i - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = i >= channels && y > 0 ? rows[(y - 1) * stride + i - channels] : 0;
      const p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
        : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      rows[y * stride + i] = line[i] + [0, a, b, (a + b) >> 1, paeth][filter];
    }
  }
  return fromChannels(width, height, rows, channels);
}

// Canvas bytes (R, G, B, A) as the same kind of picture.
export function fromRgba(width, height, rgba) {
  return fromChannels(width, height, rgba, 4);
}

function fromChannels(width, height, bytes, channels) {
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += channels) rgb.set(bytes.subarray(j, j + 3), i);
  return { width, height, rgb };
}

export function pixel(picture, x, y) {
  const at = (y * picture.width + x) * 3;
  return (picture.rgb[at] << 16) | (picture.rgb[at + 1] << 8) | picture.rgb[at + 2];
}

// Where two pictures of one size differ: {count, first: [x, y, a, b] or null}.
export function difference(a, b) {
  let count = 0;
  let first = null;
  for (let y = 0; y < a.height; y++) {
    for (let x = 0; x < a.width; x++) {
      if (pixel(a, x, y) === pixel(b, x, y)) continue;
      if (count++ === 0) first = [x, y, pixel(a, x, y).toString(16), pixel(b, x, y).toString(16)];
    }
  }
  return { count, first };
}

// The frame counter's glyph for a character code: the 8 x 8 character set doubled into
// 16 x 16 cells, its set pixels coloured by their place on the 256 px wide sheet (red and
// green across, blue down, repeating every 32 px). [{dx, dy, colour}] of the set pixels.
export function counterGlyph(charset, code) {
  const pixels = [];
  for (let dy = 0; dy < 16; dy++) {
    for (let dx = 0; dx < 16; dx++) {
      const x = (code % 16) * 16 + dx;
      const y = (code >> 4) * 16 + dy;
      if (pixel(charset, x >> 1, y >> 1) === 0) continue;
      const colour = ((0x80 + 4 * (x & 31)) << 16) | ((0x80 + 4 * ((255 - x) & 31)) << 8) | (0x80 + 4 * ((255 - y) & 31));
      pixels.push({ dx, dy, colour });
    }
  }
  return pixels;
}

// A copy of a picture with a value's two upper-case hexadecimal digits drawn at (x, y) in
// the counter's glyphs (glyphs: the 16 digits), keyed: the glyphs' empty pixels let the
// picture show through.
export function withCounter(picture, glyphs, value, x, y) {
  const rgb = Uint8Array.from(picture.rgb);
  [value >> 4, value & 15].forEach((digit, cell) => {
    for (const { dx, dy, colour } of glyphs[digit]) {
      const at = ((y + dy) * picture.width + x + cell * 16 + dx) * 3;
      rgb.set([colour >> 16, (colour >> 8) & 0xff, colour & 0xff], at);
    }
  });
  return { ...picture, rgb };
}

// Runs demo_capture headless and reads back the frames it wrote: {frame number: picture}.
export function capture(program, dir, { frames, every, keys }) {
  const args = ['--frames', String(frames), '--every', String(every), '--out', dir];
  if (keys) args.push('--keys', keys);
  execFileSync(program, args, { stdio: ['ignore', 'ignore', 'inherit'] });
  const pictures = {};
  for (let n = every; n <= frames; n += every) {
    pictures[n] = readPpm(join(dir, `frame${String(n).padStart(5, '0')}.ppm`));
  }
  return pictures;
}
