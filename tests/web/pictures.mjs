// Pictures for the browser tests: demo_capture's recorded frames and the canvas's pixels,
// and what a scene looks like in numbers, so that two runs whose random draws differ can
// still be told to show the same scene.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

// A binary P6 file as {width, height, rgb} (3 bytes a pixel).
export function readPpm(path) {
  const bytes = readFileSync(path);
  const fields = [];
  let at = 0;
  while (fields.length < 4) {
    while (/\s/.test(String.fromCharCode(bytes[at]))) at++;
    if (bytes[at] === 0x23) {  // a comment runs to the end of its line
      while (bytes[at] !== 0x0a) at++;
      continue;
    }
    const start = at;
    while (!/\s/.test(String.fromCharCode(bytes[at]))) at++;
    fields.push(bytes.subarray(start, at).toString('latin1'));
  }
  if (fields[0] !== 'P6' || fields[3] !== '255') throw new Error(`${path}: not an 8-bit P6 picture`);
  const width = Number(fields[1]);
  const height = Number(fields[2]);
  return { width, height, rgb: bytes.subarray(at + 1, at + 1 + width * height * 3) };
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
