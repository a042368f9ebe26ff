// The show as a web page (build/web, made by `make web`) in headless Chromium, driven like a
// visitor would: load, click, keys, Tab and full screen, Esc, play again; then at other
// screen densities and on a touch screen. The page draws the same random numbers as the
// desktop, so its frame N with the same keys is demo_capture's frame N, pixel for pixel.
// Nothing waits on the wall clock for the show: a key is held until the program has read
// it, and every picture is read together with the number of the frame it is and the
// counter's value drawn in it, in one evaluation. The budgets (download, first frame, frame
// rate, processor time, how far the sound trails the picture) are printed as diagnostics.
// A Chromium that cannot start fails the run.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

import { captureFrame, difference, fromRgba, pixel } from './pictures.mjs';
import { serve } from './serve.mjs';

const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const WEB_DIR = process.env.DEMO_WEB_DIR || join(ROOT, 'build/web');
const CAPTURE = process.env.DEMO_CAPTURE || join(ROOT, 'build/release/demo_capture');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const SCREENSHOT = process.env.DEMO_SCREENSHOT || join(ROOT, 'build/web-test/browser.png');

const SIZE = 256;
const COUNTER = { x: 0, y: SIZE - 16, width: 32, height: 16 };  // the frame counter's two digits
const SCENE_FRAMES = 25;  // frames a test lets a scene run before it looks
const FADE_HOLD_MS = 20;  // each of the 32 fade steps is shown for a frame period

let scratch;
let server;
let url;
let browser;
let page;
const problems = [];  // console errors and warnings, page errors, failed requests

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

async function openPage(viewport) {
  const opened = await browser.newPage();
  await opened.setViewport(viewport);
  // The pixels of a canvas or an image (scaled to width x height) as base64 RGBA, read
  // through a copy, so the page's own canvas is never read back.
  await opened.evaluateOnNewDocument(() => {
    window.rgbaOf = (source, width = source.width, height = source.height) => {
      const context = new OffscreenCanvas(width, height).getContext('2d', { willReadFrequently: true });
      context.drawImage(source, 0, 0, width, height);
      const rgba = context.getImageData(0, 0, width, height).data;
      let bytes = '';
      for (let at = 0; at < rgba.length; at += 0x8000) bytes += String.fromCharCode(...rgba.subarray(at, at + 0x8000));
      return btoa(bytes);
    };
  });
  opened.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warn') problems.push(`${message.type()}: ${message.text()}`);
  });
  opened.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  opened.on('requestfailed', (request) => problems.push(`request failed: ${request.url()} ${request.failure()?.errorText}`));
  return opened;
}

function assertQuiet(when) {
  assert.deepEqual(problems, [], `console errors or warnings ${when}`);
}

const show = (on = page) => on.evaluate(() => ({
  state: vort7131.state, frame: vort7131.frame, presents: vort7131.presents, audioCalls: vort7131.audioCalls,
  audioValues: vort7131.audioValues, audioAbsSum: vort7131.audioAbsSum, audioRate: vort7131.audioRate,
  sound: vort7131.sound, firstFrameMs: vort7131.firstFrameMs, now: performance.now(),
}));

const panelText = (on = page) => on.evaluate(() =>
  (document.getElementById('panel').hidden ? '' : document.getElementById('message').textContent));

// The canvas with the number of the frame it shows and the counter's value in that frame,
// read in one evaluation: {frame, counter, keys, picture}. A read that falls on a fade step or
// between a present and the frame's keyboard read is taken again.
async function shown(on = page) {
  for (;;) {
    const seen = await on.evaluate(() => {
      const { frame, counter, keys, sinceFrame } = vort7131;
      return { frame, counter, keys, since: sinceFrame, rgba: rgbaOf(document.getElementById('screen')) };
    });
    if (seen.since === 0) return { ...seen, picture: fromRgba(SIZE, SIZE, Buffer.from(seen.rgba, 'base64')) };
  }
}

const untilFrame = (frame, on = page) =>
  on.waitForFunction((n) => vort7131.frame >= n, { timeout: 20000, polling: 20 }, frame);

// A key held as a person holds it, until the program has read it (whatever the frame rate),
// then let go. The number of the frame that read the press.
async function press(key, on = page) {
  await on.keyboard.down(key);
  await on.waitForFunction(() => vort7131.keysWaiting === 0 || vort7131.state !== 'playing', { timeout: 10000, polling: 10 });
  const keys = await on.evaluate(() => vort7131.keys);
  await on.keyboard.up(key);
  const pressed = keys.findLast(([, type]) => type === 2);
  return pressed ? pressed[0] : -1;
}

// The keys the program read, as demo_capture's --keys: per frame, the key byte the last event
// left (a release leaves none). `leave` drops some keys (the counter's 8, whose digits differ).
function scriptOf(keys, leave = []) {
  const last = new Map();
  for (const [frame, type, sym] of keys) last.set(frame, type === 2 ? sym & 0xff : 0);
  const names = { 32: 'space', 27: 'esc' };
  return [...last].filter(([, key]) => key !== 0 && !leave.includes(key))
    .map(([frame, key]) => `${frame}:${names[key] || String.fromCharCode(key)}`).join(',');
}

// demo_capture's frame n with the page's keys up to it.
function captured(frame, keys, leave) {
  const script = scriptOf(keys.filter(([at]) => at <= frame), leave);
  const dir = mkdtempSync(join(scratch, 'frame-'));
  return captureFrame(CAPTURE, dir, frame, script);
}

// The page's frame is demo_capture's same frame with the same keys, pixel for pixel; with the
// counter shown, but for the counter's corner, where its digits (the desktop's own code, over
// the page's count) are drawn.
function assertAsCaptured(seen, { counterShown = false } = {}) {
  const expected = captured(seen.frame, seen.keys, counterShown ? [0x38] : []);
  const { count, first } = difference(seen.picture, expected, counterShown ? COUNTER : null);
  assert.equal(count, 0, `frame ${seen.frame} (keys ${scriptOf(seen.keys)}): ${count} pixels differ, ` +
                         `first [x, y, page, captured] ${first}`);
  if (counterShown) assert.ok(difference(seen.picture, expected).count > 0, 'the counter is drawn');
}

// Where the picture, the buttons and the key line are, in CSS and device pixels.
const layoutOf = (on = page) => on.evaluate(() => {
  const box = (element) => {
    const r = element.getBoundingClientRect();
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
  };
  const others = [...document.querySelectorAll('#controls button, #keys')].filter((e) => !e.hidden && e.offsetWidth > 0);
  return { ratio: devicePixelRatio, width: innerWidth, height: innerHeight, picture: box(document.getElementById('screen')),
           others: others.map((e) => ({ id: e.id, ...box(e) })) };
});

// The picture is 256 k device pixels square, and nothing covers it or leaves the window.
function assertCrisp(layout, k) {
  const { ratio, picture } = layout;
  const near = (a, b) => Math.abs(a - b) < 0.01;
  assert.ok(near(picture.width * ratio, SIZE * k) && near(picture.height * ratio, SIZE * k),
            `${picture.width} CSS px at ${ratio} is ${picture.width * ratio} device px, not ${SIZE} x ${k}`);
  for (const other of layout.others) {
    const apart = other.right <= picture.left || other.left >= picture.right ||
                  other.bottom <= picture.top || other.top >= picture.bottom;
    assert.ok(apart, `#${other.id} covers the picture`);
    const inside = other.left >= 0 && other.top >= 0 && other.right <= layout.width && other.bottom <= layout.height;
    assert.ok(inside, `#${other.id} is outside`);
  }
}

// A screenshot shows the picture as k x k blocks of one colour each, with the show in them,
// on a whole device pixel next to where layout puts it. The browser decodes its own PNG.
async function assertBlocks(on, layout, k) {
  const { width, height, rgba } = await on.evaluate(async (png) => {
    const image = await createImageBitmap(await (await fetch(`data:image/png;base64,${png}`)).blob());
    return { width: image.width, height: image.height, rgba: rgbaOf(image) };
  }, await on.screenshot({ encoding: 'base64' }));
  const shot = fromRgba(width, height, Buffer.from(rgba, 'base64'));
  const uneven = ([left, top]) => {
    let count = 0;
    for (let by = 0; by < SIZE; by++) {
      for (let bx = 0; bx < SIZE; bx++) {
        const colour = pixel(shot, left + bx * k, top + by * k);
        for (let d = 1; d < k * k; d++) if (pixel(shot, left + bx * k + (d % k), top + by * k + Math.floor(d / k)) !== colour) count++;
      }
    }
    return count;
  };
  const near = (v) => [0, -1, 1].map((d) => Math.round(v * layout.ratio) + d);
  const origins = near(layout.picture.left).flatMap((x) => near(layout.picture.top).map((y) => [x, y]));
  const best = Math.min(...origins.map(uneven));
  assert.equal(best, 0, `${best} screen pixels differ from their picture pixel's block`);
  const colours = new Set();
  const [left, top] = origins[0];
  for (let y = 0; y < SIZE * k; y += k) for (let x = 0; x < SIZE * k; x += k) colours.add(pixel(shot, left + x, top + y));
  assert.ok(colours.size >= 50, `the show is on the screen (${colours.size} colours)`);
}

before(async () => {
  scratch = mkdtempSync(join(tmpdir(), 'vort7131-web-'));
  ({ server, url } = await serve(WEB_DIR));
  browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: join(scratch, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  page = await openPage({ width: 800, height: 600 });
});

after(async () => {
  await browser?.close();
  server?.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

test('the download stays under 1 MB gzipped, and the icon is the desktop\'s', async (t) => {
  const js = gzipSync(readFileSync(join(WEB_DIR, 'vort7131.js')), { level: 9 }).length;
  const wasm = gzipSync(readFileSync(join(WEB_DIR, 'vort7131.wasm')), { level: 9 }).length;
  t.diagnostic(`budget: vort7131.wasm + vort7131.js gzipped = ${wasm} + ${js} = ${((wasm + js) / 1024).toFixed(0)} KiB`);
  assert.ok(wasm + js < 1024 * 1024);
  const icons = join(scratch, 'icons');
  execFileSync(join(dirname(CAPTURE), 'tool_icon'), [icons]);
  for (const size of [32, 192]) {
    const served = await (await fetch(new URL(`icon-${size}.png`, url))).arrayBuffer();
    assert.ok(Buffer.from(served).equals(readFileSync(join(icons, `${size}x${size}/apps/vort7131.png`))), `icon-${size}.png`);
  }
});

test('the page shows its loading progress, then starts only on a click, Enter or Space', async () => {
  // A slow line, so the progress can be seen moving.
  await page.emulateNetworkConditions({ download: 1.5e6, upload: 1e6, latency: 20 });
  await page.evaluateOnNewDocument(() => {
    window.loadingSeen = [];
    document.addEventListener('DOMContentLoaded', () => {
      const message = document.getElementById('message');
      new MutationObserver(() => window.loadingSeen.push(message.textContent))
        .observe(message, { childList: true, characterData: true, subtree: true });
    });
    // What the page did with each key, seen after every listener of the page.
    window.keyVerdicts = [];
    window.addEventListener('keydown', (event) => window.keyVerdicts.push([event.code, event.defaultPrevented]));
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
  assert.equal(await panelText(), 'Click or press Space to start');
  for (const key of ['KeyX', 'Escape', 'Digit8']) await page.keyboard.press(key);
  await page.keyboard.down('Control');
  await page.keyboard.press('Space');
  await page.keyboard.up('Control');
  await sleep(300);
  assert.equal((await show()).presents, 0, 'nothing runs before the click');
  const taken = await page.evaluate(() => window.keyVerdicts.filter(([, prevented]) => prevented));
  assert.deepEqual(taken, [], 'other keys are the browser\'s');
  assertQuiet('while loading');
});

test('a click starts the show: its frames are demo_capture\'s, 2x in an 800 x 600 window', async (t) => {
  await page.mouse.click(400, 250);
  await untilFrame(SCENE_FRAMES);
  t.diagnostic(`budget: first frame ${(await show()).firstFrameMs.toFixed(0)} ms after the click`);
  const seen = await shown();
  assertAsCaptured(seen);
  assert.equal(await panelText(), '');

  const layout = await layoutOf();
  assertCrisp(layout, 2);
  assert.equal(Math.round(layout.picture.left), 144, 'centred');
  assert.deepEqual(layout.others.map((o) => o.id), ['fullscreen', 'keys'], 'under the picture: the button and the keys');
  mkdirSync(dirname(SCREENSHOT), { recursive: true });
  await page.screenshot({ path: SCREENSHOT });
  assertQuiet('after the start');
});

test('Space fades the picture to black step by step, then the second scene runs as captured', async (t) => {
  const pressed = await press('Space');
  // Each fade step stays on the screen a frame period: many are seen, darkening, in order.
  const steps = [];
  for (let seen = null; !seen || seen.frame === pressed;) {
    seen = await page.evaluate(() => {
      const light = [...atob(rgbaOf(document.getElementById('screen'), 16, 16))]
        .reduce((sum, c, i) => sum + (i % 4 === 3 ? 0 : c.charCodeAt(0)), 0);
      return { frame: vort7131.frame, step: vort7131.sinceFrame, light, at: performance.now() };
    });
    if (seen.frame === pressed && seen.step >= 1 && seen.step <= 32 && seen.step !== steps.at(-1)?.step) steps.push(seen);
  }
  t.diagnostic(`fade: steps ${steps.map((s) => s.step).join(' ')} seen`);
  assert.ok(steps.length >= 8, `${steps.length} fade steps seen`);
  for (let i = 1; i < steps.length; i++) {
    const [a, b] = [steps[i - 1], steps[i]];
    assert.ok(b.step > a.step && b.light <= a.light, `step ${b.step} after ${a.step}, no lighter`);
    assert.ok(b.at - a.at >= (b.step - a.step - 1) * FADE_HOLD_MS * 0.9, `steps ${a.step} to ${b.step} took ${b.at - a.at} ms`);
  }
  assert.ok(steps.at(-1).light < steps[0].light, 'darker at the end');
  await untilFrame(pressed + SCENE_FRAMES);
  assertAsCaptured(await shown());
});

test('8 shows the frame counter, the frames the page counted in the last second', async (t) => {
  const pressed = await press('8');
  await untilFrame(pressed + 2);  // drawn from the frame after the one that read the key
  const seen = await shown();
  t.diagnostic(`frame ${seen.frame}: the counter shows ${seen.counter.toString(16).toUpperCase()}`);
  assert.ok(seen.counter > 0, 'a second of frames has been counted');
  assertAsCaptured(seen, { counterShown: true });
});

test('the show holds 50 frames per second, its sound close behind the picture', async (t) => {
  const renderer = await page.createCDPSession();
  await renderer.send('Performance.enable');
  const all = await browser.target().createCDPSession();
  const cpu = async () => ({
    renderer: (await renderer.send('Performance.getMetrics')).metrics.find((m) => m.name === 'ProcessTime').value,
    chromium: (await all.send('SystemInfo.getProcessInfo')).processInfo.reduce((sum, p) => sum + p.cpuTime, 0),
  });
  const samples = [await show()];
  const cpuStart = await cpu();
  while (samples.at(-1).now - samples[0].now < 5000) {
    await sleep(250);
    samples.push(await show());
  }
  const cpuEnd = await cpu();
  const [start, end] = [samples[0], samples.at(-1)];
  const seconds = (end.now - start.now) / 1000;
  const fps = (end.frame - start.frame) / seconds;
  const lag = Math.max(...samples.map(({ sound }) => sound.aheadMs + sound.latencyMs));
  const clocks = (end.sound.clock - start.sound.clock) / ((end.frame - start.frame) / 50);
  t.diagnostic(`budget: ${fps.toFixed(2)} frames per second over ${seconds.toFixed(1)} s`);
  t.diagnostic(`budget: processor time ${((cpuEnd.renderer - cpuStart.renderer) / seconds * 100).toFixed(1)} % of ` +
               `one core in the page's process, ${((cpuEnd.chromium - cpuStart.chromium) / seconds * 100).toFixed(1)} % ` +
               'in all of Chromium');
  t.diagnostic(`budget: the sound at most ${lag.toFixed(0)} ms behind the picture (the browser's own output ` +
               `${end.sound.latencyMs.toFixed(0)} ms of it); audio clock / frame clock ${clocks.toFixed(3)}; ` +
               `${end.sound.gaps} gaps so far`);
  // Never faster than 50; slower only by the frames a loaded machine makes it drop (a late
  // frame is not caught up), nothing like a page paced at 40 ms or by the screen's refresh.
  assert.ok(fps >= 45 && fps <= 51, `${fps} frames per second`);
  assert.ok(lag < 100, `the sound ${lag} ms behind`);
  assert.ok(Math.abs(clocks - 1) < 0.05, `the audio clock runs ${clocks} times the frame clock`);
  assert.equal(end.audioRate, 44100);
  const values = (end.audioValues - start.audioValues) / (end.frame - start.frame);
  assert.ok(Math.abs(values - 882) < 882 * 0.05, `${values} sound values a frame`);
  // The music is never near silence: its values average a few hundred in size.
  const loudness = (end.audioAbsSum - start.audioAbsSum) / (end.audioValues - start.audioValues);
  t.diagnostic(`sound: mean absolute value ${loudness.toFixed(0)}`);
  assert.ok(loudness > 100, `not silence: mean absolute value ${loudness}`);
});

test('during the show other keys are the browser\'s: Tab reaches the full-screen button', async () => {
  await page.evaluate(() => { window.keyVerdicts = []; });
  await press('KeyA');
  await page.keyboard.press('KeyX');
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyS');
  await page.keyboard.up('Control');
  await page.keyboard.press('Tab');
  assert.deepEqual(await page.evaluate(() => window.keyVerdicts),
                   [['KeyA', true], ['KeyX', false], ['ControlLeft', false], ['KeyS', false], ['Tab', false]]);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'fullscreen');

  // Enter on the button: the show fills the screen, the button beside or under it, the key line gone.
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.fullscreenElement === document.getElementById('stage'), { timeout: 5000 });
  await page.waitForFunction(() => document.getElementById('keys').hidden);
  const full = await layoutOf();
  const [button] = full.others;  // the largest picture with the button beside it or under it
  assertCrisp(full, Math.max(Math.floor(Math.min(full.width - button.width - 8, full.height) / SIZE),
                             Math.floor(Math.min(full.width, full.height - button.height - 8) / SIZE)));
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000 });
  await page.waitForFunction(() => !document.getElementById('keys').hidden);
  assertCrisp(await layoutOf(), 2);
  await page.evaluate(() => document.activeElement.blur());
  assertQuiet('after full screen');
});

test('Esc ends the show: the page says so, and the next run starts over as captured', async () => {
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
                             { timeout: 10000, polling: 20 }, SCENE_FRAMES);
  assertAsCaptured(await shown());
  assertQuiet('at the end');
});

test('every picture pixel is k x k device pixels at densities 1.25, 3 and 1, following zoom', async () => {
  // Zooming a window changes both its size in CSS pixels and the device pixels per CSS pixel:
  // 800 x 600 device pixels at 125 % are 640 x 480 CSS pixels; 1200 x 900 at 300 %, 400 x 300.
  for (const [width, height, deviceScaleFactor, k] of [[640, 480, 1.25, 2], [400, 300, 3, 2], [800, 600, 1, 2]]) {
    await page.setViewport({ width, height, deviceScaleFactor });
    await page.waitForFunction((ratio, side) => devicePixelRatio === ratio &&
                               Math.abs(document.getElementById('screen').getBoundingClientRect().width * ratio - side) < 1,
                               { timeout: 5000 }, deviceScaleFactor, SIZE * k);
    const layout = await layoutOf();
    assertCrisp(layout, k);
    await assertBlocks(page, layout, k);
  }
});

test('on a touch screen: "Tap", a tap is Space, and the buttons give the counter and the end', async (t) => {
  const phone = await openPage({ width: 400, height: 700, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
  await phone.goto(url);
  await phone.waitForFunction(() => vort7131.state === 'ready', { timeout: 30000 });
  assert.equal(await panelText(phone), 'Tap to start');
  const layout = await layoutOf(phone);
  assertCrisp(layout, 4);  // 1024 of the phone's 1200 device pixels across
  assert.deepEqual(layout.others.map((o) => o.id), ['counter', 'end', 'fullscreen', 'keys']);

  // A tap on the middle of a box; the frame that read the press of sym it gives.
  const tap = (box) => phone.touchscreen.tap(box.left + box.width / 2, box.top + box.height / 2);
  const readAt = async (sym) => {
    await phone.waitForFunction((s) => vort7131.keys.some(([, type, key]) => type === 2 && key === s), { timeout: 5000 }, sym);
    return (await phone.evaluate(() => vort7131.keys)).findLast(([, , key]) => key === sym)[0];
  };
  await tap(layout.picture);
  await untilFrame(SCENE_FRAMES, phone);
  await assertBlocks(phone, layout, 4);
  await tap(layout.picture);
  await untilFrame(await readAt(32) + SCENE_FRAMES, phone);
  assertAsCaptured(await shown(phone));

  const [counter, end] = layout.others;
  await tap(counter);
  await untilFrame(await readAt(56) + 2, phone);
  const seen = await shown(phone);
  t.diagnostic(`touch: frame ${seen.frame}, the counter shows ${seen.counter.toString(16).toUpperCase()}`);
  assertAsCaptured(seen, { counterShown: true });
  await tap(end);
  await phone.waitForFunction(() => vort7131.state === 'ended', { timeout: 5000 });
  await phone.close();
  assertQuiet('on the touch screen');
});
