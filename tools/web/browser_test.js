// Drives the browser build in headless Chromium (SwiftShader's WebGL 2) through puppeteer-core.
//
//   node tools/web/browser_test.js replay BUILD_DIR LEVEL RECORDING EXPECTED_TICK SHOT.png
//     plays RECORDING on LEVEL in the page (both carried in the address) and passes only when
//     the page's console says "finish tick EXPECTED_TICK"; saves a screenshot either way.
//   node tools/web/browser_test.js record BUILD_DIR LEVEL RECORDING SHOT.png
//     plays LEVEL in the page with W held (--record), prints the page's "finish tick N", ends
//     the game with Escape and writes the recording the page saved to RECORDING; fails when the
//     run does not finish or no recording comes out.
//   node tools/web/browser_test.js resize BUILD_DIR
//     passes only when the canvas fills the page's window below its strip of file buttons, before
//     and after the window is resized.
//   node tools/web/browser_test.js start BUILD_DIR SHOT.png
//     opens the title menu, prints the time from navigation to the first frame, saves a picture.
//   node tools/web/browser_test.js shots BUILD_DIR LEVEL OUT_DIR [WIDTHxHEIGHT]
//     title, play and editor pictures, driven by keys, in a window of that size (1024x768).
//   node tools/web/browser_test.js rounds BUILD_DIR REPLAY_FINISH OUT_DIR
//     from the title menu, five times: the first level won with W held, the pause menu, the
//     title menu again. Then "Turning" from the list, where "Link to this level" and "Download
//     the level" must give that level and Enter must not reopen the link; "Download the
//     recordings" must save the best run, which the desktop (REPLAY_FINISH) finishes on the
//     page's best tick; the link opens "Turning"; a level opened from the disk is titled by its
//     file's name; a reload after either shows the title menu. Fails on any page error, GL
//     error, failed request, or sound refused after the first key.
//   node tools/web/browser_test.js phone BUILD_DIR OUT_DIR
//     a touch screen of 844x390, then 390x844: the whole title menu shows, centred, in the
//     canvas, which fits the screen; a swipe and a pinch neither scroll nor zoom the page; the
//     "turn your phone" note shows upright only. Saves phone-844x390.png and phone-390x844.png.
//   node tools/web/browser_test.js touch BUILD_DIR OUT_DIR
//     a touch screen of 844x390 and nothing else: taps Play in the title menu and the preview,
//     waits out Go!, drags a finger across the left half (the heading must turn right, then back
//     as far), taps the Pause button and the pause menu's Resume, then holds the right half down
//     until the page's console says "finish tick N"; on the win panel only the Menu button shows
//     and a tap goes on to "Turning". Fails on any page error. Saves touch-play.png (the buttons
//     over the picture), touch-pause.png and touch-win.png.
//   node tools/web/browser_test.js mouse BUILD_DIR
//     from the title menu by keys into play: the game holds the pointer lock (after a click on
//     the picture, if the browser refused it before), moving the mouse 100 pixels right turns
//     the heading 18 degrees right, and Escape frees the pointer and pauses the game.
//   node tools/web/browser_test.js server BUILD_DIR SERVER OUT_DIR
//     starts SERVER (quillomar-server) on 127.0.0.1 with SQLite in a scratch folder, serving
//     BUILD_DIR. In the page it serves, the game's own fetch transport asks it (an empty base is
//     the page's server; a dead address answers status 0 with a line; answers past the bound,
//     declared or not, are refused). With "send-runs on" in the settings, the first level is won
//     from the title menu with W held: the game sends the run itself, the win panel must say the
//     server ranked it first, and the server's leaderboard must hold it with the page's finish
//     tick. Then a file queued in <records>/outbox/ and the best run outlive a reload, and the
//     queued file, once removed, stays removed after another.
//   node tools/web/browser_test.js code BUILD_DIR REPLAY_FINISH OUT_DIR
//     a link #level=<level code> carrying "Turning" and the desktop checking player's run of it
//     opens the level from the title menu, keeps it and the run to beat among the shared levels
//     and leaves the address; a link carrying the level file itself still opens it by its name.
// Prints one line per check and exits 0 only when every check passed and no page's console showed
// a GL error, a WebGL warning, a shader the driver refused, a page error or a failed request.
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { serve } = require('./serve.js');
const os = require('os');
const http = require('http');
const { spawn } = require('child_process');

const chromium = process.env.QUILLOMAR_CHROMIUM || '/usr/bin/chromium';
// --no-sandbox: Chromium's sandbox refuses to run as root (CI does); a container's small
// /dev/shm would otherwise crash a page that draws for minutes.
const flags = ['--headless=new', '--no-sandbox', '--disable-dev-shm-usage', '--use-angle=swiftshader',
               '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist', '--autoplay-policy=no-user-gesture-required'];

function base64url(bytes) {
  return Buffer.from(bytes).toString('base64').replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// Resolves with the first console line from `from` on that `pattern` matches, or rejects after
// `seconds`.
function waitForLine(lines, pattern, seconds, from = 0) {
  return new Promise((resolve, reject) => {
    const started = Date.now();
    const look = () => {
      const found = lines.slice(from).find((line) => pattern.test(line));
      if (found) return resolve(found);
      if (Date.now() - started > seconds * 1000) {
        return reject(new Error(`no console line like ${pattern} within ${seconds} s`));
      }
      setTimeout(look, 100);
    };
    look();
  });
}

// Lines that no run of the page may print: page errors, failed requests, and GL's complaints:
// the game's own check ("GL_INVALID_OPERATION - file:line"), a shader or program the driver
// refused, and what the browser says of its WebGL context ("WebGL: INVALID_OPERATION: ...",
// "[.WebGL-0x...]GL_INVALID_...", "RENDER WARNING", a lost context).
const faults = (lines) => lines.filter((l) =>
  /^page error|^http [45]\d\d|GL_INVALID|GL_OUT_OF|GL ERROR|ERROR::SHADER|WebGL|RENDER WARNING|CONTEXT_LOST/.test(l));
// Every page's faults, whatever its checks looked at: any one fails the run.
const pageFaults = [];

// `options.autoplay` false: sound waits for the player's first key, as in a browser as shipped.
async function withPage(buildDir, width, height, body, options = {}) {
  const server = await serve(buildDir, 0);
  const base = `http://127.0.0.1:${server.address().port}/quillomar.html`;
  const args = options.autoplay === false ? flags.filter((f) => !/autoplay/.test(f)) : flags;
  const browser = await puppeteer.launch({ executablePath: chromium, args,
                                           defaultViewport: { width, height, ...options.viewport } });
  try {
    const page = await browser.newPage();
    const lines = [];
    page.on('console', (message) => lines.push(message.text()));
    page.on('pageerror', (error) => lines.push('page error: ' + error.message));
    page.on('response', (response) => {
      if (response.status() >= 400) lines.push(`http ${response.status()} ${response.url()}`);
    });
    try {
      return await body(page, base, lines);
    } finally {
      pageFaults.push(...faults(lines));
    }
  } finally {
    await browser.close();
    server.close();
  }
}

async function replay([buildDir, level, recording, expected, shot]) {
  const address = `#level=${base64url(fs.readFileSync(level))}` +
                  `&replay=${base64url(fs.readFileSync(recording))}`;
  return withPage(buildDir, 800, 600, async (page, base, lines) => {
    await page.goto(base + address);
    let line = '';
    try {
      line = await waitForLine(lines, /^finish tick \d+$/, Number(process.env.QUILLOMAR_BROWSER_TIMEOUT || 600));
    } catch (error) {
      console.log(lines.slice(-20).join('\n'));
      console.log('FAIL: ' + error.message);
    }
    await page.screenshot({ path: shot });
    const tick = line ? Number(line.split(' ')[2]) : NaN;
    const passed = tick === Number(expected);
    console.log(`${passed ? 'PASS' : 'FAIL'}: the page finished on tick ${tick}, the desktop on tick ${expected}`);
    return passed;
  });
}

async function record([buildDir, level, recording, shot]) {
  const saved = '/tmp/page.replay';
  const address = `?args=${encodeURIComponent('/home/web_user/shared/level.txt --record ' + saved)}` +
                  `#level=${base64url(fs.readFileSync(level))}`;
  const seconds = Number(process.env.QUILLOMAR_BROWSER_TIMEOUT || 600);
  return withPage(buildDir, 800, 600, async (page, base, lines) => {
    await page.goto(base + address);
    let line = '';
    try {
      await waitForLine(lines, /^first frame at/, 120);
      await page.focus('#canvas');
      await page.keyboard.down('w');
      line = await waitForLine(lines, /^finish tick \d+$/, seconds);
      await page.keyboard.up('w');
      // Escape leaves the won game; the game saves its recording as it shuts down.
      const started = Date.now();
      while (!(await page.evaluate((file) => FS.analyzePath(file).exists, saved))) {
        if (Date.now() - started > 60 * 1000) throw new Error('the page saved no recording within 60 s');
        await page.keyboard.press('Escape');
        await new Promise((r) => setTimeout(r, 500));
      }
      const bytes = await page.evaluate((file) => Array.from(FS.readFile(file)), saved);
      fs.writeFileSync(recording, Buffer.from(bytes));
    } catch (error) {
      console.log(lines.slice(-20).join('\n'));
      console.log('FAIL: ' + error.message);
      line = '';
    }
    await page.screenshot({ path: shot });
    if (line) console.log('page: ' + line);
    return line !== '';
  });
}

async function resize([buildDir]) {
  return withPage(buildDir, 800, 600, async (page, base, lines) => {
    await page.goto(base);
    await waitForLine(lines, /^first frame at/, 120);
    const canvas = () => page.evaluate(() => {
      const c = document.getElementById('canvas');
      return `${c.width}x${c.height}`;
    });
    // The canvas takes the window below the strip of file buttons.
    const strip = await page.evaluate(() => document.getElementById('files').offsetHeight);
    const seen = [await canvas()];
    await page.setViewport({ width: 1000, height: 500 });
    const wanted = [`800x${600 - strip}`, `1000x${500 - strip}`];
    for (let waited = 0; waited < 10000 && seen[1] !== wanted[1]; waited += 200) {
      await new Promise((r) => setTimeout(r, 200));
      seen[1] = await canvas();
    }
    const passed = strip > 0 && seen[0] === wanted[0] && seen[1] === wanted[1];
    console.log(`${passed ? 'PASS' : 'FAIL'}: under a ${strip}-pixel strip the canvas was ` +
                `${seen[0]} in an 800x600 window, ${seen[1]} once it was 1000x500`);
    return passed;
  });
}

async function start([buildDir, shot]) {
  return withPage(buildDir, 1024, 768, async (page, base, lines) => {
    await page.goto(base);
    await waitForLine(lines, /^first frame at/, 120);
    const firstFrame = await page.evaluate(() => window.quillomarFirstFrame);
    await new Promise((r) => setTimeout(r, 1500));
    await page.screenshot({ path: shot });
    console.log(`first frame ${Math.round(firstFrame)} ms after navigation`);
    return true;
  });
}

async function shots([buildDir, level, outDir, size = '1024x768']) {
  fs.mkdirSync(outDir, { recursive: true });
  const [width, height] = size.split('x').map(Number);
  const pause = (ms) => new Promise((r) => setTimeout(r, ms));
  const tap = async (page, key, ms = 300) => { await page.keyboard.press(key); await pause(ms); };
  let ok = true;
  await withPage(buildDir, width, height, async (page, base, lines) => {
    await page.goto(base);
    await waitForLine(lines, /^first frame at/, 120);
    await pause(4000);
    await page.screenshot({ path: path.join(outDir, 'title.png') });
  });
  await withPage(buildDir, width, height, async (page, base, lines) => {
    await page.goto(base + `#level=${base64url(fs.readFileSync(level))}`);
    await waitForLine(lines, /^first frame at/, 120);
    await pause(2000);
    await page.focus('#canvas');
    await page.keyboard.down('w');
    await pause(1500);  // short of the finish: F6 edits from play, not from the win panel
    await page.keyboard.up('w');
    await page.screenshot({ path: path.join(outDir, 'play.png') });
    await tap(page, 'F6', 6000);  // the check runs on a worker meanwhile
    await page.screenshot({ path: path.join(outDir, 'editor.png') });
    const errors = lines.filter((l) => /ERROR|error/.test(l));
    if (errors.length) { console.log(errors.slice(0, 10).join('\n')); }
  });
  console.log('pictures in ' + outDir);
  return ok;
}

const pause = (ms) => new Promise((r) => setTimeout(r, ms));

// The game's HUD lines over the picture, one a line.
const hudText = (page) => page.evaluate(() => Module.ccall('quillomar_hud_text', 'string', [], []));

async function waitForHud(page, pattern, seconds = 60) {
  for (const started = Date.now(); Date.now() - started < seconds * 1000; await pause(100)) {
    if (pattern.test(await hudText(page))) return;
  }
  throw new Error(`the HUD never showed ${pattern}; it shows: ${(await hudText(page)).replace(/\n/g, ' | ')}`);
}

async function keys(page, names, ms = 200) {
  for (const name of names) {
    await page.keyboard.press(name);
    await pause(ms);
  }
}

async function waitForFile(file, seconds = 20) {
  for (const started = Date.now(); Date.now() - started < seconds * 1000; await pause(200)) {
    if (fs.existsSync(file)) return fs.readFileSync(file);
  }
  throw new Error(`no ${path.basename(file)} was downloaded`);
}

async function rounds([buildDir, replayFinish, outDir]) {
  const downloads = path.resolve(outDir, 'downloads');
  fs.rmSync(downloads, { recursive: true, force: true });
  fs.mkdirSync(downloads, { recursive: true });
  const checks = [];
  const check = (passed, text) => { checks.push(passed); console.log(`${passed ? 'PASS' : 'FAIL'}: ${text}`); };
  await withPage(buildDir, 1024, 700, async (page, base, lines) => {
    const cdp = await page.target().createCDPSession();
    await cdp.send('Page.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    const links = [];
    page.on('dialog', (dialog) => { links.push(dialog.defaultValue()); dialog.accept(); });
    try {
      await page.goto(base);
      await waitForLine(lines, /^first frame at/, 120);
      await page.focus('#canvas');
      const firstInput = lines.length;
      // Five times: the first level from the list, won, then the title menu from the menu over the
      // win panel.
      for (let round = 1; round <= 5; ++round) {
        await waitForHud(page, /^Play$/m);
        await keys(page, ['ArrowDown', 'Enter']);
        await waitForHud(page, /Enter plays/);
        await keys(page, ['ArrowUp', 'ArrowUp', 'Enter']);
        await waitForHud(page, /Any key: play/);
        await keys(page, ['Space']);
        await page.keyboard.down('w');
        await waitForHud(page, /^Finished!$/m, 300);
        await page.keyboard.up('w');
        await keys(page, ['Escape']);
        await waitForHud(page, /^Level finished$/m);
        await keys(page, ['ArrowUp', 'ArrowUp', 'Enter']);
        console.log(`round ${round}: won, back at the title menu`);
      }
      const ticks = lines.filter((l) => /^finish tick \d+$/.test(l)).map((l) => Number(l.split(' ')[2]));
      check(ticks.length === 5 && faults(lines).length === 0,
            `five wins (finish ticks ${ticks.join(' ')}), each followed by the title menu and play again, no page error`);

      // Turning, the second of the list: its link and its file.
      await waitForHud(page, /^Play$/m);
      await keys(page, ['ArrowDown', 'Enter']);
      await waitForHud(page, /Enter plays/);
      await keys(page, ['ArrowUp', 'ArrowUp', 'ArrowDown', 'Enter']);
      await waitForHud(page, /^Turning$/m);
      // Play holds the pointer lock, which takes every click: Escape pauses and frees it.
      await keys(page, ['Space'], 1000);
      await keys(page, ['Escape']);
      await waitForHud(page, /^Paused$/m);
      await page.click('#share-level');
      await pause(500);
      await keys(page, ['Enter', 'Space'], 500);
      const focused = await page.evaluate(() => document.activeElement.id);
      check(links.length === 1 && focused === 'canvas',
            `one link prompt after a click and Enter (${links.length}), the focus back on the ${focused}`);
      await keys(page, ['Escape']);
      await waitForHud(page, /^Paused$/m);
      await page.click('#save-level');
      const level = await waitForFile(path.join(downloads, '02_turning.txt'));
      check(level.equals(fs.readFileSync('levels/02_turning.txt')), 'the level downloaded is levels/02_turning.txt');
      await page.click('#save-recordings');
      const best = path.join(downloads, '01_rolling-best.replay');
      await waitForFile(best);
      const desktop = require('child_process').execFileSync(replayFinish, ['--replay', 'levels/01_rolling.txt', best]).toString();
      const tick = (desktop.match(/^finish tick (\d+)$/m) || [])[1];
      check(Number(tick) === Math.min(...ticks),
            `the best run downloaded: the desktop finishes it on tick ${tick}, the page's best was ${Math.min(...ticks)}`);
      const audio = lines.slice(firstInput).filter((l) => /AudioContext/.test(l));
      check(audio.length === 0, `no sound refused after the first key ${audio.join(' ')}`);

      // The link opens Turning, and the address forgets it: a reload shows the title menu.
      await page.goto('about:blank');
      let from = lines.length;
      await page.goto(links[0]);
      await waitForLine(lines, /^first frame at/, 120, from);
      await waitForHud(page, /^Turning$/m);
      const hash = await page.evaluate(() => location.hash);
      from = lines.length;
      await page.reload();
      await waitForLine(lines, /^first frame at/, 120, from);
      await waitForHud(page, /^Play$/m);
      check(hash === '', `the link opened Turning, the address kept "${hash}", a reload showed the title menu`);

      // A level opened from the disk, without a title line: its file name is its title.
      const mine = path.resolve(outDir, 'mylevel.txt');
      fs.writeFileSync(mine, fs.readFileSync('levels/01_rolling.txt', 'utf8').replace(/^(title|hint) .*\n/mg, ''));
      await (await page.$('#open-level')).uploadFile(mine);
      await waitForHud(page, /^mylevel\.txt$/m);
      from = lines.length;
      await page.reload();
      await waitForLine(lines, /^first frame at/, 120, from);
      await waitForHud(page, /^Play$/m);
      check(faults(lines).length === 0, `mylevel.txt opened under its name, a reload showed the title menu; ${faults(lines).join(' ') || 'no page error'}`);
    } catch (error) {
      console.log(lines.slice(-20).join('\n'));
      check(false, error.message);
    }
    await page.screenshot({ path: path.join(outDir, 'rounds.png') });
  }, { autoplay: false });
  return checks.length > 0 && checks.every((c) => c);
}

// The bounding box of the bright pixels (the menu's text) in the canvas, and the canvas's box,
// in page pixels.
async function brightBox(page) {
  const shot = await page.screenshot({ encoding: 'base64' });
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const drawn = document.createElement('canvas');
    drawn.width = image.width;
    drawn.height = image.height;
    const context = drawn.getContext('2d');
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    const c = document.getElementById('canvas').getBoundingClientRect();
    const canvas = { left: c.left, top: c.top, right: c.right, bottom: c.bottom };
    let box = null;
    for (let y = Math.max(0, Math.ceil(c.top)); y < Math.min(image.height, c.bottom); ++y) {
      for (let x = Math.max(0, Math.ceil(c.left)); x < Math.min(image.width, c.right); ++x) {
        const i = (y * image.width + x) * 4;
        if (pixels[i] + pixels[i + 1] + pixels[i + 2] < 600) continue;
        box = box || { left: x, top: y, right: x, bottom: y };
        box.left = Math.min(box.left, x);
        box.right = Math.max(box.right, x);
        box.top = Math.min(box.top, y);
        box.bottom = Math.max(box.bottom, y);
      }
    }
    return { box, canvas };
  }, shot);
}

async function phone([buildDir, outDir]) {
  fs.mkdirSync(outDir, { recursive: true });
  const entries = ['Play', 'Levels', 'Random level', 'Level of the day', 'Editor', 'Replays', 'Settings', 'Quit'];
  let ok = true;
  for (const [width, height] of [[844, 390], [390, 844]]) {
    const size = `${width}x${height}`;
    const viewport = { isMobile: true, hasTouch: true, deviceScaleFactor: 1 };
    ok = await withPage(buildDir, width, height, async (page, base, lines) => {
      await page.goto(base);
      await waitForLine(lines, /^first frame at/, 120);
      await waitForHud(page, /^Quit$/m);
      await pause(2000);
      await page.screenshot({ path: path.join(outDir, `phone-${size}.png`) });
      const hud = await hudText(page);
      const missing = entries.filter((e) => !new RegExp(`^${e}$`, 'm').test(hud));
      const { box, canvas } = await brightBox(page);
      const inside = box && box.left > canvas.left + 1 && box.right < canvas.right - 2 &&
                     box.top > canvas.top + 1 && box.bottom < canvas.bottom - 2 &&
                     canvas.left >= 0 && canvas.top >= 0 && canvas.right <= width && canvas.bottom <= height;
      const off = box ? Math.abs((box.left + box.right) / 2 - (canvas.left + canvas.right) / 2) : width;
      const cdp = await page.target().createCDPSession();
      await cdp.send('Input.synthesizeScrollGesture', { x: width / 2, y: height / 2, xDistance: -200,
                                                         yDistance: -300, gestureSourceType: 'touch' });
      await cdp.send('Input.synthesizePinchGesture', { x: width / 2, y: height / 2, scaleFactor: 2,
                                                        gestureSourceType: 'touch' });
      const moved = await page.evaluate(() => [scrollX, scrollY, visualViewport.scale,
                                                document.documentElement.scrollWidth,
                                                document.documentElement.scrollHeight]);
      const note = await page.evaluate(() => getComputedStyle(document.getElementById('turn')).display !== 'none');
      const passed = missing.length === 0 && inside && off <= width * 0.03 &&
                     moved[0] === 0 && moved[1] === 0 && moved[2] === 1 && moved[3] <= width &&
                     moved[4] <= height && note === (height > width) && faults(lines).length === 0;
      console.log(`${passed ? 'PASS' : 'FAIL'}: ${size}: canvas ${JSON.stringify(canvas)}, menu text ` +
                  `${JSON.stringify(box)} (${Math.round(off)} px off centre, missing: ${missing.join(', ') || 'none'}); ` +
                  `after a swipe and a pinch scroll ${moved[0]},${moved[1]} zoom ${moved[2]}, page ` +
                  `${moved[3]}x${moved[4]}; turn note ${note ? 'shown' : 'hidden'}; ${faults(lines).join(' ') || 'no fault'}`);
      return passed;
    }, { viewport }) && ok;
  }
  return ok;
}

// The canvas point (page pixels) a finger taps to choose the HUD line `text`: a little into the
// text, above its baseline.
async function placeOf(page, text) {
  return page.evaluate((wanted) => {
    const places = Module.ccall('quillomar_hud_places', 'string', [], []).split('\n');
    const c = document.getElementById('canvas');
    const box = c.getBoundingClientRect();
    for (const line of places) {
      const [x, y, shown] = line.split('\t');
      if (shown !== undefined && shown.replace(/^> | <$/g, '') === wanted) {
        return { x: box.left + (Number(x) + 12) * box.width / c.width,
                 y: box.top + (Number(y) - 8) * box.height / c.height };
      }
    }
    return null;
  }, text);
}

async function tapText(page, text) {
  const at = await placeOf(page, text);
  if (!at) throw new Error(`no HUD line "${text}" to tap; the HUD shows: ${(await hudText(page)).replace(/\n/g, ' | ')}`);
  await page.touchscreen.tap(at.x, at.y);
}

async function waitForPlay(page, seconds = 30) {
  for (const started = Date.now(); Date.now() - started < seconds * 1000; await pause(100)) {
    const playing = await page.evaluate(() => Module.ccall('quillomar_in_play', 'number', [], []));
    if (playing === 1 && !/^Go!$/m.test(await hudText(page))) return;
  }
  throw new Error('play never started');
}

async function touch([buildDir, outDir]) {
  fs.mkdirSync(outDir, { recursive: true });
  const [width, height] = [844, 390];
  const checks = [];
  const check = (passed, text) => { checks.push(passed); console.log(`${passed ? 'PASS' : 'FAIL'}: ${text}`); };
  const viewport = { isMobile: true, hasTouch: true, deviceScaleFactor: 1 };
  await withPage(buildDir, width, height, async (page, base, lines) => {
    try {
      await page.goto(base);
      await waitForLine(lines, /^first frame at/, 120);
      await waitForHud(page, /^Play$/m);
      await tapText(page, 'Play');
      await waitForHud(page, /Any key: play/, 60);
      await page.touchscreen.tap(width / 2, height / 2);
      await waitForPlay(page);
      await pause(500);
      const box = await page.evaluate(() => {
        const r = document.getElementById('canvas').getBoundingClientRect();
        return { left: r.left, top: r.top, width: r.width, height: r.height };
      });
      const heading = () => page.evaluate(() => Module.ccall('quillomar_heading', 'number', [], []));
      const drag = async (from, to) => {
        const y = box.top + box.height * 0.6;
        const finger = await page.touchscreen.touchStart(box.left + from, y);
        for (let i = 1; i <= 10; ++i) {
          await finger.move(box.left + from + (to - from) * i / 10, y);
          await pause(30);
        }
        await finger.end();
        await pause(400);
      };
      // Across the left half and back: the heading turns right, then back where it was.
      const before = await heading();
      await drag(box.width * 0.1, box.width * 0.1 + 150);
      const turned = await heading();
      await drag(box.width * 0.1 + 150, box.width * 0.1);
      const back = await heading();
      const right = ((before - turned) % 360 + 540) % 360 - 180;
      check(right > 30 && right < 120 && Math.abs(back - before) < 0.01,
            `a 150-pixel drag across the left half turned the heading ${right.toFixed(1)} degrees ` +
            `right (${before.toFixed(1)} -> ${turned.toFixed(1)}), the drag back to ${back.toFixed(1)}`);
      const controls = await page.evaluate(() => ['touch-pause', 'touch-retry', 'touch-flip'].map((id) => {
        const r = document.getElementById(id).getBoundingClientRect();
        return r.width > 0 && r.height > 0;
      }));
      await page.screenshot({ path: path.join(outDir, 'touch-play.png') });
      const pauseButton = await page.evaluate(() => {
        const r = document.getElementById('touch-pause').getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
      });
      await page.touchscreen.tap(pauseButton.x, pauseButton.y);
      await waitForHud(page, /^Paused$/m);
      const hidden = await page.evaluate(() => getComputedStyle(document.getElementById('touch')).display === 'none');
      await page.screenshot({ path: path.join(outDir, 'touch-pause.png') });
      await tapText(page, 'Resume');
      await waitForPlay(page);
      const focused = await page.evaluate(() => document.activeElement.id);
      check(controls.every((c) => c) && hidden && focused === 'canvas',
            `the Pause, Retry and Flip buttons showed in play (${controls.join(' ')}), hid in the ` +
            `pause menu (${hidden}), Resume was tapped; the focus stayed on the ${focused}`);
      const finger = await page.touchscreen.touchStart(box.left + box.width * 0.75, box.top + box.height * 0.6);
      const line = await waitForLine(lines, /^finish tick \d+$/, Number(process.env.QUILLOMAR_BROWSER_TIMEOUT || 300));
      await finger.end();
      check(faults(lines).length === 0,
            `held down on the right half, the ball rolled to the finish: "${line}"; ${faults(lines).join(' ') || 'no page error'}`);
      // The win panel: the Menu button alone over it, and a tap goes on to the next level.
      await waitForHud(page, /^Finished!$/m);
      await pause(500);
      const menu = await page.evaluate(() => ['touch-pause', 'touch-retry', 'touch-flip'].map((id) =>
        document.getElementById(id).getBoundingClientRect().width > 0 ? document.getElementById(id).textContent : '-').join(' '));
      await page.screenshot({ path: path.join(outDir, 'touch-win.png') });
      await page.touchscreen.tap(width / 2, height / 2);
      await waitForHud(page, /^Turning$/m, 60);
      check(menu === 'Menu - -' && faults(lines).length === 0,
            `over the win panel the buttons were "${menu}"; a tap on it went on to "Turning"`);
    } catch (error) {
      console.log(lines.slice(-20).join('\n'));
      check(false, error.message);
    }
    await page.screenshot({ path: path.join(outDir, 'touch-end.png') });
  }, { viewport });
  return checks.length === 4 && checks.every((c) => c);
}

async function mouse([buildDir]) {
  const checks = [];
  const check = (passed, text) => { checks.push(passed); console.log(`${passed ? 'PASS' : 'FAIL'}: ${text}`); };
  await withPage(buildDir, 1024, 700, async (page, base, lines) => {
    try {
      await page.goto(base);
      await waitForLine(lines, /^first frame at/, 120);
      await page.focus('#canvas');
      await waitForHud(page, /^Play$/m);
      await keys(page, ['Enter']);
      await waitForHud(page, /Any key: play/, 60);
      await keys(page, ['Space']);
      await waitForPlay(page);
      await pause(300);
      const locked = () => page.evaluate(() => document.pointerLockElement === document.getElementById('canvas'));
      const asked = await locked();
      if (!asked) {
        await page.mouse.click(512, 500);
        await pause(300);
      }
      const held = await locked();
      const heading = () => page.evaluate(() => Module.ccall('quillomar_heading', 'number', [], []));
      // The first move under the lock only says where the mouse is.
      await page.mouse.move(512, 500);
      await pause(300);
      const before = await heading();
      for (let i = 1; i <= 10; ++i) {
        await page.mouse.move(512 + 10 * i, 500);
        await pause(30);
      }
      await pause(300);
      const turned = await heading();
      const right = ((before - turned) % 360 + 540) % 360 - 180;
      check(held && Math.abs(right - 18) < 0.01,
            `the pointer lock was ${asked ? 'taken as play started' : held ? 'taken at a click' : 'never taken'}; ` +
            `100 pixels right turned the heading ${right.toFixed(2)} degrees right`);
      await page.keyboard.press('Escape');
      await waitForHud(page, /^Paused$/m, 10);
      await pause(500);
      check(!(await locked()) && faults(lines).length === 0,
            `Escape freed the pointer and paused; ${faults(lines).join(' ') || 'no page error'}`);
    } catch (error) {
      console.log(lines.slice(-20).join('\n'));
      check(false, error.message);
    }
  });
  return checks.length === 2 && checks.every((c) => c);
}


// The game's own request transport, driven from the page: starts a request and resolves with its
// answer ({status, body, error}) once the game collects it.
async function pageRequest(page, base, method, requestPath, body = '', seconds = 60) {
  const id = await page.evaluate((b, m, p, d) => Module.ccall('quillomar_http_start', 'number',
    ['string', 'string', 'string', 'string'], [b, m, p, d]), base, method, requestPath, body);
  const key = `${base} ${id}`;
  for (const started = Date.now(); Date.now() - started < seconds * 1000; await pause(100)) {
    const answers = JSON.parse(await page.evaluate(() => Module.ccall('quillomar_http_answers', 'string', [], [])));
    for (const a of answers) pageRequest.answers.set(`${a.base} ${a.id}`, a);
    if (pageRequest.answers.has(key)) return pageRequest.answers.get(key);
  }
  throw new Error(`no answer to ${method} ${base}${requestPath} within ${seconds} s`);
}
pageRequest.answers = new Map();

// Starts the record server on a free port of 127.0.0.1; resolves with its process and address.
function startServer(serverPath, database, webDir) {
  const server = spawn(serverPath, ['--listen', '127.0.0.1:0', '--database', `sqlite:${database}`,
                                    '--web', webDir, '--verifiers', '1'], { stdio: ['ignore', 'pipe', 'pipe'] });
  return new Promise((resolve, reject) => {
    let said = '';
    const timer = setTimeout(() => reject(new Error(`the server did not listen within 30 s: ${said}`)), 30000);
    const read = (data) => {
      said += data;
      const found = said.match(/listening on (http:\/\/[0-9.]+:\d+)/);
      if (found) { clearTimeout(timer); resolve({ server, address: found[1] }); }
    };
    server.stdout.on('data', read);
    server.stderr.on('data', read);
    server.on('exit', (code) => { clearTimeout(timer); reject(new Error(`the server ended (${code}): ${said}`)); });
  });
}

// A server of big answers beside the record server, open to any page: /declared says its length,
// /streamed does not; both are 5 MiB, past the transport's bound of 4 MiB.
function bigAnswers() {
  const big = Buffer.alloc(5 << 20, 'x');
  const server = http.createServer((request, response) => {
    const headers = { 'Access-Control-Allow-Origin': '*', 'Cross-Origin-Resource-Policy': 'cross-origin',
                      'Content-Type': 'text/plain' };
    if (request.url === '/declared') headers['Content-Length'] = big.length;
    response.writeHead(200, headers);
    for (let at = 0; at < big.length; at += 65536) response.write(big.subarray(at, at + 65536));
    response.end();
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function serverRun([buildDir, serverPath, outDir]) {
  fs.mkdirSync(outDir, { recursive: true });
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quillomar-server-'));
  const checks = [];
  const check = (passed, text) => { checks.push(passed); console.log(`${passed ? 'PASS' : 'FAIL'}: ${text}`); };
  const { server, address } = await startServer(serverPath, path.join(scratch, 'records.db'), buildDir);
  const big = await bigAnswers();
  const bigBase = `http://127.0.0.1:${big.address().port}`;
  const records = '/home/web_user/.local/share/quillomar';
  const browser = await puppeteer.launch({ executablePath: chromium, args: flags,
                                           defaultViewport: { width: 800, height: 600 } });
  const lines = [];
  try {
    const page = await browser.newPage();
    page.on('console', (message) => lines.push(message.text()));
    page.on('pageerror', (error) => lines.push('page error: ' + error.message));
    // The API's refusals (a run's level not there yet: 404) are the game's to handle.
    page.on('response', (response) => {
      if (response.status() >= 400 && !/\/api\/v1\//.test(response.url())) {
        lines.push(`http ${response.status()} ${response.url()}`);
      }
    });
    const storeAndReload = async () => {
      await page.evaluate(() => Module.quillomarStore());
      for (const started = Date.now(); await page.evaluate(() => Module.quillomarStoring()); await pause(100)) {
        if (Date.now() - started > 30000) throw new Error('the page did not store its files within 30 s');
      }
      const from = lines.length;
      await page.reload();
      // A new page: its transports number their requests from 1 again.
      pageRequest.answers.clear();
      await waitForLine(lines, /^first frame at/, 120, from);
    };
    await page.goto(`${address}/quillomar.html`);
    await waitForLine(lines, /^first frame at/, 120);

    const about = await pageRequest(page, '', 'GET', '/api/v1');
    check(about.status === 200 && /"api":\s*1/.test(about.body),
          `the page's transport with an empty base asked the page's server: ${about.status} ${about.body}`);
    const dead = await pageRequest(page, 'http://127.0.0.1:1', 'GET', '/api/v1');
    check(dead.status === 0 && /no answer from http:\/\/127\.0\.0\.1:1\/api\/v1/.test(dead.error),
          `a server that is not there: status ${dead.status}, "${dead.error}"`);
    const declared = await pageRequest(page, bigBase, 'GET', '/declared');
    const streamed = await pageRequest(page, bigBase, 'GET', '/streamed');
    check([declared, streamed].every((a) => a.status === 0 && a.body === '' && /larger than 4194304 bytes/.test(a.error)),
          `5 MiB answers refused, declared (${declared.status}, "${declared.error}") and streamed ` +
          `(${streamed.status}, "${streamed.error}")`);
    const wrong = await pageRequest(page, '', 'PUT', '/api/v1');
    check(wrong.status === 0 && /method PUT/.test(wrong.error), `a PUT is not sent: "${wrong.error}"`);

    // The player sends won runs (to the page's server: no address set).
    await page.evaluate((folder) => {
      FS.mkdirTree(folder);
      FS.writeFile(folder + '/settings.txt', 'quillomar-settings 1\nsend-runs on\n');
    }, '/home/web_user/.config/quillomar');
    await storeAndReload();
    await page.focus('#canvas');
    await waitForHud(page, /^Play$/m);
    await keys(page, ['Enter']);
    await waitForHud(page, /Any key: play/, 60);
    await keys(page, ['Space']);
    const from = lines.length;
    await page.keyboard.down('w');
    const finish = await waitForLine(lines, /^finish tick \d+$/, Number(process.env.QUILLOMAR_BROWSER_TIMEOUT || 600), from);
    await page.keyboard.up('w');
    const tick = Number(finish.split(' ')[2]);
    let fate = '';
    try {
      await waitForHud(page, /^Sent: rank 1 /m, 120);
    } finally {
      fate = ((await hudText(page)).match(/^(Sending|Sent|Offline|Refused|Name taken).*$/m) || [''])[0];
      await page.screenshot({ path: path.join(outDir, 'server-win.png') });
    }
    check(/^Sent: rank 1 /.test(fate), `the game sent its won run itself; the win panel says "${fate}"`);
    const listed = JSON.parse((await pageRequest(page, '', 'GET', '/api/v1/levels?order=newest')).body || '{}');
    const key = ((listed.levels || [])[0] || {}).key || '';
    const board = JSON.parse((await pageRequest(page, '', 'GET', `/api/v1/levels/${key}/leaderboard`)).body || '{}');
    const first = (board.top || [])[0] || {};
    check(listed.total === 1 && first.rank === 1 && first.ticks === tick,
          `the game uploaded the level (${listed.total} on the server) and the server ranks the run first ` +
          `with its own replay: ${JSON.stringify(first)}; the page finished on tick ${tick}`);
    const recording = (await pageRequest(page, '', 'GET', `/api/v1/runs/${first.run}/recording`)).body;
    fs.writeFileSync(path.join(outDir, 'page-run.replay'), recording);
    const run = first.run;

    // The offline queue's folder is kept in IndexedDB with the records: a file in it and the best
    // run outlive a reload; the file removed stays removed after the next. (The file is one set
    // aside as refused: a queued run the game would send at once, and one it cannot read it
    // would set aside.)
    const queued = `${records}/outbox/refused/${run}.run`;
    await page.evaluate((f, text) => {
      FS.mkdirTree(f.replace(/\/[^/]*$/, ''));
      FS.writeFile(f, text);
    }, queued, recording);
    const exists = (f) => page.evaluate((file) => FS.analyzePath(file).exists, f);
    await storeAndReload();
    const kept = [await exists(queued), await exists(`${records}/${key}.replay`)];
    await page.evaluate((f) => FS.unlink(f), queued);
    await storeAndReload();
    const removed = !(await exists(queued));
    check(kept[0] && kept[1] && removed,
          `after a reload the queued run ${kept[0] ? 'was' : 'was not'} there, the best run ${kept[1] ? 'was' : 'was not'}; ` +
          `removed, the queued run ${removed ? 'stayed away' : 'came back'} after another`);
    await page.screenshot({ path: path.join(outDir, 'server.png') });
  } catch (error) {
    console.log(lines.slice(-20).join('\n'));
    check(false, error.message);
  } finally {
    pageFaults.push(...faults(lines));
    await browser.close();
    big.close();
    server.kill('SIGTERM');
    await new Promise((r) => server.exitCode !== null ? r() : server.on('exit', r));
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  return checks.length === 7 && checks.every((c) => c);
}


// CRC-32 (the zlib one) of `bytes`.
function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) {
    crc ^= byte;
    for (let k = 0; k < 8; ++k) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return (crc ^ 0xffffffff) >>> 0;
}

// A level code as the game writes one: both lengths, one zlib stream of the level's bytes and
// the run's, the CRC-32 of all that, in base64url after "QLM1.".
function levelCode(levelBytes, runBytes) {
  const lengths = Buffer.alloc(8);
  lengths.writeUInt32LE(levelBytes.length, 0);
  lengths.writeUInt32LE(runBytes.length, 4);
  const body = Buffer.concat([lengths, require('zlib').deflateSync(Buffer.concat([levelBytes, runBytes]))]);
  const sum = Buffer.alloc(4);
  sum.writeUInt32LE(crc32(body), 0);
  return 'QLM1.' + base64url(Buffer.concat([body, sum]));
}

async function codeLink([buildDir, replayFinish, outDir]) {
  fs.mkdirSync(outDir, { recursive: true });
  const checks = [];
  const check = (passed, text) => { checks.push(passed); console.log(`${passed ? 'PASS' : 'FAIL'}: ${text}`); };
  const level = fs.readFileSync('levels/02_turning.txt');
  const runFile = path.join(outDir, 'turning-desktop.replay');
  require('child_process').execFileSync(replayFinish, ['levels/02_turning.txt', runFile]);
  const code = levelCode(level, fs.readFileSync(runFile));
  const shared = '/home/web_user/.local/share/quillomar/shared';
  await withPage(buildDir, 1024, 700, async (page, base, lines) => {
    try {
      await page.goto(base + '#level=' + code);
      await waitForLine(lines, /^first frame at/, 120);
      const pasted = await waitForLine(lines, /^Pasted level [0-9a-f]{16}: /, 60);
      await waitForHud(page, /^Turning$/m);
      const key = pasted.match(/[0-9a-f]{16}/)[0];
      const kept = await page.evaluate((folder, k) => [FS.analyzePath(`${folder}/${k}.txt`).exists,
                                                        FS.analyzePath(`${folder}/${k}.replay`).exists], shared, key);
      const hash = await page.evaluate(() => location.hash);
      check(/with a run to beat\.$/.test(pasted) && kept[0] && kept[1] && hash === '',
            `a ${code.length}-character code link opened Turning: "${pasted}"; level kept ${kept[0]}, ` +
            `run to beat kept ${kept[1]}, the address kept "${hash}"`);
      await page.screenshot({ path: path.join(outDir, 'code-link.png') });
      // A link carrying the file, as the page made them before, opens the level by its name.
      await page.goto('about:blank');
      const from = lines.length;
      const untitled = Buffer.from(level.toString('utf8').replace(/^(title|hint) .*\n/mg, ''));
      await page.goto(base + '#level=' + base64url(untitled) + '&name=old-link.txt');
      await waitForLine(lines, /^first frame at/, 120, from);
      await waitForHud(page, /^old-link\.txt$/m);
      check(faults(lines).length === 0, `a link with the level file opened it as old-link.txt; ${faults(lines).join(' ') || 'no page error'}`);
    } catch (error) {
      console.log(lines.slice(-20).join('\n'));
      check(false, error.message);
    }
  });
  return checks.length === 2 && checks.every((c) => c);
}

const modes = { replay, record, resize, start, shots, rounds, phone, touch, mouse, server: serverRun, code: codeLink };
const [mode, ...rest] = process.argv.slice(2);
if (!modes[mode]) {
  console.error('usage: browser_test.js replay|record|resize|start|shots|rounds|phone|touch|mouse|server|code ...');
  process.exit(2);
}
modes[mode](rest).then((passed) => {
  if (pageFaults.length > 0) {
    console.log(`FAIL: the console showed ${pageFaults.length} GL or page fault(s):\n` +
                pageFaults.slice(0, 20).join('\n'));
  }
  process.exit(passed && pageFaults.length === 0 ? 0 : 1);
}, (error) => {
  console.error('FAIL: ' + error.message);
  process.exit(1);
});
