// The browser build's figures, in the same headless Chromium the browser
// suite uses: bytes transferred for the whole page (gzip, as served by
// serve.mjs), time from navigation to the first frame, the intervals of
// 1,000 frames, and processor use standing still, playing (a bomb pulsing,
// walking) and while the tab is hidden; with --before, the processor use of
// another build of the page too, measured in turn with this one.
//
//   node figures.mjs [--site build/web] [--before DIR] [--frames 1000]
//                    [--seconds 10]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';
import {serve} from './serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2)
  args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const site = path.resolve(args.site || path.join(here, '../../build/web'));
const frameCount = Number(args.frames || 1000);
const seconds = Number(args.seconds || 10);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const server = await serve(site);
const url = `http://127.0.0.1:${server.address().port}/index.html`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fusebound-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run',
         '--disable-background-networking', '--disable-component-update',
         '--disable-sync'],
  userDataDir: profile,
});

// Processor time (s) of Chromium and all its child processes.
function chromiumCpuSeconds() {
  const tick = 100;  // USER_HZ
  const parents = new Map();
  const times = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(Number(pid), Number(fields[1]));
      times.set(Number(pid), (Number(fields[11]) + Number(fields[12])) / tick);
    } catch {}
  }
  const root = browser.process().pid;
  let total = 0;
  for (const [pid, time] of times) {
    let p = pid;
    while (p && p !== root) p = parents.get(p);
    if (p === root) total += time;
  }
  return total;
}

const page = await browser.newPage();
await page.setViewport({width: 1000, height: 800});
const cdp = await page.createCDPSession();
await cdp.send('Network.enable');
await cdp.send('Performance.enable');
const transfers = new Map();
cdp.on('Network.responseReceived', (e) => transfers.set(e.requestId, {url: e.response.url}));
cdp.on('Network.loadingFinished', (e) => {
  const t = transfers.get(e.requestId);
  if (t) t.bytes = e.encodedDataLength;
});

await page.goto(url);
await page.waitForFunction(() => window.Module && Module.fbweb && Module.fbweb.stats.frames > 0);
const firstFrame = await page.evaluate(() => Module.fbweb.stats.firstFrameAt);
// Where the time to the first frame went: the page, the last file, the
// first frame.
const phases = await page.evaluate(() => {
  const nav = performance.getEntriesByType('navigation')[0];
  const files = performance.getEntriesByType('resource');
  return {
    response: nav.responseEnd,
    parsed: nav.domContentLoadedEventEnd,
    files: Math.max(...files.map((f) => f.responseEnd)),
    opened: Module.fbweb.stats.openedAt,
    focused: Module.fbweb.stats.focusedAt,
  };
});
await sleep(500);
let bytes = 0;
const files = [];
for (const t of transfers.values()) {
  if (!t.bytes) continue;
  bytes += t.bytes;
  files.push(`${path.basename(new URL(t.url).pathname)} ${t.bytes}`);
}

// Frame intervals: the times at which the page put frames on the canvas.
const from = await page.evaluate(() => Module.fbweb.stats.frames);
await page.waitForFunction((n) => Module.fbweb.stats.frames >= n,
                           {timeout: (frameCount / 30 + 30) * 1000, polling: 100},
                           from + frameCount + 1);
const [times, late] = await page.evaluate((from, n) => {
  const s = Module.fbweb.stats, times = [], late = [];
  for (let i = from; i <= from + n; ++i) {
    times.push(s.times[i % s.times.length]);
    late.push(s.late[i % s.late.length]);
  }
  return [times, late];
}, from, frameCount);
const lateSorted = [...late].sort((a, b) => a - b);
const intervals = times.slice(1).map((t, i) => t - times[i]);
const sorted = [...intervals].sort((a, b) => a - b);
const mean = intervals.reduce((a, b) => a + b, 0) / intervals.length;
const p99 = sorted[Math.ceil(0.99 * sorted.length) - 1];
const max = sorted[sorted.length - 1];
const min = sorted[0];

async function busy(page, cdp, label) {
  const task = async () => (await cdp.send('Performance.getMetrics')).metrics
                               .find((m) => m.name === 'TaskDuration').value;
  const counts = () => page.evaluate(() => (window.Module ?
      [Module.fbweb.stats.frames, Module.fbweb.stats.puts ?? -1] : [window.rafCount ?? 0, -1]));
  const t0 = await task(), c0 = chromiumCpuSeconds(), [f0, p0] = await counts();
  const load = os.loadavg()[0];
  const start = Date.now();
  await sleep(seconds * 1000);
  const wall = (Date.now() - start) / 1000;
  const t1 = await task(), c1 = chromiumCpuSeconds(), [f1, p1] = await counts();
  return {label, wall, load, page: (t1 - t0) / wall * 100, chromium: (c1 - c0) / wall * 100,
          frames: f1 - f0, puts: p0 < 0 ? '-' : p1 - p0,
          hidden: await page.evaluate(() => document.hidden)};
}

// Processor use of the page of `folder` standing still, playing (R held, so
// that a bomb pulses, and walking right and left) and hidden, in a page of
// its own.
async function states(folder, build) {
  const server = await serve(folder);
  const page = await browser.newPage();
  await page.setViewport({width: 1000, height: 800});
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
  await page.waitForFunction(() => window.Module && Module.fbweb && Module.fbweb.stats.frames > 0);
  await sleep(2000);
  const out = [await busy(page, cdp, `${build}: standing still`)];
  await page.keyboard.down('KeyR');
  let walking = true;
  const walker = (async () => {
    while (walking)
      for (const key of ['ArrowRight', 'ArrowLeft']) {
        await page.keyboard.down(key);
        await sleep(400);
        await page.keyboard.up(key);
      }
  })();
  out.push(await busy(page, cdp, `${build}: playing (a bomb pulsing, walking)`));
  walking = false;
  await walker;
  await page.keyboard.up('KeyR');
  const other = await browser.newPage();
  await other.bringToFront();
  await sleep(500);
  out.push(await busy(page, cdp, `${build}: hidden behind another tab`));
  await other.close();
  await page.close();
  server.close();
  return out;
}
await page.close();
const measured = [];
// The yardstick: an empty page that asks for every animation frame and
// does nothing else, what the game's pacing alone costs.
{
  const empty = await browser.newPage();
  await empty.setViewport({width: 1000, height: 800});
  const cdp = await empty.createCDPSession();
  await cdp.send('Performance.enable');
  await empty.setContent('<body style="background:#000">');
  await empty.evaluate(() => {
    window.rafCount = 0;
    const next = () => { ++window.rafCount; requestAnimationFrame(next); };
    requestAnimationFrame(next);
  });
  await sleep(1000);
  measured.push(await busy(empty, cdp, 'an empty page asking for every animation frame'));
  await empty.close();
}
if (args.before) measured.push(...await states(path.resolve(args.before), 'before'));
measured.push(...await states(site, args.before ? 'after' : 'this build'));

console.log(`page load: ${bytes} bytes transferred (gzip): ${files.join(', ')}`);
console.log(`first frame: ${firstFrame.toFixed(1)} ms after navigation (page received ` +
            `${phases.response.toFixed(1)}, parsed ${phases.parsed.toFixed(1)}, ` +
            `last file received ${phases.files.toFixed(1)}, game started ` +
            `${phases.opened.toFixed(1)}, focused ${phases.focused.toFixed(1)} ms)`);
console.log(`frame intervals over ${intervals.length} frames: mean ${mean.toFixed(3)} ms ` +
            `(${((mean / (1000 / 60) - 1) * 100).toFixed(3)} % from 16.667), ` +
            `min ${min.toFixed(2)}, 99th percentile ${p99.toFixed(2)}, max ${max.toFixed(2)} ms; ` +
            `${intervals.filter((i) => i > 1.5 * 1000 / 60).length} longer than 1.5 periods`);
console.log(`frame handed over after its animation frame began: median ` +
            `${lateSorted[lateSorted.length >> 1].toFixed(2)} ms, 99th percentile ` +
            `${lateSorted[Math.ceil(0.99 * lateSorted.length) - 1].toFixed(2)} ms`);
for (const b of measured)
  console.log(`${b.label}: page main thread ${b.page.toFixed(2)} % of a core, ` +
              `all of Chromium ${b.chromium.toFixed(1)} % over ${b.wall.toFixed(1)} s, ` +
              `${b.frames} frames, ${b.puts} put on the canvas, document.hidden ${b.hidden}, ` +
              `load average ${b.load.toFixed(2)}`);
await browser.close();
server.close();
fs.rmSync(profile, {recursive: true, force: true});
