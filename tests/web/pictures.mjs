// Pictures for the browser tests: demo_capture's recorded frames and the pixels the page reads
// back (its canvas, the browser's screenshots).
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

// A binary 8-bit P6 file (demo_capture's frames) as {width, height, rgb} (3 bytes a pixel).
function readPpm(path) {
  const bytes = readFileSync(path);
  const [magic, width, height, depth] = bytes.toString('latin1', 0, 32).split(/\s+/);
  if (magic !== 'P6' || depth !== '255') throw new Error(`${path}: not an 8-bit P6 picture`);
  const start = `${magic}\n${width} ${height}\n${depth}\n`.length;
  return { width: Number(width), height: Number(height), rgb: bytes.subarray(start, start + width * height * 3) };
}

// Canvas bytes (R, G, B, A) as the same kind of picture.
export function fromRgba(width, height, rgba) {
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) rgb.set(rgba.subarray(j, j + 3), i);
  return { width, height, rgb };
}

export function pixel(picture, x, y) {
  const at = (y * picture.width + x) * 3;
  return (picture.rgb[at] << 16) | (picture.rgb[at + 1] << 8) | picture.rgb[at + 2];
}

// Where two pictures of one size differ, but inside skip ({x, y, width, height}, if given):
// {count, first: [x, y, a, b] or null}.
export function difference(a, b, skip = null) {
  let count = 0;
  let first = null;
  const skipped = (x, y) => skip && x >= skip.x && x < skip.x + skip.width && y >= skip.y && y < skip.y + skip.height;
  for (let y = 0; y < a.height; y++) {
    for (let x = 0; x < a.width; x++) {
      if (pixel(a, x, y) === pixel(b, x, y) || skipped(x, y)) continue;
      if (count++ === 0) first = [x, y, pixel(a, x, y).toString(16), pixel(b, x, y).toString(16)];
    }
  }
  return { count, first };
}

// demo_capture's frame n with a --keys script, run headless into dir.
export function captureFrame(program, dir, frame, keys) {
  const args = ['--frames', String(frame), '--every', String(frame), '--out', dir];
  if (keys) args.push('--keys', keys);
  execFileSync(program, args, { stdio: ['ignore', 'ignore', 'inherit'] });
  return readPpm(join(dir, `frame${String(frame).padStart(5, '0')}.ppm`));
}
