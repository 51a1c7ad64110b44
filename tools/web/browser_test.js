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
// Prints one line per check and exits 0 only when every check passed.
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { serve } = require('./serve.js');

const chromium = process.env.QUILLOMAR_CHROMIUM || '/usr/bin/chromium';
// --no-sandbox: Chromium's sandbox refuses to run as root (CI does); a container's small
// /dev/shm would otherwise crash a page that draws for minutes.
const flags = ['--headless=new', '--no-sandbox', '--disable-dev-shm-usage', '--use-angle=swiftshader',
               '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist', '--autoplay-policy=no-user-gesture-required'];

function base64url(bytes) {
  return Buffer.from(bytes).toString('base64').replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// Resolves with the first console line that `pattern` matches, or rejects after `seconds`.
function waitForLine(lines, pattern, seconds) {
  return new Promise((resolve, reject) => {
    const started = Date.now();
    const look = () => {
      const found = lines.find((line) => pattern.test(line));
      if (found) return resolve(found);
      if (Date.now() - started > seconds * 1000) {
        return reject(new Error(`no console line like ${pattern} within ${seconds} s`));
      }
      setTimeout(look, 100);
    };
    look();
  });
}

async function withPage(buildDir, width, height, body) {
  const server = await serve(buildDir, 0);
  const base = `http://127.0.0.1:${server.address().port}/quillomar.html`;
  const browser = await puppeteer.launch({ executablePath: chromium, args: flags,
                                           defaultViewport: { width, height } });
  try {
    const page = await browser.newPage();
    const lines = [];
    page.on('console', (message) => lines.push(message.text()));
    page.on('pageerror', (error) => lines.push('page error: ' + error.message));
    return await body(page, base, lines);
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

const modes = { replay, record, resize, start, shots };
const [mode, ...rest] = process.argv.slice(2);
if (!modes[mode]) {
  console.error('usage: browser_test.js replay|record|resize|start|shots ...');
  process.exit(2);
}
modes[mode](rest).then((passed) => process.exit(passed ? 0 : 1), (error) => {
  console.error('FAIL: ' + error.message);
  process.exit(1);
});
