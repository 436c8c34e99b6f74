// Fusebound in a real Chromium: the page of build/web served from this
// machine, played through the browser's own keyboard and mouse input (the
// DevTools protocol), and watched through screenshots of the canvas read by
// the end-to-end decoder (web_decode). Ends with "N passed, M failed".
//
//   node run.mjs --site build/web --decoder web_decode --data data
//                [--artifacts DIR] [--only NAME] [--budget SECONDS]
//
// Exit status 77 (skipped) when the page was not built or puppeteer-core is
// not installed (npm ci in this folder).
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {execFileSync} from 'node:child_process';
import {fileURLToPath} from 'node:url';
import {serve} from './serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const repository = path.resolve(here, '../..');
const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2)
  args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const site = path.resolve(args.site || path.join(here, '../../build/web'));
const data = path.resolve(args.data || path.join(here, '../../data'));
const decoder = args.decoder;
const artifacts = path.resolve(args.artifacts || path.join(os.tmpdir(), 'fusebound-web'));

function skip(why) {
  console.log(`skipped: ${why}`);
  process.exit(77);
}
if (!fs.existsSync(path.join(site, 'index.html'))) skip(`no page in ${site} (make web)`);
if (!decoder || !fs.existsSync(decoder)) skip('no web_decode program');
let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch {
  skip('puppeteer-core is not installed (npm ci in tests/web)');
}
fs.mkdirSync(artifacts, {recursive: true});
for (const old of fs.readdirSync(artifacts).filter((f) => f.endsWith('.png')))
  fs.rmSync(path.join(artifacts, old));

const chromiumArgs = [
  '--no-sandbox', '--disable-gpu', '--no-first-run',
  '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--disable-features=Translate,MediaRouter',
];
const caption = '[Kestrune] Fusebound PC 2k';
// The suite ends itself well before CTest would stop it (--budget seconds).
const budgetMs = Number(args.budget || 400) * 1000;
const suiteStarted = Date.now();

const server = await serve(site);
const origin = `http://127.0.0.1:${server.address().port}`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fusebound-chromium-'));
let browser = null;

// Processes still running with this suite's profile.
function chromiumLeft() {
  const left = [];
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      if (fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes(profile)) left.push(Number(pid));
    } catch {}
  }
  return left;
}

// Chromium never outlives the suite, however it ends.
function killChromium() {
  try {
    browser?.process()?.kill('SIGKILL');  // not once it has ended
  } catch {}
  const left = chromiumLeft();
  for (const pid of left) try { process.kill(pid, 'SIGKILL'); } catch {}
  fs.rmSync(profile, {recursive: true, force: true});
  return left.length;
}
process.on('exit', killChromium);
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP'])
  process.on(signal, () => process.exit(1));

// ------------------------------------------------------------ the page's clock

// Runs in every page before its scripts. requestAnimationFrame keeps the
// page's callbacks until the test runs them, with timestamps exactly one
// period apart: the game shows the frames the test asks for and no others,
// so a slow machine makes the suite slower, never different.
function installTestClock() {
  const realFrame = window.requestAnimationFrame.bind(window);
  const clock = {callbacks: new Map(), next: 1, time: 0, asked: null};
  window.requestAnimationFrame = (callback) => {
    clock.callbacks.set(clock.next, callback);
    if (clock.asked) clock.asked();
    return clock.next++;
  };
  window.cancelAnimationFrame = (id) => clock.callbacks.delete(id);
  const shown = () => (window.Module && Module.fbweb ? Module.fbweb.stats.frames : 0);
  // Resolves true once the page asks for an animation frame, false when it
  // has asked for none within `patienceMs`.
  const askedFor = (patienceMs) => new Promise((resolve) => {
    if (clock.callbacks.size) return resolve(true);
    const timer = setTimeout(() => resolve(false), patienceMs);
    clock.asked = () => {
      clock.asked = null;
      clearTimeout(timer);
      resolve(true);
    };
  });
  // One animation frame, `interval` ms after the last.
  const tick = (interval) => {
    clock.time = clock.time ? clock.time + interval : performance.now();
    const due = [...clock.callbacks.values()];
    clock.callbacks.clear();
    for (const callback of due) {
      try {
        callback(clock.time);
      } catch (error) {
        // As from a real animation frame: the page's error handlers see it.
        setTimeout(() => { throw error; });
      }
    }
  };
  // Runs animation frames until the game has shown `count` more frames.
  clock.step = async (count, interval, patienceMs) => {
    const target = shown() + count;
    while (shown() < target) {
      if (!(await askedFor(patienceMs)))
        throw new Error(`the game asked for no animation frame with ${target - shown()} ` +
                        `of ${count} frames to go (it waits for ${Module.fbweb?.waitingFor || 'nothing'})`);
      tick(interval);
    }
  };
  // Runs animation frames while the game asks for them, at most `limit`.
  clock.settle = (limit, interval) => {
    let ticks = 0;
    for (; ticks < limit && clock.callbacks.size; ++ticks) tick(interval);
    return ticks;
  };
  // Resolves after `count` of the browser's own animation frames.
  clock.realFrames = (count) => new Promise((resolve) => {
    const next = () => (--count <= 0 ? resolve() : realFrame(next));
    realFrame(next);
  });
  window.testClock = clock;
}

// ------------------------------------------------------------ helpers

const periodMs = 1000 / 60;
let openPages = [];  // the pages of the scenario running, closed after it

// A fresh page (its own browser context) showing the game. Options:
//   before: runs in the page before any of its scripts;
//   width, height, deviceScaleFactor: the page's size (1000 by 800, 1);
//   touch: a phone's screen (touch, mobile), with or without the above;
//   path: the address under the site (index.html), or address: another;
//   context: a browser context to open it in instead;
//   intercept(request): answers the page's requests it wants to (true when
//     it did), the others go to the server.
// The page records the addresses it asks for (page.requests) and every
// Content-Security-Policy violation (page.violations).
async function openGame(options = {}) {
  const context = options.context || await browser.createBrowserContext();
  const page = await context.newPage();
  openPages.push(page);
  page.log = [];
  page.requests = [];
  page.violations = [];
  page.on('console', (m) => page.log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => page.log.push(`error: ${e.message}`));
  page.on('request', (r) => page.requests.push(r.url()));
  await page.exposeFunction('reportViolation', (what) => page.violations.push(what));
  await page.evaluateOnNewDocument(() => {
    document.addEventListener('securitypolicyviolation', (e) =>
        window.reportViolation(`${e.effectiveDirective} refused ${e.blockedURI || 'inline code'}`));
  });
  await page.evaluateOnNewDocument(installTestClock);
  await page.setViewport(options.touch ? {...phone, ...options} : {
    width: options.width || 1000, height: options.height || 800,
    deviceScaleFactor: options.deviceScaleFactor || 1});
  if (options.before) await page.evaluateOnNewDocument(options.before);
  if (options.intercept) {
    await page.setRequestInterception(true);
    page.on('request', async (request) => {
      if (!(await options.intercept(request))) await request.continue().catch(() => {});
    });
  }
  await page.goto(options.address || `${origin}/${options.path || 'index.html'}`);
  return page;
}

// A phone held upright: its screen in CSS pixels, touch, 3 device pixels
// to the CSS pixel.
const phone = {width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3};

// Closes the page's browser context, or gives up on a page that does not
// answer (the browser is closed at the end anyway).
async function closeGame(page) {
  let timer;
  const gaveUp = new Promise((resolve) => (timer = setTimeout(resolve, 10000)));
  await Promise.race([page.browserContext().close().catch(() => {}), gaveUp]);
  clearTimeout(timer);
}

// Waits until `test` holds in the page, or fails saying `what` did not
// happen. (Polled on a timer: the page's animation frames belong to the test
// clock, and Puppeteer's default polling would wait for them.)
async function until(page, test, what, timeout = 30000) {
  await page.waitForFunction(test, {polling: 20, timeout}).catch(() => {
    throw new Error(`${what} did not happen: ${page.log.slice(-5).join(' | ') || 'nothing logged'}`);
  });
}

const frames = (page) =>
  page.evaluate(() => (window.Module && Module.fbweb ? Module.fbweb.stats.frames : 0));

// What the game waits for: 'frame', 'message', 'input', 'dialog' or ''.
const waitingFor = (page) =>
  page.evaluate(() => (window.Module && Module.fbweb ? Module.fbweb.waitingFor : ''));

// Lets the game show exactly `count` more frames, animation frames
// `interval` ms apart; fails when it stops asking for them for `patienceMs`
// (the first frames wait for the module to load).
async function stepFrames(page, count, {interval = periodMs, patienceMs = 30000} = {}) {
  await page.evaluate((c, i, p) => window.testClock.step(c, i, p), count, interval, patienceMs);
}

// Runs animation frames while the game asks for them (at most `limit`): the
// game then waits for something else (a message, a key, the dialog) or has
// ended. Answers how many ran.
const settle = (page, limit = 10, interval = periodMs) =>
  page.evaluate((l, i) => window.testClock.settle(l, i), limit, interval);

let shots = 0;
// What the canvas shows now, as the decoder reads it. At a device pixel
// ratio other than 1 the whole page is taken, and the canvas found on it in
// device pixels (a screenshot of an element is cut at whole CSS pixels).
async function look(page, name) {
  const canvas = await page.$('#game');
  const file = path.join(artifacts, `${String(++shots).padStart(2, '0')}-${name}.png`);
  const ratio = page.viewport().deviceScaleFactor;
  const placement = [];
  if (ratio === 1) {
    await canvas.screenshot({path: file});
  } else {
    const box = await canvas.boundingBox();
    await page.screenshot({path: file});
    placement.push(box.x * ratio, box.y * ratio, box.width * ratio);
    check(placement.every((v) => Math.abs(v - Math.round(v)) < 0.01),
          `the canvas does not lie on whole device pixels: ${placement}`);
  }
  const out = execFileSync(decoder, [data, file, ...placement.map(Math.round).map(String)],
                           {encoding: 'utf8'});
  const view = JSON.parse(out);
  view.file = file;
  view.cell = (c, r) => view.pieces[c * 13 + r];
  view.hiddenAt = (c, r) => view.hidden[c * 13 + r] > 0;
  view.layoutAt = (c, r) => view.layout[c * 13 + r];
  return view;
}

// Holds `key` for `count` game frames.
async function press(page, key, count) {
  await page.keyboard.down(key);
  await stepFrames(page, count);
  await page.keyboard.up(key);
}

// Walks along row 1 until the player stands in the middle of `column`
// (one pixel a frame), with the keys or another way to hold an arrow.
async function walkTo(page, column, name, pressArrow = press) {
  let view = await look(page, name);
  for (let tries = 0; view.player.found && view.player.x !== 24 + 16 * column && tries < 4; ++tries) {
    const distance = 24 + 16 * column - view.player.x;
    await pressArrow(page, distance > 0 ? 'ArrowRight' : 'ArrowLeft', Math.abs(distance));
    await stepFrames(page, 1);
    view = await look(page, name);
  }
  return view;
}

function check(condition, message) {
  if (!condition) throw new Error(message);
}

function mapOf(view) {
  return '\n' + view.map.split('/').join('\n');
}

// Cells whose pieces differ between two views, leaving out those the
// player covers in either.
function changed(a, b, skipRows = []) {
  const out = [];
  for (let c = 0; c < 17; ++c)
    for (let r = 0; r < 13; ++r)
      if (!skipRows.includes(r) && !a.hiddenAt(c, r) && !b.hiddenAt(c, r) && a.cell(c, r) !== b.cell(c, r))
        out.push(`(${c},${r})`);
  return out;
}

// Pieces: 0 nothing, 3 block, 4 crumbling, 9 bomb, flames 12 left end,
// 16 horizontal, 20 right end, 24 centre, 28 top end, 32 vertical,
// 36 bottom end.
function expectedCross(before, column, row) {
  const cross = new Map([[`${column},${row}`, 24]]);
  const arms = [[-1, 0, 16, 12], [1, 0, 16, 20], [0, -1, 32, 28], [0, 1, 32, 36]];
  for (const [dc, dr, middle, end] of arms)
    for (let d = 1; d <= 2; ++d) {
      const c = column + dc * d, r = row + dr * d;
      if (before.layoutAt(c, r) !== 0) break;
      if (before.cell(c, r) === 3) {
        cross.set(`${c},${r}`, 4);
        break;
      }
      cross.set(`${c},${r}`, d === 2 ? end : middle);
    }
  return cross;
}

// The bomb laid at (column, row) in the frame after frame `laid`, in the
// arena `walked`. Its fuse burns for 104 frames: still a bomb in the 104th,
// flames in the 105th in the predicted cross, with the blocks in reach
// crumbling and nothing else changed; all gone by the 150th.
async function watchBomb(page, walked, column, row, laid) {
  await stepFrames(page, laid + 104 - (await frames(page)));
  const before = await look(page, 'fuse-burning');
  check(before.cell(column, row) === 9, 'the bomb went off before its 104th frame' + mapOf(before));
  check(!before.pieces.some((p) => p >= 12), 'flames before the 105th frame' + mapOf(before));

  await stepFrames(page, 1);
  const burst = await look(page, 'flames');
  const cross = expectedCross(walked, column, row);
  for (const [at, piece] of cross) {
    const [c, r] = at.split(',').map(Number);
    if (burst.hiddenAt(c, r)) continue;
    check(burst.cell(c, r) === piece,
          `(${c},${r}) shows ${burst.cell(c, r)}, not ${piece}` + mapOf(burst));
  }
  const crumbling = [...cross].filter(([, p]) => p === 4).map(([at]) => at);
  const elsewhere = changed(walked, burst).filter((at) => !cross.has(at.slice(1, -1)));
  check(elsewhere.length === 0, `cells outside the cross changed: ${elsewhere}` + mapOf(burst));

  await stepFrames(page, laid + 150 - (await frames(page)));
  const after = await look(page, 'burnt-out');
  for (const at of cross.keys()) {
    const [c, r] = at.split(',').map(Number);
    if (after.hiddenAt(c, r)) continue;
    check(after.cell(c, r) === 0, `(${c},${r}) not empty after the flames` + mapOf(after));
  }
  check(after.blocks === walked.blocks - crumbling.length,
        `${walked.blocks} blocks before, ${after.blocks} after, ${crumbling.length} crumbled`);
}

// ------------------------------------------------------------ scenarios

const scenarios = [];
const scenario = (name, run) => scenarios.push({name, run});
const arenas = [];  // block maps of first frames, one a page load

// The page at device pixel ratios 1, 1.5 and 3: the largest whole scale
// of device pixels that fits, without blur, centred.
scenario('first frame: arena, empty corners, status bar, player at its start', async () => {
  for (const ratio of [1, 1.5, 3]) {
    const page = await openGame({deviceScaleFactor: ratio});
    await stepFrames(page, 3);
    const first = await look(page, `first-frame-dpr-${ratio}`);
    const scale = Math.floor(Math.min(1000 * ratio / 320, 800 * ratio / 240));
    const at = `at device pixel ratio ${ratio}`;
    check(first.picture, `no 320 by 240 picture on the canvas ${at}`);
    check(first.scale === scale && first.unevenBlocks === 0,
          `picture at scale ${first.scale} with ${first.unevenBlocks} blurred blocks ${at}`);
    check(first.layoutShown, 'the arena layout is not shown' + mapOf(first));
    check(first.cornersEmpty === 12, `${first.cornersEmpty} of 12 corner cells empty` + mapOf(first));
    check(first.blocks > 0, 'no blocks');
    check(first.statusBar, 'no status bar');
    check(first.player.found && first.player.x === 56 && first.player.y === 40,
          `player at ${JSON.stringify(first.player)}`);
    const box = await (await page.$('#game')).boundingBox();
    const width = 320 * scale / ratio, height = 240 * scale / ratio;
    const near = (a, b) => Math.abs(a - b) < 0.01;
    check(near(box.width, width) && near(box.height, height) &&
          near(box.x, (1000 - width) / 2) && near(box.y, (800 - height) / 2),
          `canvas at ${JSON.stringify(box)} in a 1000 by 800 page ${at}`);
    check(await page.title() === caption, `title ${await page.title()}`);
    // A desktop with a mouse gets no on-screen controls.
    check(await page.evaluate(() => !document.getElementById('touch')), 'touch controls on a desktop');
    arenas.push(first.map);
    await closeGame(page);
  }
});

scenario('a strict page: only its own files run, all at the build\'s version', async () => {
  const page = await openGame();
  await stepFrames(page, 3);
  // An inline script and an inline handler are refused, and reported.
  const ran = await page.evaluate(async () => {
    window.inlineRan = false;
    const script = document.createElement('script');
    script.textContent = 'window.inlineRan = true;';
    document.body.appendChild(script);
    document.body.setAttribute('onclick', 'window.inlineRan = true;');
    document.body.click();
    await window.testClock.realFrames(2);
    return window.inlineRan;
  });
  check(!ran, 'an inline script ran in the page');
  // Both are reported, a little later.
  for (let i = 0; i < 100 && page.violations.length < 2; ++i)
    await page.evaluate(() => window.testClock.realFrames(1));
  check(page.violations.length === 2, `reported: ${page.violations.join('; ') || 'nothing'}`);
  page.violations.length = 0;
  // The page's files, each asked for once, at one version: the game's
  // version and a hash of the files (and of the page and its service
  // worker as written), so a new build has new addresses.
  const digest = (file) => crypto.createHash('sha256').update(fs.readFileSync(file)).digest('hex') + '\n';
  const loaded = ['fusebound.js', 'fusebound.wasm', 'fusebound.data', 'page.js', 'page.css',
                  'touch.js', 'touch.css', 'offline.js', 'fusebound.webmanifest'];
  let hashes = '';
  for (const file of [...loaded, 'icon-192.png', 'icon-512.png'])
    hashes += digest(path.join(site, file));
  for (const file of ['index.html', 'sw.js.in'])
    hashes += digest(path.join(repository, 'platform/web', file));
  const hash = crypto.createHash('sha256').update(hashes).digest('hex').slice(0, 12);
  // (Chromium asks for /favicon.ico of its own accord; the manifest, when
  // it looks at it, and the service worker, at the address it keeps.)
  const files = page.requests.filter((u) => !/\/(index\.html|favicon\.ico|sw\.js|fusebound\.webmanifest.*)$/.test(u));
  const names = files.map((u) => new URL(u).pathname.slice(1)).sort();
  check(names.join() === loaded.filter((f) => !f.endsWith('manifest')).sort().join(),
        `the page asked for ${files.join(', ')}`);
  for (const address of files)
    check(new URL(address).searchParams.get('v')?.endsWith(`-${hash}`),
          `${address} does not carry the version ...-${hash}`);
  check(new Set(files.map((u) => new URL(u).search)).size === 1, `versions differ: ${files.join(', ')}`);
});

// Each way a file can fail is named on a panel, after "Loading the game…",
// with "Try again", which starts the game once the file is back. An error
// while playing shows the same panel, not "The game has ended.".
scenario('a failed load names the file; an error while playing is no end', async () => {
  const page404 = {status: 404, body: ''};
  const webPage = {status: 200, contentType: 'text/html', body: '<!doctype html><p>Not found</p>'};
  const wasm = fs.readFileSync(path.join(site, 'fusebound.wasm')).subarray(0, 4096);
  const cases = [
    ['fusebound.data', page404, /data could not be loaded: the server answered 404/],
    ['fusebound.data', webPage, /data could not be loaded: the server sent a web page/],
    ['fusebound.data', {status: 200, body: Buffer.alloc(1000)}, /data could .*damaged \(1000 bytes/],
    ['fusebound.wasm', 'internetdisconnected', /wasm could not be loaded: the network failed/],
    ['fusebound.wasm', {status: 200, body: wasm}, /wasm could not be loaded: it is damaged/],
    ['fusebound.js', page404, /js could not be loaded/],
    ['fusebound.js', webPage, /js could not be loaded: it did not run/],
  ];
  const panel = (page) => page.$eval('#failed', (e) => (e.hidden ? '' : e.innerText));
  const loading = (page) => page.$eval('#loading', (e) => getComputedStyle(e).display !== 'none');
  let page = null;
  for (const [file, answer, says] of cases) {
    if (page) await closeGame(page);
    let held = null;  // the failing answer, given once the page was seen loading
    page = await openGame({intercept: (request) => {
      if (held || !request.url().includes(`/${file}?`)) return false;
      held = () => (typeof answer === 'string' ? request.abort(answer) : request.respond(answer));
      return true;
    }});
    for (let i = 0; i < 600 && !held; ++i) await page.evaluate(() => window.testClock.realFrames(1));
    check(held && await loading(page), `the page does not say it is loading ${file}`);
    await held();
    await until(page, () => window.fuseboundFailed, `a panel for ${file} ${JSON.stringify(answer).slice(0, 40)}`);
    const text = await panel(page);
    check(says.test(text) && await page.evaluate(() => document.activeElement.id === 'retry'),
          `with ${file} ${JSON.stringify(answer).slice(0, 40)} the page says ${JSON.stringify(text)}`);
  }
  await Promise.all([page.waitForNavigation(), page.click('#retry')]);
  await stepFrames(page, 3);
  const again = await look(page, 'loaded-again');
  check(again.layoutShown && again.player.found && !(await loading(page)), 'trying again did not start the game');
  // Broken under the running game; the canvas marked stale, so that even a
  // still picture goes through the broken conversion.
  await page.evaluate(() => { Module.fbweb.lut = null; Module.fbweb.stale = true; });
  await settle(page, 1);
  await until(page, () => window.fuseboundFailed, 'a panel for an error while playing');
  check(/The game stopped because of an error/.test(await panel(page)) &&
        await page.$eval('#ended', (e) => e.hidden), `after an error the page says ${await panel(page)}`);
});

scenario('walk, lay a bomb, flames on its 104th frame in the cross, blocks crumble', async () => {
  const page = await openGame();
  await stepFrames(page, 3);
  await page.evaluate(() => {
    window.keysLeftToPage = [];
    window.addEventListener('keydown', (e) => {
      if (!e.defaultPrevented) window.keysLeftToPage.push(e.code);
    });
  });
  // Walk right into the corner cell (3, 1), lay the bomb there, and walk
  // back: the bomb does not block the one who laid it.
  const walked = await walkTo(page, 3, 'walked');
  check(walked.player.found && walked.player.column === 3 && walked.player.row === 1,
        `the player did not walk to (3,1): ${JSON.stringify(walked.player)}` + mapOf(walked));
  const column = 3, row = 1;
  // The bomb is laid in the frame after `laid` and first shown in the next.
  await press(page, 'KeyR', 1);
  const laid = await frames(page);
  await press(page, 'ArrowLeft', 24);
  const back = await look(page, 'bomb-laid');
  check(back.player.column === 2, `the player did not walk back: ${JSON.stringify(back.player)}`);
  check(back.cell(column, row) === 9, `no bomb at (${column},${row})` + mapOf(back));

  await watchBomb(page, walked, column, row, laid);
  const leaked = await page.evaluate(() => window.keysLeftToPage);
  check(leaked.length === 0, `keys acted on the page: ${leaked}`);
});

// Game frames played: those shown and those a later one was shown over.
const played = (page) =>
  page.evaluate(() => (window.Module && Module.fbweb ? Module.fbweb.stats.frames + Module.fbweb.stats.unshown : 0));

// A 30 Hz screen: the test's animation frames come 33.3 ms apart.
scenario('at 30 animation frames a second the fuse still burns 104 game frames, 1.73 s', async () => {
  const page = await openGame();
  const interval = 2 * periodMs;
  const clockTime = () => page.evaluate(() => window.testClock.time);
  await stepFrames(page, 3, {interval});
  await page.keyboard.down('KeyR');
  await stepFrames(page, 1, {interval});
  await page.keyboard.up('KeyR');
  const [laid, laidShown, laidTime] = [await played(page), await frames(page), await clockTime()];
  // Well before the fuse's end at 60 game frames a second, it still burns.
  await stepFrames(page, 48, {interval});
  const burning = await look(page, 'fuse-at-30-hz');
  check(burning.pieces.includes(9) && !burning.pieces.some((p) => p >= 12),
        'no bomb burning 96 game frames after R' + mapOf(burning));
  let burst = burning;
  for (let i = 0; i < 8 && !burst.pieces.some((p) => p >= 12); ++i) {
    await stepFrames(page, 1, {interval});
    burst = await look(page, 'flames-at-30-hz');
  }
  check(burst.pieces.some((p) => p >= 12), 'no flames 112 game frames after R' + mapOf(burst));
  const playedFrames = (await played(page)) - laid, shown = (await frames(page)) - laidShown;
  const seconds = ((await clockTime()) - laidTime) / 1000;
  // Half speed (one game frame an animation frame) would take 3.5 s.
  check(playedFrames >= 103 && playedFrames <= 107 && Math.abs(seconds - 1.73) < 0.07,
        `flames after ${playedFrames} game frames, ${seconds.toFixed(2)} s`);
  check(shown * 2 <= playedFrames + 2, `${shown} of ${playedFrames} game frames shown`);
  return ` (flames after ${playedFrames} game frames, ${shown} shown, ${seconds.toFixed(2)} s)`;
});

// Focus lost with a key down, the key let go elsewhere, focus back: paused
// with the message over the last frame meanwhile, and the player stands
// when the game goes on. Meta held swallows key-ups as macOS does (the
// listener added here makes Chromium behave so); a quick run of focus
// changes within one frame still ends paused with the message.
scenario('focus loss pauses with the message over the last frame; no key stays down', async () => {
  const page = await openGame({before: () => {
    window.addEventListener('keyup', (e) => {
      if (e.metaKey && e.key !== 'Meta') e.stopImmediatePropagation();
    }, true);
  }});
  await stepFrames(page, 3);
  await press(page, 'ArrowLeft', 9);
  await stepFrames(page, 1);
  const playing = await look(page, 'playing');
  // The player clicks beside the game, still holding a key: the canvas
  // loses the focus, and the game stops at its next frame.
  await page.keyboard.down('ArrowRight');
  await page.mouse.click(8, 400);
  await settle(page);
  const stopped = await frames(page);
  check(await waitingFor(page) === 'message', `paused, the game waits for ${await waitingFor(page)}`);
  const paused = await look(page, 'paused');
  check(paused.paused, `no pause message (${paused.pauseTextPixels} white pixels)`);
  // The message covers rows 4 and 5 of the arena.
  check(changed(playing, paused, [4, 5]).length === 0 && paused.player.x === playing.player.x,
        'the picture under the pause message is not the last frame');
  await page.keyboard.up('ArrowRight');  // let go where the game does not see it
  check(await settle(page) === 0 && await frames(page) === stopped, 'frames went on while paused');

  // A tab in front of it hides the page: still paused.
  const other = await page.browserContext().newPage();
  await other.bringToFront();
  const hidden = await page.evaluate(() => document.hidden);
  await page.bringToFront();
  await other.close();
  check(await settle(page) === 0 && await frames(page) === stopped, 'frames went on behind another tab');

  await page.mouse.click(500, 400);  // back into the game
  await stepFrames(page, 10);
  const resumed = await look(page, 'resumed');
  check(!resumed.paused, 'the pause message stayed');
  check(resumed.player.x === playing.player.x && resumed.player.y === playing.player.y,
        `the player moved while paused, or walks on: ${JSON.stringify(resumed.player)}`);
  check(changed(playing, resumed).length === 0, 'the arena changed while paused');

  await page.keyboard.down('ArrowRight');
  await page.keyboard.down('Meta');
  await stepFrames(page, 4);
  await page.keyboard.up('ArrowRight');
  await page.keyboard.up('Meta');
  await stepFrames(page, 1);
  const metaUp = await look(page, 'meta-up');
  await stepFrames(page, 10);
  const later = (await look(page, 'meta-up-later')).player.x;
  check(metaUp.player.x > resumed.player.x && later === metaUp.player.x,
        `walking with Meta held: from ${resumed.player.x} to ${metaUp.player.x}, then ${later}`);

  for (const x of [8, 500, 8]) await page.mouse.click(x, 400);
  await settle(page);
  check(await waitingFor(page) === 'message' && (await look(page, 'quick-focus-changes')).paused,
        'a quick run of focus changes did not end paused with the message');
  return hidden ? '' : ' (headless kept the page visible behind the other tab)';
});

scenario('a still game leaves the canvas alone; resizes keep it, the next change shows', async () => {
  // Every put on the canvas, with the frames shown so far when it came.
  const page = await openGame({before: () => {
    const put = CanvasRenderingContext2D.prototype.putImageData;
    window.puts = [];
    CanvasRenderingContext2D.prototype.putImageData = function(...a) {
      window.puts.push(window.Module && Module.fbweb ? Module.fbweb.stats.frames : -1);
      return put.apply(this, a);
    };
  }});
  const puts = () => page.evaluate(() => window.puts.length);
  await stepFrames(page, 3);
  const start = await look(page, 'still');
  const putsBefore = await puts();
  await stepFrames(page, 30);
  check(await puts() === putsBefore, `${await puts() - putsBefore} puts in 30 still frames`);

  // A smaller page at twice the pixel ratio: the canvas is scaled by 4 in
  // device pixels, and shows the same picture without a put.
  await page.setViewport({width: 700, height: 560, deviceScaleFactor: 2});
  // (The page lays the canvas out again on its own time: wait for it.)
  await until(page, () => Math.abs(document.getElementById('game').getBoundingClientRect().width - 640) < 0.01,
              'the canvas scaled by 4 in device pixels');
  await stepFrames(page, 3);
  const resized = await look(page, 'still-resized');
  check(resized.picture && resized.scale === 4 && changed(start, resized).length === 0 &&
        resized.player.x === start.player.x, `after the resize: scale ${resized.scale}` + mapOf(resized));
  check(await puts() === putsBefore, 'the resize put the picture again');

  // The game waits to show a frame it composed before the key went down;
  // the next one, the first to read the key, is put.
  await page.keyboard.down('ArrowRight');
  const keyAt = await frames(page);
  await stepFrames(page, 2);
  await page.keyboard.up('ArrowRight');
  const putAt = await page.evaluate((n) => window.puts[n], putsBefore);
  check(putAt === keyAt + 1, `the key went down after frame ${keyAt}, the canvas changed at ${putAt}`);
  const moved = await look(page, 'moved');
  check(moved.player.x > start.player.x, `the player did not move: ${JSON.stringify(moved.player)}`);
});

// Enter held (`down`) stands the game still while the page goes on; its
// release (`up`) makes a new arena.
async function regenerateScenario(page, down, up) {
  await stepFrames(page, 3);
  const start = await look(page, 'before-enter');
  await down();
  await stepFrames(page, 1);
  const held = await frames(page);
  // The game waits for the release and asks for no frame, while the
  // browser's own animation frames go on: the page never freezes.
  await page.evaluate(() => window.testClock.realFrames(10));
  check(await waitingFor(page) === 'input' && await settle(page) === 0,
        `with Enter held the game waits for ${await waitingFor(page)}`);
  check(await frames(page) === held, 'frames went on while Enter was held');
  const holding = await look(page, 'enter-held');
  check(changed(start, holding).length === 0, 'the arena changed while Enter was held');
  await up();
  await stepFrames(page, 5);
  const fresh = await look(page, 'after-enter');
  check(fresh.layoutShown && fresh.statusBar, 'no arena after Enter' + mapOf(fresh));
  check(changed(start, fresh).length >= 10, 'no new arena after Enter was released' + mapOf(fresh));
  check(fresh.pieces.every((p, i) => fresh.layout[i] !== 0 || fresh.hidden[i] > 0 || p === 0 || p === 3),
        'the new arena holds more than blocks' + mapOf(fresh));
}

scenario('Enter held stands still; its release makes a new arena', async () => {
  const page = await openGame();
  await regenerateScenario(page, () => page.keyboard.down('Enter'), () => page.keyboard.up('Enter'));
});

// Tab leaves the game (paused, as by a click beside it); Escape ends it.
// A screen reader finds the game named, with its controls, and the end
// announced as a labelled dialog with the focus on its button.
scenario('Tab leaves the game, Escape ends it, both told to screen readers; play again', async () => {
  const page = await openGame();
  await stepFrames(page, 3);
  const find = (node, test) => (test(node) ? node : (node.children || []).map((c) => find(c, test)).find(Boolean));
  const game = find(await page.accessibility.snapshot(), (n) => n.role === 'application');
  check(game?.name === 'Fusebound' && /Arrow keys walk/.test(game.description || ''),
        `the game is ${JSON.stringify(game && {name: game.name, description: game.description})}`);
  await page.keyboard.press('Tab');
  await settle(page);
  check(await page.evaluate(() => document.activeElement.id) === 'fullscreen' &&
        await waitingFor(page) === 'message' && (await look(page, 'tab-left')).paused,
        'Tab did not leave the game for the "Full screen" button, pausing it');
  await page.mouse.click(500, 400);
  await stepFrames(page, 2);
  await page.keyboard.down('Escape');
  await settle(page);
  await page.keyboard.up('Escape');
  await until(page, () => window.fuseboundEnded, 'the end');
  const status = await page.evaluate(() => window.fuseboundEnded.status);
  check(status === 0, `ended with status ${status}`);
  const ended = find(await page.accessibility.snapshot(), (n) => n.role === 'alertdialog');
  check(ended?.name === 'Fusebound' && ended.description === 'The game has ended.' &&
        find(ended, (n) => n.focused)?.name === 'Play again',
        `the end is announced as ${JSON.stringify(ended)}`);
  await Promise.all([page.waitForNavigation(), page.click('#again')]);
  await stepFrames(page, 3);
  const again = await look(page, 'started-again');
  check(again.layoutShown && again.player.found, 'the game did not start again');
  arenas.push(again.map);
  check(new Set(arenas).size === arenas.length, 'two page loads showed the same arena');
});

scenario('a gamepad walks (stick and direction pad) and lays a bomb; broken or gone it reads as at rest', async () => {
  // No gamepad can be plugged in here: the page is handed a made-up one in
  // the second slot of the Gamepad API, as a browser lists a pad it knows.
  const page = await openGame({before: () => {
    const buttons = Array.from({length: 16}, () => ({pressed: false, value: 0}));
    window.pad = {connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons};
    window.padPlugged = true;
    navigator.getGamepads = () => [null, window.padPlugged ? window.pad : null, null, null];
  }});
  await stepFrames(page, 3);
  // The standard mapping's direction pad: button 15 right, 14 left.
  const padButton = (b, down) => page.evaluate((b, down) => { window.pad.buttons[b].pressed = down; }, b, down);
  const home = await look(page, 'pad-home');
  await padButton(15, true);
  await stepFrames(page, 15);
  await padButton(15, false);
  await stepFrames(page, 2);
  const padRight = await look(page, 'pad-dpad-right');
  check(padRight.player.found && padRight.player.x === home.player.x + 15,
        `the direction pad did not walk the player 15 pixels right: ${JSON.stringify(padRight.player)}`);
  await padButton(14, true);
  await stepFrames(page, 15);
  await padButton(14, false);
  await stepFrames(page, 2);
  const start = await look(page, 'pad-start');
  check(start.player.x === home.player.x, 'the direction pad did not walk the player back left');
  const stick = (x) => page.evaluate((x) => { window.pad.axes[0] = x; }, x);
  await stick(1);
  await stepFrames(page, 15);
  await stick(0);
  await stepFrames(page, 2);
  const walked = await look(page, 'pad-walked');
  check(walked.player.found && walked.player.x === start.player.x + 15,
        `the stick did not walk the player 15 pixels right: ${JSON.stringify(walked.player)}`);
  // Half way is inside the dead zone (12 of 24, the zone ends at 20).
  await stick(0.5);
  await stepFrames(page, 15);
  const half = await look(page, 'pad-half');
  check(half.player.x === walked.player.x, 'half a push walked the player');
  // An axis that reads NaN (a broken driver) is at rest.
  await stick(NaN);
  await stepFrames(page, 15);
  const broken = await look(page, 'pad-nan');
  check(broken.player.x === walked.player.x, `an axis reading NaN walked the player to ${broken.player.x}`);
  await stick(0);
  // Button 2 lays a bomb; then walk off it to see it.
  const column = walked.player.column, row = walked.player.row;
  await page.evaluate(() => { window.pad.buttons[1].pressed = true; });
  await stepFrames(page, 1);
  await page.evaluate(() => { window.pad.buttons[1].pressed = false; });
  await walkTo(page, column === 2 ? 3 : 2, 'pad-off-the-bomb');
  const laid = await look(page, 'pad-bomb');
  check(laid.cell(column, row) === 9, `no bomb at (${column},${row})` + mapOf(laid));
  // Unplugged while pushed left: the player stands still.
  await stick(-1);
  await page.evaluate(() => { window.padPlugged = false; });
  await stepFrames(page, 1);
  const before = await look(page, 'pad-gone');
  await stepFrames(page, 18);
  const after = await look(page, 'pad-gone-later');
  check(after.player.x === before.player.x, 'a gamepad that went away still walks the player');
});

scenario('no Web Audio: "Couldn\'t Access Soundcard!", then the game ends', async () => {
  const page = await openGame({before: () => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  }});
  await until(page, () => !document.getElementById('dialog').hidden, 'the dialog');
  const caption = await page.$eval('#dialog .caption', (e) => e.textContent);
  const text = await page.$eval('#dialog .text', (e) => e.textContent);
  check(caption === 'Error, Quiting..' && text === 'Couldn\'t Access Soundcard!',
        `dialog "${caption}": "${text}"`);
  await page.keyboard.press('Enter');
  await until(page, () => window.fuseboundEnded, 'the end');
  // A failed start ends with status 1.
  check(await page.evaluate(() => window.fuseboundEnded.status) === 1, 'status not 1');
  check(await frames(page) === 0, 'frames were shown');
});

// The test server, as a static host should: nothing outside its folder (the
// build folder next to it shares the start of its name), and a bad request
// for an address that cannot be decoded.
scenario('the test server keeps to its folder', async () => {
  const status = (address) => new Promise((resolve, reject) => {
    http.get({host: '127.0.0.1', port: server.address().port, path: address}, (response) => {
      response.resume();
      resolve(response.statusCode);
    }).on('error', reject);
  });
  const sibling = `/..%2F${path.basename(site)}-cmake%2FCMakeCache.txt`;
  const answers = {
    '/index.html': 200,
    '/../../CMakeLists.txt': 404,  // resolved inside the folder: no such file
    [sibling]: 403,
    '/..%2F..%2FCMakeLists.txt': 403,
    '/%E0%A4%A': 400,
    '/index.html%00.js': 400,
  };
  for (const [address, expected] of Object.entries(answers)) {
    const got = await status(address);
    check(got === expected, `${address} answered ${got}, not ${expected}`);
  }
});

// ------------------------------------------------------------ touch

// Fingers on the screen, through the DevTools protocol, each {id, x, y}
// in CSS pixels: touchStart and touchMove list every finger down, touchEnd
// those lifted (all when none). Returns once the page has had a frame of
// its own to take them in.
async function touch(page, type, points) {
  page.cdp = page.cdp || await page.createCDPSession();
  await page.cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map((p) => ({...p, radiusX: 5, radiusY: 5, force: 1})),
  });
  await page.evaluate(() => window.testClock.realFrames(1));
}

// Where a thumb goes: the middle of a control, or on the pad the point two
// thirds out towards an arrow's direction (between two for a diagonal).
async function spot(page, id, ...arrows) {
  const box = await page.$eval(`#${id}`, (e) => e.getBoundingClientRect().toJSON());
  const way = {ArrowRight: [1, 0], ArrowLeft: [-1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]};
  let dx = 0, dy = 0;
  for (const arrow of arrows) [dx, dy] = [dx + way[arrow][0], dy + way[arrow][1]];
  const length = Math.hypot(dx, dy) || 1;
  return {x: box.x + box.width / 2 * (1 + 0.66 * dx / length),
          y: box.y + box.height / 2 * (1 + 0.66 * dy / length)};
}

// Holds an arrow on the pad for `count` game frames, as `press` does a key.
async function padPress(page, arrow, count) {
  await touch(page, 'touchStart', [{id: 1, ...await spot(page, 'pad', arrow)}]);
  await stepFrames(page, count);
  await touch(page, 'touchEnd', []);
}

scenario('touch: walk with the pad, a bomb with the other thumb, slide to turn, cancel stops', async () => {
  const page = await openGame({touch: true});
  await stepFrames(page, 3);
  check(await page.evaluate(() => document.body.classList.contains('fb-touch')), 'no on-screen controls');
  const walked = await walkTo(page, 3, 'touch-walked', padPress);
  check(walked.player.x === 72 && walked.player.row === 1,
        `the pad did not walk the player to (3,1): ${JSON.stringify(walked.player)}` + mapOf(walked));
  // One thumb walks back left while the other lays the bomb.
  const left = {id: 1, ...await spot(page, 'pad', 'ArrowLeft')};
  const bomb = {id: 2, ...await spot(page, 'bomb')};
  await touch(page, 'touchStart', [left]);
  await touch(page, 'touchStart', [left, bomb]);
  await stepFrames(page, 1);
  await touch(page, 'touchEnd', [bomb]);
  const laid = await frames(page);
  await stepFrames(page, 23);
  await touch(page, 'touchEnd', []);
  const back = await look(page, 'touch-two-thumbs');
  check(back.player.column === 2 && back.cell(3, 1) === 9,
        `no bomb at (3,1) with the player walked on to (2,1): ${JSON.stringify(back.player)}` + mapOf(back));
  await watchBomb(page, walked, 3, 1, laid);

  // Right, then the thumb slides round to down without lifting: the player
  // turns down into (2,2), a start corner kept free.
  const start = await look(page, 'touch-before-slide');
  await touch(page, 'touchStart', [{id: 3, ...await spot(page, 'pad', 'ArrowRight')}]);
  await stepFrames(page, 5);
  await touch(page, 'touchMove', [{id: 3, ...await spot(page, 'pad', 'ArrowRight', 'ArrowDown')}]);
  await touch(page, 'touchMove', [{id: 3, ...await spot(page, 'pad', 'ArrowDown')}]);
  await stepFrames(page, 20);
  const turned = await look(page, 'touch-slid-down');
  check(turned.player.y > start.player.y,
        `the slide to down did not turn the player: ${JSON.stringify(start.player)}, then ${JSON.stringify(turned.player)}`);
  // A cancelled touch (the browser took it over) lets go of the arrow.
  await touch(page, 'touchCancel', []);
  await stepFrames(page, 1);
  const stopped = await look(page, 'touch-cancelled');
  await stepFrames(page, 20);
  const still = await look(page, 'touch-still');
  check(still.player.x === stopped.player.x && still.player.y === stopped.player.y,
        `the player walked on after the touch was cancelled: ${JSON.stringify(stopped.player)}, then ${JSON.stringify(still.player)}`);
  // None of it took the keyboard from the game or scrolled the page.
  check(await page.evaluate(() => document.activeElement.id === 'game' && scrollY === 0),
        'the controls took the focus or scrolled');
});

scenario('touch: the new-arena button regenerates on release; the end button asks first', async () => {
  const page = await openGame({touch: true});
  const button = {id: 1, ...await spot(page, 'regenerate')};
  await regenerateScenario(page, () => touch(page, 'touchStart', [button]),
                           () => touch(page, 'touchEnd', []));
  // One tap on the end button only asks; a second ends the game.
  const end = {id: 2, ...await spot(page, 'end')};
  const tap = async () => {
    await touch(page, 'touchStart', [end]);
    await touch(page, 'touchEnd', []);
  };
  await tap();
  await stepFrames(page, 5);
  check(await page.evaluate(() => !window.fuseboundEnded), 'one tap on the end button ended the game');
  check(/\?/.test(await page.$eval('#end', (e) => e.textContent)), 'the end button does not ask');
  await tap();
  await settle(page);
  await page.waitForFunction(() => window.fuseboundEnded, {timeout: 10000});
  check(await page.evaluate(() => window.fuseboundEnded.status) === 0, 'the game did not end well');
});

scenario('phone screens: a crisp picture, the controls below or beside it, at ratios 3 and 2.625', async () => {
  const page = await openGame({touch: true});
  await stepFrames(page, 3);
  const notes = [];
  // The largest whole scale in the space the controls leave.
  const screens = [[390, 844, 3, 3], [844, 390, 3, 4], [412, 915, 2.625, 3], [915, 412, 2.625, 4]];
  for (const [width, height, ratio, scale] of screens) {
    const screen = `${width} x ${height} at ${ratio}`;
    await page.setViewport({...phone, width, height, deviceScaleFactor: ratio});
    // (The page lays itself out again on its own time: wait for it.)
    await until(page, `innerWidth === ${width} && Math.abs(document.getElementById('game')` +
                `.getBoundingClientRect().width * ${ratio} - ${320 * scale}) < 0.01`,
                `${screen}: the canvas laid out at ${scale}`);
    await stepFrames(page, 2);
    // On whole device pixels, every picture pixel one even block.
    const view = await look(page, `phone-${width}x${height}`);
    check(view.picture && view.scale === scale && view.unevenBlocks === 0 && view.player.found,
          `${screen}: the picture at ${view.scale} is not crisp (${view.unevenBlocks} uneven blocks)`);
    // Thumb-sized controls on the screen, clear of the picture: below it
    // upright, either side of it sideways.
    const boxes = await page.evaluate(() => Object.fromEntries(
        ['game', 'pad', 'bomb', 'regenerate', 'end', 'fullscreen'].map(
            (id) => [id, document.getElementById(id).getBoundingClientRect().toJSON()])));
    const game = boxes.game;
    for (const id of ['pad', 'bomb', 'regenerate', 'end', 'fullscreen']) {
      const b = boxes[id];
      check(b.width >= 48 && b.height >= 48 && b.x >= 0 && b.y >= 0 &&
            b.right <= width && b.bottom <= height,
            `${screen}: #${id} is small or off the screen: ${JSON.stringify(b)}`);
      check(b.x >= game.right || b.right <= game.x || b.y >= game.bottom || b.bottom <= game.y,
            `${screen}: #${id} covers the picture`);
    }
    const {pad, bomb} = boxes;
    check(height > width ? pad.y >= game.bottom && bomb.y >= game.bottom
                         : pad.right <= game.x && bomb.x >= game.right,
          `${screen}: the controls are not ${height > width ? 'below' : 'either side of'} the picture`);
    notes.push(`${screen}: x${view.scale}`);
  }
  return ` (${notes.join(', ')})`;
});

scenario('offline: installable; once opened it starts with no network; a new build replaces it whole', async () => {
  // A site of its own, where a second build can be put.
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'fusebound-site-'));
  fs.cpSync(site, root, {recursive: true});
  const own = await serve(root);
  const address = `http://127.0.0.1:${own.address().port}/`;
  // Not in a browser context of its own: those are private windows, where
  // nothing can be installed.
  const page = await openGame({touch: true, address, context: browser.defaultBrowserContext()});
  try {
    const cdp = page.cdp = await page.createCDPSession();
    await stepFrames(page, 3);
    const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, `not installable: ${JSON.stringify(installabilityErrors)}`);
    const build = () => page.evaluate(
        () => new URL(document.querySelector('script[src^="page.js"]').src).searchParams.get('v'));
    const first = await build();
    const kept = await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      return caches.keys();
    });
    check(kept.join() === `fusebound-${first}`, `caches ${kept} for ${first}`);

    await cdp.send('Network.enable');
    const offline = (yes) => cdp.send('Network.emulateNetworkConditions',
        {offline: yes, latency: 0, downloadThroughput: -1, uploadThroughput: -1});
    await offline(true);
    const asked = own.requests;
    await page.reload();
    await stepFrames(page, 3);
    const start = await look(page, 'offline-first-frame');
    check(start.layoutShown && start.statusBar && start.player.x === 56 && start.player.y === 40,
          'the game did not start offline' + mapOf(start));
    check(own.requests === asked, `${own.requests - asked} requests reached the server offline`);
    await offline(false);

    // A second build is put on the site. The open page goes on with the
    // first, whole, while the new one is fetched; the new one takes over
    // once no page of the old is open.
    execFileSync('cmake', [`-DSOURCE=${repository}/platform/web`, `-DOUTPUT=${root}`,
                           `-DICONS=${repository}/dist/icons`, '-DVERSION=2.0.0',
                           '-P', `${repository}/platform/web/StampPage.cmake`]);
    await page.reload();
    await stepFrames(page, 3);
    check(await build() === first, 'the new build was shown while a page of the old one was open');
    await page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      await registration.update();
      while (!registration.waiting) await new Promise((r) => setTimeout(r, 20));
    });
    // The waiting worker takes over a moment after the last page of the old
    // build is gone; a page opened before that is still the old build's, so
    // leave again, a little longer each time, until the new one is served.
    let second = first;
    for (let tries = 1; tries <= 20 && second === first; ++tries) {
      await page.goto('about:blank');
      await new Promise((resolve) => setTimeout(resolve, 50 * tries));
      page.requests.length = 0;
      await page.goto(address);
      await stepFrames(page, 3);
      second = await build();
    }
    check(second.startsWith('2.0.0-'), `the new build did not replace the old one: ${second}`);
    const versions = new Set(page.requests.filter((u) => u.includes('?v=')).map((u) => new URL(u).search));
    check(versions.size === 1, `a page of two builds: ${[...versions]}`);
    const caches = await page.evaluate(() => caches.keys());
    check(caches.join() === `fusebound-${second}`, `caches ${caches} after ${kept}`);
    return ` (${first}, then ${second})`;
  } finally {
    await page.close();
    own.close();
    fs.rmSync(root, {recursive: true, force: true});
  }
});

// ------------------------------------------------------------ run

let passed = 0, failed = 0;
try {
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,  // the new headless mode
    args: chromiumArgs,
    userDataDir: profile,
  });
  for (const {name, run} of scenarios) {
    if (args.only && !name.includes(args.only)) continue;
    const started = Date.now();
    let timer;
    const limit = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error('no answer within 90 s (a frozen page?)')), 90000);
    });
    let note = '', error = null;
    try {
      if (started - suiteStarted > budgetMs) throw new Error('not run: the suite is out of time');
      note = (await Promise.race([run(), limit])) || '';
      for (const page of openPages)
        if (page.violations.length) throw new Error(`policy violations: ${page.violations.join('; ')}`);
    } catch (e) {
      error = e;
    } finally {
      clearTimeout(timer);
      await Promise.all(openPages.map(closeGame));
      openPages = [];
    }
    if (error) {
      ++failed;
      console.log(`FAIL  ${name}: ${error.message}`);
    } else {
      ++passed;
      console.log(`ok    ${name}${note} (${Date.now() - started} ms)`);
    }
  }
} finally {
  let timer;
  await Promise.race([browser?.close().catch(() => {}),
                      new Promise((resolve) => (timer = setTimeout(resolve, 10000)))]);
  clearTimeout(timer);
  // Its helpers may end a little after it: what is left is ended here.
  const left = killChromium();
  if (left) console.log(`ended ${left} Chromium processes left after it closed`);
  server.close();
}
console.log(`screenshots in ${artifacts}`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
