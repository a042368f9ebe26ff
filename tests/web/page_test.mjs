// The show as a web page (build/web, made by `make web`) in headless Chromium, driven like a
// visitor would: load, click, keys held as a person holds them, Esc, play again. What the
// canvas shows is compared with demo_capture's frames of the same scenes; the browser's C
// library draws other random numbers, so the comparison is by a scene's character
// (brightness histogram) against many captured visits of every scene, not pixel by pixel.
// Nothing waits on the wall clock for the show: a key is held until the program has read it,
// and every picture is read together with the number of the frame it is and the counter's
// value drawn in it, in one evaluation. The budgets (first frame, frame rate, processor
// time, download size) are printed as diagnostics. A Chromium that cannot start fails the run.
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

import { capture, character, counterGlyph, fromRgba, histogramDistance, readCounter, readPpm } from './pictures.mjs';
import { serve } from './serve.mjs';

const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const WEB_DIR = process.env.DEMO_WEB_DIR || join(ROOT, 'build/web');
const CAPTURE = process.env.DEMO_CAPTURE || join(ROOT, 'build/release/demo_capture');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const SCREENSHOT = process.env.DEMO_SCREENSHOT || join(ROOT, 'build/web-test/browser.png');

const SIZE = 256;
const VISIT = 25;     // captured frames per scene visit: Space after each
const CYCLES = 8;     // visits of every scene in the references (the tile and colours vary)
const COUNTER = { x: 0, y: SIZE - 16 };  // the frame counter's two digits

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

let scratch;
let server;
let url;
let browser;
let page;
let references = [];     // {scene, character} of captured frames
let counterGlyphs;       // the 16 hexadecimal digits as the counter draws them
const problems = [];     // console errors and warnings, page errors, failed requests

// Each captured frame is the last of a 25-frame visit; visit k shows scene k mod 5 + 1.
function captureReferences() {
  const keys = [];
  for (let frame = VISIT; frame < VISIT * 5 * CYCLES; frame += VISIT) keys.push(`${frame}:space`);
  const frames = capture(CAPTURE, join(scratch, 'scenes'), { frames: VISIT * 5 * CYCLES, every: VISIT, keys: keys.join(',') });
  return Object.entries(frames).map(([frame, picture]) => ({
    scene: ((Number(frame) / VISIT - 1) % 5) + 1,
    character: character(picture),
  }));
}

// The scene whose captured frames a picture's character is closest to: {scene, distance, margin}
// (margin: how much closer than the best of any other scene).
function classify(subject) {
  const best = new Map();
  for (const { scene, character: reference } of references) {
    const distance = histogramDistance(subject, reference);
    if (!best.has(scene) || distance < best.get(scene)) best.set(scene, distance);
  }
  const ranked = [...best].sort((a, b) => a[1] - b[1]);
  return { scene: ranked[0][0], distance: ranked[0][1], margin: ranked[1][1] - ranked[0][1] };
}

// The canvas with the number of the frame it shows and the counter's value in that frame,
// read in one evaluation: {frame, counter, picture}. A read that falls on a fade step or
// between a present and the frame's keyboard read is taken again.
async function shown() {
  for (;;) {
    const seen = await page.evaluate(() => {
      const screen = document.getElementById('screen');
      // Read through a copy, so the page's own canvas is never read back.
      const copy = document.createElement('canvas');
      copy.width = screen.width;
      copy.height = screen.height;
      const context = copy.getContext('2d', { willReadFrequently: true });
      context.drawImage(screen, 0, 0);
      const rgba = context.getImageData(0, 0, copy.width, copy.height).data;
      let bytes = '';
      for (let at = 0; at < rgba.length; at += 0x8000) bytes += String.fromCharCode(...rgba.subarray(at, at + 0x8000));
      return { frame: vort7131.frame, counter: vort7131.counter, onFrame: vort7131.onFrame, rgba: btoa(bytes) };
    });
    if (seen.onFrame) return { frame: seen.frame, counter: seen.counter, picture: fromRgba(SIZE, SIZE, Buffer.from(seen.rgba, 'base64')) };
  }
}

const untilFrame = (frame) => page.waitForFunction((n) => vort7131.frame >= n, { timeout: 10000, polling: 20 }, frame);

// A key held as a person holds it, until the program has read it (whatever the frame rate),
// then let go. The number of the frame that read the press.
async function press(key) {
  await page.keyboard.down(key);
  await page.waitForFunction(() => vort7131.keysWaiting === 0 || vort7131.state !== 'playing', { timeout: 10000, polling: 10 });
  const keys = await page.evaluate(() => vort7131.keys);
  await page.keyboard.up(key);
  const pressed = keys.findLast(([, type]) => type === 2);
  return pressed ? pressed[0] : -1;
}

const show = () => page.evaluate(() => ({
  state: vort7131.state, frame: vort7131.frame, presents: vort7131.presents, audioCalls: vort7131.audioCalls,
  audioValues: vort7131.audioValues, audioAbsSum: vort7131.audioAbsSum, audioRate: vort7131.audioRate,
  firstFrameMs: vort7131.firstFrameMs, now: performance.now(),
}));

const panelText = () => page.evaluate(() => (document.getElementById('panel').hidden ? '' : document.getElementById('message').textContent));

function assertQuiet(when) {
  assert.deepEqual(problems, [], `console errors or warnings ${when}`);
}

before(async () => {
  scratch = mkdtempSync(join(tmpdir(), 'vort7131-web-'));
  references = captureReferences();
  const charset = readPpm(join(ROOT, 'data/pictures/charset.pnm'));
  counterGlyphs = [...'0123456789ABCDEF'].map((digit) => counterGlyph(charset, digit.charCodeAt(0)));
  ({ server, url } = await serve(WEB_DIR));
  browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: join(scratch, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600 });
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warn') problems.push(`${message.type()}: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()} ${request.failure()?.errorText}`));
});

after(async () => {
  await browser?.close();
  server?.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

test('the download stays under 1 MB gzipped', (t) => {
  const js = gzipSync(readFileSync(join(WEB_DIR, 'vort7131.js')), { level: 9 }).length;
  const wasm = gzipSync(readFileSync(join(WEB_DIR, 'vort7131.wasm')), { level: 9 }).length;
  t.diagnostic(`budget: vort7131.wasm + vort7131.js gzipped = ${wasm} + ${js} = ${((wasm + js) / 1024).toFixed(0)} KiB`);
  assert.ok(wasm + js < 1024 * 1024);
});

test('the page shows its loading progress, then waits for a click or a key', async () => {
  // A slow line, so the progress can be seen moving.
  await page.emulateNetworkConditions({ download: 1.5e6, upload: 1e6, latency: 20 });
  await page.evaluateOnNewDocument(() => {
    window.loadingSeen = [];
    document.addEventListener('DOMContentLoaded', () => {
      const message = document.getElementById('message');
      new MutationObserver(() => window.loadingSeen.push(message.textContent))
        .observe(message, { childList: true, characterData: true, subtree: true });
    });
  });
  await page.goto(url);
  await page.waitForFunction(() => vort7131.state !== 'loading', { timeout: 30000 });
  await page.emulateNetworkConditions(null);
  assert.equal((await show()).state, 'ready');
  const percents = (await page.evaluate(() => window.loadingSeen))
    .map((text) => /(\d+) %/.exec(text)).filter(Boolean).map((match) => Number(match[1]));
  assert.ok(percents.length >= 3, `progress seen: ${percents}`);
  assert.deepEqual([...percents].sort((a, b) => a - b), percents, 'progress only grows');
  assert.equal(percents.at(-1), 100);
  assert.match(await panelText(), /click or press a key/i);
  await sleep(500);
  assert.equal((await show()).presents, 0, 'nothing runs before the click');
  assertQuiet('while loading');
});

test('a click starts the show: the first scene, in many colours, scaled by a whole number', async (t) => {
  await page.mouse.click(400, 300);
  await untilFrame(50);
  const now = await show();
  t.diagnostic(`budget: first frame ${now.firstFrameMs.toFixed(0)} ms after the click`);
  assert.equal(now.state, 'playing');
  assert.equal(await panelText(), '');

  const picture = character((await shown()).picture);
  const seen = classify(picture);
  t.diagnostic(`first scene: ${picture.colours} colours, brightness ${picture.brightness.toFixed(0)}, ` +
               `closest to scene ${seen.scene} (${seen.distance.toFixed(2)}, next ${seen.margin.toFixed(2)} further)`);
  assert.ok(picture.brightness > 20 && picture.histogram[0] < 0.5, 'not black');
  assert.ok(picture.colours >= 200, `${picture.colours} colours`);
  assert.equal(seen.scene, 1);

  const box = await page.evaluate(() => {
    const rect = document.getElementById('screen').getBoundingClientRect();
    const style = getComputedStyle(document.getElementById('screen'));
    return { width: rect.width, height: rect.height, rendering: style.imageRendering, left: rect.left, top: rect.top,
             background: getComputedStyle(document.body).backgroundColor };
  });
  assert.equal(box.width, 512, 'an 800 x 600 window shows the 256 x 256 screen at 2x');
  assert.equal(box.height, 512);
  assert.equal(box.left, 144, 'centred');
  assert.equal(box.top, 44);
  assert.equal(box.rendering, 'pixelated');
  assert.equal(box.background, 'rgb(0, 0, 0)');
  mkdirSync(dirname(SCREENSHOT), { recursive: true });
  await page.screenshot({ path: SCREENSHOT });
  assertQuiet('after the start');
});

test('Space moves on to the second scene', async (t) => {
  const pressed = await press('Space');
  await untilFrame(pressed + VISIT);
  const picture = character((await shown()).picture);
  const seen = classify(picture);
  t.diagnostic(`after Space: closest to scene ${seen.scene} (${seen.distance.toFixed(3)})`);
  assert.equal(seen.scene, 2);
  assert.ok(seen.distance < 0.1, `close to the captured second scene: ${seen.distance}`);
});

test('8 shows the frame counter in the bottom left corner, in its own colours', async (t) => {
  const before = await shown();
  assert.notEqual(readCounter(before.picture, counterGlyphs, COUNTER.x, COUNTER.y), before.counter, 'no counter before 8');
  const pressed = await press('8');
  await untilFrame(pressed + 2);  // drawn from the frame after the one that read the key
  const after = await shown();
  const read = readCounter(after.picture, counterGlyphs, COUNTER.x, COUNTER.y);
  t.diagnostic(`frame ${after.frame}: the counter shows ${read?.toString(16).toUpperCase()}, the page counted ${after.counter}`);
  assert.equal(read, after.counter, 'the digits drawn are those of the frames counted in the last second');
  assert.ok(after.counter > 0, 'a second of frames has been counted');
});

test('the show runs at 50 frames per second with its sound', async (t) => {
  const renderer = await page.createCDPSession();
  await renderer.send('Performance.enable');
  const all = await browser.target().createCDPSession();
  const cpu = async () => ({
    renderer: (await renderer.send('Performance.getMetrics')).metrics.find((m) => m.name === 'ProcessTime').value,
    chromium: (await all.send('SystemInfo.getProcessInfo')).processInfo.reduce((sum, p) => sum + p.cpuTime, 0),
  });
  const start = await show();
  const cpuStart = await cpu();
  await sleep(5000);
  const end = await show();
  const cpuEnd = await cpu();
  const seconds = (end.now - start.now) / 1000;
  const fps = (end.frame - start.frame) / seconds;
  const rate = (end.audioValues - start.audioValues) / seconds;
  t.diagnostic(`budget: ${fps.toFixed(2)} frames per second over ${seconds.toFixed(1)} s`);
  t.diagnostic(`budget: processor time ${((cpuEnd.renderer - cpuStart.renderer) / seconds * 100).toFixed(1)} % of ` +
               `one core in the page's process, ${((cpuEnd.chromium - cpuStart.chromium) / seconds * 100).toFixed(1)} % ` +
               'in all of Chromium');
  t.diagnostic(`sound: ${end.audioRate} Hz, ${rate.toFixed(0)} values per second, ${end.audioCalls} device buffers so far`);
  assert.ok(Math.abs(fps - 50) <= 3, `${fps} frames per second`);
  assert.equal(end.audioRate, 44100);
  assert.ok(end.audioCalls > start.audioCalls, 'the audio callback runs');
  assert.ok(Math.abs(rate - 44100) < 44100 * 0.1, `${rate} sound values per second`);
  // The music is never near silence: its values average a few hundred in size.
  const loudness = (end.audioAbsSum - start.audioAbsSum) / (end.audioValues - start.audioValues);
  t.diagnostic(`sound: mean absolute value ${loudness.toFixed(0)}`);
  assert.ok(loudness > 100, `not silence: mean absolute value ${loudness}`);
});

test('Esc ends the show: the page says so and offers to play again', async () => {
  await press('Escape');
  await page.waitForFunction(() => vort7131.state !== 'playing', { timeout: 5000 });
  assert.equal((await show()).state, 'ended');
  assert.match(await panelText(), /ended/);
  const button = await page.evaluate(() => {
    const again = document.getElementById('again');
    return { shown: !again.hidden && again.offsetWidth > 0, focused: document.activeElement === again, text: again.textContent };
  });
  assert.deepEqual(button, { shown: true, focused: true, text: 'Play again' });
  const presents = (await show()).presents;
  await sleep(300);
  assert.equal((await show()).presents, presents, 'nothing is drawn once the show has ended');

  await page.click('#again');
  await page.waitForFunction((frames) => vort7131.state === 'playing' && vort7131.frame > frames && vort7131.audioAbsSum > 0,
                             { timeout: 10000, polling: 20 }, VISIT);
  assert.equal(classify(character((await shown()).picture)).scene, 1);
  assertQuiet('at the end');
});

test('the full-screen button fills the screen with the show, and takes it back', async () => {
  const width = () => page.evaluate(() => document.getElementById('screen').getBoundingClientRect().width);
  await page.click('#fullscreen');
  await page.waitForFunction(() => document.fullscreenElement === document.getElementById('stage'), { timeout: 5000 });
  const full = await page.evaluate(() => ({ width: screen.width, height: screen.height }));
  await page.waitForFunction((expected) => document.getElementById('screen').getBoundingClientRect().width === expected,
                             { timeout: 5000 }, Math.floor(Math.min(full.width, full.height) / SIZE) * SIZE);
  await page.click('#fullscreen');
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000 });
  await page.waitForFunction(() => document.getElementById('screen').getBoundingClientRect().width === 512, { timeout: 5000 });
  assert.equal(await width(), 512);
  assert.equal(await page.evaluate(() => document.activeElement === document.body), true, 'keys still reach the show');
  assertQuiet('after full screen');
});
