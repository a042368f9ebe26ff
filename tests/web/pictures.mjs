// Pictures for the browser tests: demo_capture's recorded frames and the canvas's pixels,
// and what a scene looks like in numbers, so that two runs whose random draws differ can
// still be told to show the same scene.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

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

// The two hexadecimal digits at (x, y) of a picture, read against the counter's glyphs: the
// value, or null when either cell holds none of them. Of the glyphs whose every pixel is
// there, the one with the most pixels is read (an 8 also holds a 0's pixels).
export function readCounter(picture, glyphs, x, y) {
  let value = 0;
  for (let cell = 0; cell < 2; cell++) {
    let best = null;
    glyphs.forEach((glyph, digit) => {
      const there = glyph.every(({ dx, dy, colour }) => pixel(picture, x + cell * 16 + dx, y + dy) === colour);
      if (there && (best === null || glyph.length > glyphs[best].length)) best = digit;
    });
    if (best === null) return null;
    value = value * 16 + best;
  }
  return value;
}

// Canvas bytes (R, G, B, A) as the same kind of picture.
export function fromRgba(width, height, rgba) {
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
    rgb[i] = rgba[j];
    rgb[i + 1] = rgba[j + 1];
    rgb[i + 2] = rgba[j + 2];
  }
  return { width, height, rgb };
}

export function pixel(picture, x, y) {
  const at = (y * picture.width + x) * 3;
  return (picture.rgb[at] << 16) | (picture.rgb[at + 1] << 8) | picture.rgb[at + 2];
}

export const BRIGHTNESS_BINS = 16;

// Distinct colours, the share of pixels in each of 16 brightness bins, the mean of each
// channel and the mean brightness (0..255).
export function character(picture) {
  const { rgb } = picture;
  const count = rgb.length / 3;
  const colours = new Set();
  const histogram = new Array(BRIGHTNESS_BINS).fill(0);
  const sums = [0, 0, 0];
  let brightness = 0;
  for (let i = 0; i < rgb.length; i += 3) {
    const r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
    colours.add((r << 16) | (g << 8) | b);
    const luma = (r * 77 + g * 150 + b * 29) >> 8;
    histogram[luma >> 4]++;
    sums[0] += r;
    sums[1] += g;
    sums[2] += b;
    brightness += luma;
  }
  return {
    colours: colours.size,
    histogram: histogram.map((n) => n / count),
    mean: sums.map((s) => s / count),
    brightness: brightness / count,
  };
}

// How far apart two brightness histograms are: the share of pixels that would have to move
// to another bin, 0 (the same) to 1 (nothing in common).
export function histogramDistance(a, b) {
  let sum = 0;
  for (let i = 0; i < BRIGHTNESS_BINS; i++) sum += Math.abs(a.histogram[i] - b.histogram[i]);
  return sum / 2;
}

// The reference closest to a picture's character: {index, distance}.
export function nearest(subject, references) {
  let best = { index: -1, distance: Infinity };
  references.forEach((reference, index) => {
    const distance = histogramDistance(subject, reference);
    if (distance < best.distance) best = { index, distance };
  });
  return best;
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
