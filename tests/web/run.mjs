// Fusebound in a real Chromium: the page of build/web served from this
// machine, played through the browser's own keyboard and mouse input (the
// DevTools protocol), and watched through screenshots of the canvas read by
// the end-to-end decoder (web_decode). Ends with "N passed, M failed".
//
//   node run.mjs --site build/web --decoder web_decode --data data
//                [--artifacts DIR] [--only NAME]
//
// Exit status 77 (skipped) when the page was not built or puppeteer-core is
// not installed (npm ci in this folder).
import fs from 'node:fs';
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

export const chromiumArgs = [
  '--no-sandbox', '--disable-gpu', '--no-first-run',
  '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--disable-features=Translate,MediaRouter',
];
const caption = '[Kestrune] Fusebound PC 2k';
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const server = await serve(site);
const url = `http://127.0.0.1:${server.address().port}/index.html`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fusebound-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,  // the new headless mode
  args: chromiumArgs,
  userDataDir: profile,
});

// ------------------------------------------------------------ helpers

// A fresh page (its own browser context) showing the game; `before` runs in
// the page before any of its scripts.
async function openGame(before) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  page.log = [];
  page.on('console', (m) => page.log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => page.log.push(`error: ${e.message}`));
  await page.setViewport({width: 1000, height: 800});
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto(url);
  return page;
}

const frames = (page) =>
  page.evaluate(() => (window.Module && Module.fbweb ? Module.fbweb.stats.frames : 0));

async function waitFrames(page, n, timeout = 10000) {
  await page.waitForFunction(
      (n) => window.Module && Module.fbweb && Module.fbweb.stats.frames >= n,
      {timeout, polling: 5}, n);
}

let shots = 0;
// What the canvas shows now, as the decoder reads it.
async function look(page, name) {
  const canvas = await page.$('#game');
  const file = path.join(artifacts, `${String(++shots).padStart(2, '0')}-${name}.png`);
  await canvas.screenshot({path: file});
  const out = execFileSync(decoder, [data, file], {encoding: 'utf8'});
  const view = JSON.parse(out);
  view.file = file;
  view.cell = (c, r) => view.pieces[c * 13 + r];
  view.hiddenAt = (c, r) => view.hidden[c * 13 + r] > 0;
  view.layoutAt = (c, r) => view.layout[c * 13 + r];
  return view;
}

async function hold(page, key, ms) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

// Walks along row 1 until the player stands in `column`.
async function walkTo(page, column, name) {
  let view = await look(page, name);
  for (let tries = 0; view.player.found && view.player.column !== column && tries < 12; ++tries) {
    await hold(page, view.player.column < column ? 'ArrowRight' : 'ArrowLeft',
               tries === 0 ? 200 : 50);
    await sleep(50);
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

scenario('first frame: arena, empty corners, status bar, player at its start', async () => {
  const page = await openGame();
  await waitFrames(page, 3);
  const first = await look(page, 'first-frame');
  check(first.picture, 'no 320 by 240 picture on the canvas');
  check(first.scale === 3 && first.unevenBlocks === 0,
        `picture at scale ${first.scale} with ${first.unevenBlocks} blurred blocks`);
  check(first.layoutShown, 'the arena layout is not shown' + mapOf(first));
  check(first.cornersEmpty === 12, `${first.cornersEmpty} of 12 corner cells empty` + mapOf(first));
  check(first.blocks > 0, 'no blocks');
  check(first.statusBar, 'no status bar');
  check(first.player.found && first.player.x === 56 && first.player.y === 40,
        `player at ${JSON.stringify(first.player)}`);
  // Scaled by the largest whole number that fits, centred.
  const box = await (await page.$('#game')).boundingBox();
  check(box.x === 20 && box.y === 40 && box.width === 960 && box.height === 720,
        `canvas at ${JSON.stringify(box)} in a 1000 by 800 page`);
  check(await page.title() === caption, `title ${await page.title()}`);
  arenas.push(first.map);
  await page.close();
});

scenario('walk, lay a bomb, flames after 104 frames in the cross, blocks crumble', async () => {
  const page = await openGame();
  await waitFrames(page, 3);
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
  const laidAfter = await frames(page);
  await hold(page, 'KeyR', 80);
  // Back against the wall at (1, 1): no looking needed on the way.
  await hold(page, 'ArrowLeft', 400);
  const laid = await look(page, 'bomb-laid');
  check(laid.player.column === 2, `the player did not walk back: ${JSON.stringify(laid.player)}`);
  check(laid.cell(column, row) === 9, `no bomb at (${column},${row})` + mapOf(laid));
  const notYet = await frames(page);
  check(notYet - laidAfter < 95, `too slow to watch the fuse (${notYet - laidAfter} frames)`);

  await waitFrames(page, laidAfter + 92);
  const before = await look(page, 'fuse-burning');
  check(before.cell(column, row) === 9, 'the bomb went off before 92 frames' + mapOf(before));
  check(!before.pieces.some((p) => p >= 12), 'flames before 92 frames' + mapOf(before));

  await waitFrames(page, laidAfter + 112);
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

  await waitFrames(page, laidAfter + 150);
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
  await page.close();
  return ` (the bomb seen ${notYet - laidAfter} frames after R)`;
});

scenario('focus loss pauses with the message over the last frame; focus back resumes', async () => {
  const page = await openGame();
  await waitFrames(page, 3);
  await hold(page, 'ArrowLeft', 150);
  const playing = await look(page, 'playing');
  // The player clicks beside the game: the canvas loses the focus.
  await page.mouse.click(8, 400);
  await sleep(300);
  const stopped = await frames(page);
  const paused = await look(page, 'paused');
  check(paused.paused, `no pause message (${paused.pauseTextPixels} white pixels)`);
  // The message covers rows 4 and 5 of the arena.
  check(changed(playing, paused, [4, 5]).length === 0 && paused.player.x === playing.player.x,
        'the picture under the pause message is not the last frame');
  await page.keyboard.down('ArrowRight');  // the page has the key, not the game
  await sleep(400);
  await page.keyboard.up('ArrowRight');
  check(await frames(page) === stopped, 'frames went on while paused');

  // A tab in front of it hides the page: still paused.
  const other = await page.browserContext().newPage();
  await other.bringToFront();
  await sleep(300);
  const hidden = await page.evaluate(() => document.hidden);
  await page.bringToFront();
  await other.close();
  check(await frames(page) === stopped, 'frames went on behind another tab');

  await page.mouse.click(500, 400);  // back into the game
  await waitFrames(page, stopped + 10);
  const resumed = await look(page, 'resumed');
  check(!resumed.paused, 'the pause message stayed');
  check(resumed.player.x === playing.player.x && resumed.player.y === playing.player.y,
        `the player moved while paused: ${JSON.stringify(resumed.player)}`);
  check(changed(playing, resumed).length === 0, 'the arena changed while paused');
  await page.close();
  return hidden ? '' : ' (headless kept the page visible behind the other tab)';
});

scenario('a still game leaves the canvas alone; resizes keep it, the next change shows', async () => {
  // Every put on the canvas, with the frames shown so far when it came.
  const page = await openGame(() => {
    const put = CanvasRenderingContext2D.prototype.putImageData;
    window.puts = [];
    CanvasRenderingContext2D.prototype.putImageData = function(...a) {
      window.puts.push(window.Module && Module.fbweb ? Module.fbweb.stats.frames : -1);
      return put.apply(this, a);
    };
  });
  const puts = () => page.evaluate(() => window.puts.length);
  await waitFrames(page, 3);
  const start = await look(page, 'still');
  const stillFrom = await frames(page), putsBefore = await puts();
  await waitFrames(page, stillFrom + 30);
  check(await puts() === putsBefore, `${await puts() - putsBefore} puts in 30 still frames`);

  // A smaller page at twice the pixel ratio: the canvas is scaled by 4 in
  // device pixels, and shows the same picture without a put.
  await page.setViewport({width: 700, height: 560, deviceScaleFactor: 2});
  await waitFrames(page, (await frames(page)) + 3);
  const resized = await look(page, 'still-resized');
  check(resized.picture && resized.scale === 4 && changed(start, resized).length === 0 &&
        resized.player.x === start.player.x, `after the resize: scale ${resized.scale}` + mapOf(resized));
  check(await puts() === putsBefore, 'the resize put the picture again');

  // The first frame composed after the key goes down is put.
  await page.evaluate(() => {
    window.addEventListener('keydown', () => { window.keyAt = Module.fbweb.stats.frames; },
                            {once: true, capture: true});
  });
  await page.keyboard.down('ArrowRight');
  await page.waitForFunction((n) => window.puts.length > n, {polling: 5}, putsBefore);
  await page.keyboard.up('ArrowRight');
  const [keyAt, putAt] = await page.evaluate((n) => [window.keyAt, window.puts[n]], putsBefore);
  check(putAt - keyAt <= 1, `the key came at frame ${keyAt}, the canvas changed at ${putAt}`);
  const moved = await look(page, 'moved');
  check(moved.player.x > start.player.x, `the player did not move: ${JSON.stringify(moved.player)}`);
  await page.close();
});

scenario('Enter held stands still; its release makes a new arena', async () => {
  const page = await openGame();
  await waitFrames(page, 3);
  const start = await look(page, 'before-enter');
  // The browser's own animation frames go on while the game waits for the
  // release: the page never freezes.
  await page.evaluate(() => {
    window.longestGap = 0;
    let last = performance.now();
    const tick = (now) => {
      window.longestGap = Math.max(window.longestGap, now - last);
      last = now;
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  await page.keyboard.down('Enter');
  await sleep(150);
  const held = await frames(page);
  await sleep(500);
  check(await frames(page) === held, 'frames went on while Enter was held');
  const holding = await look(page, 'enter-held');
  check(changed(start, holding).length === 0, 'the arena changed while Enter was held');
  await page.keyboard.up('Enter');
  await waitFrames(page, held + 5);
  const gap = await page.evaluate(() => window.longestGap);
  check(gap < 1000, `the page froze for ${Math.round(gap)} ms while Enter was held`);
  const fresh = await look(page, 'after-enter');
  check(fresh.layoutShown && fresh.statusBar, 'no arena after Enter' + mapOf(fresh));
  check(changed(start, fresh).length >= 10, 'no new arena after Enter was released' + mapOf(fresh));
  check(fresh.pieces.every((p, i) => fresh.layout[i] !== 0 || fresh.hidden[i] > 0 || p === 0 || p === 3),
        'the new arena holds more than blocks' + mapOf(fresh));
  await page.close();
});

scenario('Escape ends the game; the page offers to start it again', async () => {
  const page = await openGame();
  await waitFrames(page, 3);
  await hold(page, 'Escape', 80);
  await page.waitForFunction(() => window.fuseboundEnded, {timeout: 5000});
  const status = await page.evaluate(() => window.fuseboundEnded.status);
  check(status === 0, `ended with status ${status}`);
  const text = await page.$eval('#ended', (e) => (e.hidden ? '' : e.innerText));
  check(/The game has ended\./.test(text), `the page says: ${JSON.stringify(text)}`);
  await Promise.all([page.waitForNavigation(), page.click('#again')]);
  await waitFrames(page, 3);
  const again = await look(page, 'started-again');
  check(again.layoutShown && again.player.found, 'the game did not start again');
  arenas.push(again.map);
  check(new Set(arenas).size === arenas.length, 'two page loads showed the same arena');
  await page.close();
});

scenario('a gamepad walks and lays a bomb; when it goes away it reads as at rest', async () => {
  // No gamepad can be plugged in here: the page is handed a made-up one in
  // the second slot of the Gamepad API, as a browser lists a pad it knows.
  const page = await openGame(() => {
    const buttons = Array.from({length: 16}, () => ({pressed: false, value: 0}));
    window.pad = {connected: true, axes: [0, 0, 0, 0], buttons};
    window.padPlugged = true;
    navigator.getGamepads = () => [null, window.padPlugged ? window.pad : null, null, null];
  });
  await waitFrames(page, 3);
  const start = await look(page, 'pad-start');
  const stick = (x) => page.evaluate((x) => { window.pad.axes[0] = x; }, x);
  await stick(1);
  await sleep(250);
  await stick(0);
  await sleep(100);
  const walked = await look(page, 'pad-walked');
  check(walked.player.found && walked.player.x > start.player.x,
        `the stick did not walk the player right: ${JSON.stringify(walked.player)}`);
  // Half way is inside the dead zone (12 of 24, the zone ends at 20).
  await stick(0.5);
  await sleep(250);
  const half = await look(page, 'pad-half');
  check(half.player.x === walked.player.x, 'half a push walked the player');
  await stick(0);
  // Button 2 lays a bomb; then walk off it to see it.
  const column = walked.player.column, row = walked.player.row;
  await page.evaluate(() => { window.pad.buttons[1].pressed = true; });
  await sleep(100);
  await page.evaluate(() => { window.pad.buttons[1].pressed = false; });
  await walkTo(page, column === 2 ? 3 : 2, 'pad-off-the-bomb');
  const laid = await look(page, 'pad-bomb');
  check(laid.cell(column, row) === 9, `no bomb at (${column},${row})` + mapOf(laid));
  // Unplugged while pushed left: the player stands still.
  await stick(-1);
  await page.evaluate(() => { window.padPlugged = false; });
  const before = await look(page, 'pad-gone');
  await sleep(300);
  const after = await look(page, 'pad-gone-later');
  check(after.player.x === before.player.x, 'a gamepad that went away still walks the player');
  await page.close();
});

scenario('no Web Audio: "Couldn\'t Access Soundcard!", then the game ends', async () => {
  const page = await openGame(() => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  });
  await page.waitForSelector('#dialog:not([hidden])', {timeout: 10000});
  const caption = await page.$eval('#dialog .caption', (e) => e.textContent);
  const text = await page.$eval('#dialog .text', (e) => e.textContent);
  check(caption === 'Error, Quiting..' && text === 'Couldn\'t Access Soundcard!',
        `dialog "${caption}": "${text}"`);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.fuseboundEnded, {timeout: 5000});
  // A failed start ends with status 1.
  check(await page.evaluate(() => window.fuseboundEnded.status) === 1, 'status not 1');
  check(await frames(page) === 0, 'frames were shown');
  await page.close();
});

// ------------------------------------------------------------ run

let passed = 0, failed = 0;
for (const {name, run} of scenarios) {
  if (args.only && !name.includes(args.only)) continue;
  const started = Date.now();
  let timer;
  const limit = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error('no answer within 60 s (a frozen page?)')), 60000);
  });
  try {
    const note = (await Promise.race([run(), limit])) || '';
    ++passed;
    console.log(`ok    ${name}${note} (${Date.now() - started} ms)`);
  } catch (error) {
    ++failed;
    console.log(`FAIL  ${name}: ${error.message}`);
  } finally {
    clearTimeout(timer);
  }
}
await browser.close();
server.close();
fs.rmSync(profile, {recursive: true, force: true});
console.log(`screenshots in ${artifacts}`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
