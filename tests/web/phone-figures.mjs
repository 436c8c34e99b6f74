// The browser build's figures on a phone's screen (390 x 844, touch, 3
// device pixels to the CSS pixel), in the same headless Chromium as the
// browser suite: the latency from a touch on the pad to the first frame
// that shows the player moved (to the timestamp of the animation frame it
// was drawn on), beside the same for an arrow key; the time
// from navigation to the first frame online and offline (from the service
// worker's cache); and the page's size compressed.
//
//   node phone-figures.mjs [--site build/web] [--trials 20] [--loads 5]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';
import {serve} from './serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2)
  args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const site = path.resolve(args.site || path.join(here, '../../build/web'));
const trials = Number(args.trials || 20);
const loads = Number(args.loads || 5);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (v) => [...v].sort((a, b) => a - b)[v.length >> 1];
const phone = {width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3};

const server = await serve(site);
const url = `http://127.0.0.1:${server.address().port}/`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fusebound-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  userDataDir: profile,
});
const firstFrame = (page) => page.waitForFunction(
    () => window.Module && Module.fbweb && Module.fbweb.stats.firstFrameAt >= 0, {polling: 5})
    .then(() => page.evaluate(() => Module.fbweb.stats.firstFrameAt));

// The page notes when the last touch or key came, and for each frame shown
// after it whether the arena (below the status bar) differs from the one
// before the input: the first that does shows the player moved.
function watchInput() {
  window.inputAt = -1;
  window.movedAt = -1;
  const arena = () => document.getElementById('game').getContext('2d')
                           .getImageData(0, 30, 320, 210).data;
  let before = null;
  const note = (e) => {
    before = arena();
    window.inputAt = e.timeStamp;
    window.handledAt = performance.now();
    window.movedAt = -1;
  };
  window.addEventListener('pointerdown', note, true);
  window.addEventListener('keydown', note, true);
  const frame = (time) => {
    // After every callback of this animation frame, the game's included.
    setTimeout(() => {
      if (before && window.movedAt < 0) {
        const now = arena();
        for (let i = 0; i < now.length; i += 4)
          if (now[i] !== before[i] || now[i + 1] !== before[i + 1] || now[i + 2] !== before[i + 2]) {
            window.movedAt = time;
            break;
          }
      }
    }, 0);
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
}

async function latencies() {
  const page = await browser.newPage();
  await page.setViewport(phone);
  await page.evaluateOnNewDocument(watchInput);
  await page.goto(url);
  await firstFrame(page);
  await sleep(500);
  const cdp = await page.createCDPSession();
  const pad = await page.$eval('#pad', (e) => e.getBoundingClientRect().toJSON());
  const touchAt = (way) => ({id: 1, x: pad.x + pad.width / 2 * (1 + 0.66 * way),
                             y: pad.y + pad.height / 2});
  // And how long the event took from its timestamp to reaching the page.
  const ways = {touch: [], key: []}, queued = {touch: [], key: []};
  for (let i = 0; i < trials; ++i)
    for (const kind of ['touch', 'key']) {
      const way = i % 2 === 0 ? 1 : -1;  // right, then back left
      if (kind === 'touch')
        await cdp.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [touchAt(way)]});
      else
        await page.keyboard.down(way > 0 ? 'ArrowRight' : 'ArrowLeft');
      await page.waitForFunction(() => window.movedAt >= 0, {polling: 5, timeout: 5000});
      const [all, handled] = await page.evaluate(
          () => [window.movedAt - window.inputAt, window.handledAt - window.inputAt]);
      ways[kind].push(all);
      queued[kind].push(handled);
      await sleep(100);
      if (kind === 'touch')
        await cdp.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
      else
        await page.keyboard.up(way > 0 ? 'ArrowRight' : 'ArrowLeft');
      await sleep(150);
    }
  await page.close();
  return {ways, queued};
}

async function firstFrames() {
  const online = [], offline = [];
  for (let i = 0; i < loads; ++i) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport(phone);
    await page.goto(url);
    online.push(await firstFrame(page));
    await context.close();
  }
  const page = await browser.newPage();
  await page.setViewport(phone);
  await page.goto(url);
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => 0));
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions',
                 {offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1});
  for (let i = 0; i < loads; ++i) {
    await page.reload();
    offline.push(await firstFrame(page));
  }
  await page.close();
  return {online, offline};
}

function sizes() {
  const out = {};
  for (const name of fs.readdirSync(site))
    out[name] = zlib.gzipSync(fs.readFileSync(path.join(site, name)), {level: 9}).length;
  return out;
}

const {ways, queued} = await latencies();
const loaded = await firstFrames();
const files = sizes();
const total = Object.values(files).reduce((a, b) => a + b, 0);
const fmt = (v) => v.map((x) => x.toFixed(1)).join(' ');
console.log(`touch to picture: median ${median(ways.touch).toFixed(1)} ms, ` +
            `min ${Math.min(...ways.touch).toFixed(1)}, max ${Math.max(...ways.touch).toFixed(1)} (${fmt(ways.touch)})`);
console.log(`key to picture:   median ${median(ways.key).toFixed(1)} ms, ` +
            `min ${Math.min(...ways.key).toFixed(1)}, max ${Math.max(...ways.key).toFixed(1)} (${fmt(ways.key)})`);
const fromPage = (kind) => median(ways[kind].map((v, i) => v - queued[kind][i])).toFixed(1);
console.log(`event timestamp to page: touch median ${median(queued.touch).toFixed(1)} ms, ` +
            `key median ${median(queued.key).toFixed(1)} ms; page to picture: touch median ` +
            `${fromPage('touch')} ms, key median ${fromPage('key')} ms`);
console.log(`first frame online:  median ${median(loaded.online).toFixed(0)} ms (${fmt(loaded.online)})`);
console.log(`first frame offline: median ${median(loaded.offline).toFixed(0)} ms (${fmt(loaded.offline)})`);
console.log(`page, gzip: ${total} bytes: ` +
            Object.entries(files).map(([n, b]) => `${n} ${b}`).join(', '));
await browser.close();
server.close();
fs.rmSync(profile, {recursive: true, force: true});
