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
const url = `${origin}/index.html`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fusebound-chromium-'));
let browser = null;

// Chromium never outlives the suite, however it ends.
function killChromium() {
  try {
    browser?.process()?.kill('SIGKILL');
  } catch {}
  fs.rmSync(profile, {recursive: true, force: true});
}
process.on('exit', killChromium);
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP'])
  process.on(signal, () => process.exit(1));

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
//   path: the address under the site (index.html).
// The page records the addresses it asks for (page.requests) and every
// Content-Security-Policy violation (page.violations).
async function openGame(options = {}) {
  const context = await browser.createBrowserContext();
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
  await page.setViewport({width: options.width || 1000, height: options.height || 800,
                          deviceScaleFactor: options.deviceScaleFactor || 1});
  if (options.before) await page.evaluateOnNewDocument(options.before);
  await page.goto(`${origin}/${options.path || 'index.html'}`);
  return page;
}

// Closes the page's browser context, or gives up on a page that does not
// answer (the browser is closed at the end anyway).
async function closeGame(page) {
  let timer;
  const gaveUp = new Promise((resolve) => (timer = setTimeout(resolve, 10000)));
  await Promise.race([page.browserContext().close().catch(() => {}), gaveUp]);
  clearTimeout(timer);
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
// (one pixel a frame).
async function walkTo(page, column, name) {
  let view = await look(page, name);
  for (let tries = 0; view.player.found && view.player.x !== 24 + 16 * column && tries < 4; ++tries) {
    const distance = 24 + 16 * column - view.player.x;
    await press(page, distance > 0 ? 'ArrowRight' : 'ArrowLeft', Math.abs(distance));
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
  // version and a hash of the files, so a new build has new addresses.
  let hashes = '';
  for (const file of ['fusebound.js', 'fusebound.wasm', 'fusebound.data', 'page.js', 'page.css'])
    hashes += crypto.createHash('sha256').update(fs.readFileSync(path.join(site, file))).digest('hex') + '\n';
  const hash = crypto.createHash('sha256').update(hashes).digest('hex').slice(0, 12);
  // (Chromium asks for /favicon.ico of its own accord.)
  const files = page.requests.filter((u) => !/\/(index\.html|favicon\.ico)$/.test(u));
  const names = files.map((u) => new URL(u).pathname.slice(1)).sort();
  check(names.join() === 'fusebound.data,fusebound.js,fusebound.wasm,page.css,page.js',
        `the page asked for ${files.join(', ')}`);
  for (const address of files)
    check(new URL(address).searchParams.get('v')?.endsWith(`-${hash}`),
          `${address} does not carry the version ...-${hash}`);
  check(new Set(files.map((u) => new URL(u).search)).size === 1, `versions differ: ${files.join(', ')}`);
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

  // Its fuse burns for 104 frames: still a bomb in the 104th, flames in the
  // 105th.
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

scenario('focus loss pauses with the message over the last frame; focus back resumes', async () => {
  const page = await openGame();
  await stepFrames(page, 3);
  await press(page, 'ArrowLeft', 9);
  await stepFrames(page, 1);
  const playing = await look(page, 'playing');
  // The player clicks beside the game: the canvas loses the focus, and the
  // game stops at its next frame.
  await page.mouse.click(8, 400);
  await settle(page);
  const stopped = await frames(page);
  check(await waitingFor(page) === 'message', `paused, the game waits for ${await waitingFor(page)}`);
  const paused = await look(page, 'paused');
  check(paused.paused, `no pause message (${paused.pauseTextPixels} white pixels)`);
  // The message covers rows 4 and 5 of the arena.
  check(changed(playing, paused, [4, 5]).length === 0 && paused.player.x === playing.player.x,
        'the picture under the pause message is not the last frame');
  await page.keyboard.down('ArrowRight');  // the page has the key, not the game
  await page.evaluate(() => window.testClock.realFrames(5));
  await page.keyboard.up('ArrowRight');
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
        `the player moved while paused: ${JSON.stringify(resumed.player)}`);
  check(changed(playing, resumed).length === 0, 'the arena changed while paused');
  return hidden ? '' : ' (headless kept the page visible behind the other tab)';
});

scenario('Enter held stands still; its release makes a new arena', async () => {
  const page = await openGame();
  await stepFrames(page, 3);
  const start = await look(page, 'before-enter');
  await page.keyboard.down('Enter');
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
  await page.keyboard.up('Enter');
  await stepFrames(page, 5);
  const fresh = await look(page, 'after-enter');
  check(fresh.layoutShown && fresh.statusBar, 'no arena after Enter' + mapOf(fresh));
  check(changed(start, fresh).length >= 10, 'no new arena after Enter was released' + mapOf(fresh));
  check(fresh.pieces.every((p, i) => fresh.layout[i] !== 0 || fresh.hidden[i] > 0 || p === 0 || p === 3),
        'the new arena holds more than blocks' + mapOf(fresh));
});

scenario('Escape ends the game; the page offers to start it again', async () => {
  const page = await openGame();
  await stepFrames(page, 3);
  await page.keyboard.down('Escape');
  await settle(page);
  await page.keyboard.up('Escape');
  await page.waitForFunction(() => window.fuseboundEnded, {timeout: 10000});
  const status = await page.evaluate(() => window.fuseboundEnded.status);
  check(status === 0, `ended with status ${status}`);
  const text = await page.$eval('#ended', (e) => (e.hidden ? '' : e.innerText));
  check(/The game has ended\./.test(text), `the page says: ${JSON.stringify(text)}`);
  await Promise.all([page.waitForNavigation(), page.click('#again')]);
  await stepFrames(page, 3);
  const again = await look(page, 'started-again');
  check(again.layoutShown && again.player.found, 'the game did not start again');
  arenas.push(again.map);
  check(new Set(arenas).size === arenas.length, 'two page loads showed the same arena');
});

scenario('a gamepad walks and lays a bomb; when it goes away it reads as at rest', async () => {
  // No gamepad can be plugged in here: the page is handed a made-up one in
  // the second slot of the Gamepad API, as a browser lists a pad it knows.
  const page = await openGame({before: () => {
    const buttons = Array.from({length: 16}, () => ({pressed: false, value: 0}));
    window.pad = {connected: true, axes: [0, 0, 0, 0], buttons};
    window.padPlugged = true;
    navigator.getGamepads = () => [null, window.padPlugged ? window.pad : null, null, null];
  }});
  await stepFrames(page, 3);
  const start = await look(page, 'pad-start');
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
  await page.waitForSelector('#dialog:not([hidden])', {timeout: 30000});
  const caption = await page.$eval('#dialog .caption', (e) => e.textContent);
  const text = await page.$eval('#dialog .text', (e) => e.textContent);
  check(caption === 'Error, Quiting..' && text === 'Couldn\'t Access Soundcard!',
        `dialog "${caption}": "${text}"`);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.fuseboundEnded, {timeout: 10000});
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
  killChromium();
  server.close();
}
// What Chromium left behind when it closed (its helpers end a little
// after it) is ended here, so that none of it outlives the suite.
const left = chromiumLeft();
for (const pid of left) try { process.kill(pid, 'SIGKILL'); } catch {}
if (left.length) console.log(`ended ${left.length} Chromium processes left after it closed`);
fs.rmSync(profile, {recursive: true, force: true});
console.log(`screenshots in ${artifacts}`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
