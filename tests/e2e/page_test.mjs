// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The page in a real browser, Debian's Chromium, Firefox ESR or WebKit
// (WebKitGTK's MiniBrowser, Safari's engine), served on 127.0.0.1 and driven
// by the keys a keyboard sends: the ribbon in the wheel's colours, crawling;
// a hint of the keys that fades; after the native window test's keys the
// native build's outline, and the same picture again after the GPU context
// is lost and restored; a resize reshapes, and so does a change of the
// canvas's box alone; hundreds of turns more still draw; the spin; served
// under a strict security policy, which nothing violates; in Chromium and
// Firefox, screens of fractional pixel ratios (real scale factors, not
// emulation) drawn 1:1; a new version's files, not the old ones, after an
// update behind a host's HTTP caching; without WebGL a message and no
// error; in Chromium a phone used by touch alone, and the page installable;
// with the server gone, a reload that still draws; no page error and
// nothing in the console. Every wait is for a new frame (the colours crawl
// on each one) or another condition, never for a time.
//
// Usage: node page_test.mjs --browser chromium|firefox|webkit --reference NATIVE PAGE_DIR

import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import { parseArgs } from "node:util";

import { KnownDevices } from "puppeteer-core";

import { STRICT_CSP, launch, serve } from "../../scripts/lib/page.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const { values: options, positionals } = parseArgs({
  options: { browser: { type: "string" }, reference: { type: "string" } },
  allowPositionals: true,
});
const pageDir = positionals[0];
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "tavrindole-page-"));

// What a person presses for each X keysym the native tests name: the key's
// place on a US keyboard, with Shift where the character needs it.
const KEYS = {
  plus: ["Shift", "Equal"], minus: ["Minus"], space: [" "],
  Left: ["ArrowLeft"], Right: ["ArrowRight"], Up: ["ArrowUp"], Down: ["ArrowDown"],
};
const keyOf = (name) => KEYS[name] ?? (/^[A-Z]$/.test(name) ? ["Shift", `Key${name}`]
                                                             : [`Key${name.toUpperCase()}`]);
const referenceKeys = JSON.parse(fs.readFileSync(path.join(here, "reference_keys.json")))
  .runs.flatMap(([key, presses]) => Array(presses).fill(key));

// ImageMagick, as the native tests use it.
const magick = (tool, ...args) =>
  execFileSync(tool, args, { stdio: ["ignore", "pipe", "pipe"], maxBuffer: 1 << 26 });
const outline = (png) => {
  const mask = png.replace(/\.png$/, "-mask.png");
  magick("convert", png, "-fill", "white", "+opaque", "black", mask);
  return mask;
};
const differing = (a, b) => {
  try {
    magick("compare", "-metric", "AE", a, b, "null:");
    return 0;
  } catch (error) {
    return Number.parseFloat(error.stderr.toString());
  }
};
// Each colour once: a line of ImageMagick's text gives it twice, as
// (r,g,b) and again as srgb(r,g,b) or by name.
const colors = (png) => [...magick("convert", png, "-depth", "8", "-unique-colors", "txt:-")
  .toString().matchAll(/^\d+,\d+: \((\d+),(\d+),(\d+)/gm)].map((m) => m.slice(1).map(Number));
// How much of the picture shows the same slices as another frame of it:
// from frame to frame every slice's colour moves by the same number of wheel
// positions, so the share of lit pixels whose colour moved by the commonest
// amount. A ribbon whose turns hide each other the wrong way scores low.
const wheelPosition = (r, g, b) =>
  r === 255 && b === 0 ? g : g === 255 && b === 0 ? 510 - r : r === 0 && g === 255 ? 510 + b
    : r === 0 && b === 255 ? 1020 - g : g === 0 && b === 255 ? 1020 + r : 1530 - b;
const sameSlices = (a, b) => {
  const [pa, pb] = [a, b].map((png) => magick("convert", png, "-depth", "8", "rgb:-"));
  const moves = new Map();
  let lit = 0;
  for (let i = 0; i < pa.length; i += 3) {
    if (!pa[i] && !pa[i + 1] && !pa[i + 2]) continue;
    lit += 1;
    const move = (wheelPosition(pb[i], pb[i + 1], pb[i + 2]) -
                  wheelPosition(pa[i], pa[i + 1], pa[i + 2]) + 1530) % 1530;
    moves.set(move, (moves.get(move) ?? 0) + 1);
  }
  return Math.max(...moves.values()) / lit;
};
const lit = (png) => Number(magick("convert", outline(png), "-format", "%[fx:mean*w*h]", "info:"));
const onWheel = (rgb) => rgb.includes(255) && rgb.includes(0);

class Page {
  constructor(page, complaints) {
    this.page = page;
    this.complaints = complaints;
    this.shots = 0;
  }

  async shot() {
    const file = path.join(scratch, `${options.browser}-${String(++this.shots).padStart(3, "0")}.png`);
    await this.page.screenshot({ path: file });
    return file;
  }

  // Waits for `count` new frames and returns a screenshot of the last. Two
  // after keys show them: the first may have been drawn before they came.
  async frames(count = 2) {
    let last = await this.shot();
    for (let i = 0; i < count; i++) {
      const deadline = Date.now() + 120_000;
      let next;
      while (differing(next = await this.shot(), last) === 0) {
        assert.ok(Date.now() < deadline, ["no new frame within 120 s", ...this.complaints].join("; "));
      }
      last = next;
    }
    return last;
  }

  async press(...names) {
    for (const name of names) {
      const [first, second] = keyOf(name);
      if (second) await this.page.keyboard.down(first);
      await this.page.keyboard.press(second ?? first);
      if (second) await this.page.keyboard.up(first);
    }
  }
}

// The native build's outline after the reference keys, at a screen size.
function nativeOutline(width, height) {
  const file = path.join(scratch, `native-outline-${width}x${height}.png`);
  execFileSync("python3", [path.join(here, "window_test.py"), "--outline", file,
                           "--size", `${width}x${height}`, options.reference]);
  return file;
}

// After the native window test's keys, the native build's outline. The
// rasterisers differ only along edges, where a pixel whose centre lies
// within a rounding error of a triangle's edge may go either way: a few
// hundred at most, twice as many at twice the resolution.
function assertNativeOutline(png, native, allowed) {
  const edgePixels = differing(outline(png), native);
  console.log(`${edgePixels} pixels differ from the native outline ${path.basename(native)}`);
  assert.ok(edgePixels <= allowed, `${edgePixels} pixels differ from the native outline`);
}

const offWheel = (png) => colors(png).filter((c) => !onWheel(c) && c.some((v) => v > 0));
const canvasSize = (page) => page.evaluate(() => [canvas.width, canvas.height]);

// The GPU context lost (a driver reset, a laptop waking) and given back:
// the same picture, turns, slices and rotations kept, depth test and all.
async function loseContext(p, before) {
  const event = (name, act) => p.page.evaluate((name, act) => new Promise((resolve) => {
    canvas.addEventListener(name, () => resolve(true), { once: true });
    setTimeout(() => resolve(false), 20_000);  // a deadline, not a wait
    window.loseContext ??= canvas.getContext("webgl").getExtension("WEBGL_lose_context");
    window.loseContext[act]();
  }), name, act);
  assert.ok(await event("webglcontextlost", "loseContext"), "the context was not lost");
  assert.ok(await event("webglcontextrestored", "restoreContext"), "no context came back");
  const restored = await p.frames();
  assert.equal(differing(outline(restored), outline(before)), 0, "changed by a lost context");
  const same = sameSlices(before, restored);
  assert.ok(same > 0.99, `only ${same} of the picture shows the same slices after a lost context`);
}

// The canvas fills the visible area, and its backing store is its box in
// device pixels as the browser measures it: the one size it draws 1:1.
// Where the browser does not measure in device pixels (WebKit), the CSS box
// times the ratio.
async function assertDeviceBox(page) {
  const box = await page.evaluate(() => new Promise((resolve) => {
    const observer = new ResizeObserver(([entry]) => {
      observer.disconnect();
      const device = entry.devicePixelContentBoxSize?.[0];
      const css = canvas.getBoundingClientRect();
      resolve({ css: [css.width, css.height], visible: [visualViewport.width, visualViewport.height],
                device: device ? [device.inlineSize, device.blockSize]
                  : [css.width, css.height].map((v) => Math.round(v * devicePixelRatio)),
                store: [canvas.width, canvas.height] });
    });
    try {
      observer.observe(canvas, { box: "device-pixel-content-box" });
    } catch {
      observer.observe(canvas);
    }
  }));
  assert.deepEqual(box.store, box.device, `a backing store of ${box.store} for a box of ${box.device}`);
  return box;
}

// Screens whose pixel ratio is not whole, as laptops at 125 % and 150 % and
// most phones have, each in two windows whose CSS size is fractional there
// (the second reached by resizing the first): the browser started with that
// scale factor, the page drawn 1:1, its wheel's colours unblended.
const SCREENS = [[1.25, [803, 451], [641, 397]], [1.5, [803, 451], [611, 433]],
                 [2.625, [502, 754], [411, 611]], [2.75, [502, 754], [389, 577]]];
async function fractionalScreens(url) {
  for (const [ratio, [width, height], ...resized] of SCREENS) {
    const browser = await launch(options.browser, width, height, ratio);
    try {
      const [page] = await browser.pages();
      await page.goto(url);
      await page.evaluate(() => document.getElementById("hint").remove());  // its fade is seen above
      for (const size of [null, ...resized]) {
        if (size) await browser.setWindowBounds(await page.windowId(), { width: size[0], height: size[1] });
        const png = await new Page(page, []).frames();
        const box = await assertDeviceBox(page);
        assert.ok(box.css.some((v) => v % 1), `${box.css} CSS px at ${ratio} is not fractional`);
        assert.ok(offWheel(png).length <= 5, `${offWheel(png).length} colours off the wheel at ${ratio}`);
        console.log(`at ${ratio}, ${box.css} CSS px: ${box.store} device pixels, drawn 1:1`);
      }
    } finally {
      await browser.close();
    }
  }
}

// The box alone changes, with no resize event, as when a phone's toolbar
// slides away: the backing store follows within a frame or two.
async function followsBox(p) {
  const shrink = (on) => p.page.evaluate((on) => {
    if (on) document.head.insertAdjacentHTML("beforeend",
      "<style id=shrink>canvas { height: calc(100vh - 56px) !important; }</style>");
    else document.getElementById("shrink").remove();
  }, on);
  const before = await assertDeviceBox(p.page);
  await shrink(true);
  await p.frames();
  const shrunk = await assertDeviceBox(p.page);
  assert.ok(shrunk.store[1] < before.store[1], `the store stayed ${shrunk.store} as the box shrank`);
  await shrink(false);
  await p.frames();
  assert.deepEqual((await assertDeviceBox(p.page)).store, before.store);
}

// A new version deployed while a host's HTTP caching still holds the old
// one's files fresh (max-age, as every static host sends): once the new
// worker has taken over, the next reload shows the new version's files, and
// its cache holds none of the old one's.
async function updateUnderCaching(browser) {
  const mark = "a new version";
  const v2 = path.join(scratch, "v2");
  fs.cpSync(pageDir, v2, { recursive: true });
  const edit = (file, change) => fs.writeFileSync(path.join(v2, file),
                                                  change(fs.readFileSync(path.join(v2, file), "utf8")));
  edit("index.html", (text) => text.replace("<title>", `<!-- ${mark} --><title>`));
  for (const file of ["page.js", "tavrindole.js"]) {
    edit(file, (text) => `${text}\n;(self.shown ??= []).push("${file}: ${mark}");\n`);
  }
  edit("service_worker.js", (text) => text.replace(/const CACHE = "([^"]*)"/, 'const CACHE = "$1-v2"'));
  const server = await serve(pageDir, { "Cache-Control": "max-age=3600" });
  const url = `http://127.0.0.1:${server.address().port}/`;
  const page = await browser.newPage();
  try {
    await page.goto(url);
    await page.waitForFunction(() => navigator.serviceWorker.controller);
    server.dir = v2;
    await page.reload();  // the browser looks for a new worker, which installs
    await page.waitForFunction(async () => /^[^,]*-v2$/.test((await caches.keys()).join()));
    await page.reload();
    const shown = await page.evaluate(async (mark) => {
      const [name] = await caches.keys();
      const cache = await caches.open(name);
      const stale = [];
      for (const request of await cache.keys()) {
        const text = await (await cache.match(request)).text();
        if (/\/(|index\.html|page\.js|tavrindole\.js)$/.test(request.url) && !text.includes(mark)) {
          stale.push(request.url);
        }
      }
      return { html: document.documentElement.outerHTML.includes(mark), scripts: self.shown, stale };
    }, mark);
    assert.deepEqual(shown, { html: true, stale: [],
                              scripts: [`page.js: ${mark}`, `tavrindole.js: ${mark}`] });
  } finally {
    await page.close();
    server.close();
  }
}

// Without WebGL the page says what it needs, and throws nothing.
async function withoutWebGL(browser, url) {
  const page = await browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.evaluateOnNewDocument(() => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
      return /webgl/.test(type) ? null : getContext.call(this, type, ...rest);
    };
  });
  await page.goto(url);
  const message = await page.waitForFunction(() => document.querySelector(".needs")?.textContent);
  assert.match(await message.jsonValue(), /needs? .*WebGL|with WebGL/);
  assert.deepEqual(errors, []);
  await page.close();
}

// The hint of the controls: shown at load, gone within 5 s.
async function hintFades(page, words) {
  const hint = () => page.evaluate(() => [document.getElementById("hint").textContent,
                                          getComputedStyle(document.getElementById("hint")).opacity]);
  assert.match((await hint())[0], words);
  for (const deadline = Date.now() + 10_000; (await hint())[1] !== "0";) {
    assert.ok(Date.now() < deadline, "the hint stays");
  }
}

// A phone, by touch alone, in Chromium's emulation of one: installable; the
// hint lists the gestures and shows again at the first touch; a tap
// switches the spin; every other gesture presses its keys, which the keys
// that undo them take back to the same outline; nothing scrolls, zooms or
// leaves the page.
async function phone(p, url) {
  const { page } = p;
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
  assert.deepEqual(installabilityErrors, []);
  await page.emulate(KnownDevices["Pixel 5"]);
  await page.reload();
  await hintFades(page, /tap/);
  const touch = (type, fingers) => cdp.send("Input.dispatchTouchEvent",
    { type, touchPoints: fingers.map(([x, y], id) => ({ x, y, id })) });
  const tap = async () => (await touch("touchStart", [[200, 300]]), touch("touchEnd", []));
  const spins = async () => differing(outline(await p.frames()), outline(await p.frames(1))) > 0;

  await tap();
  await hintFades(page, /tap/);
  assert.ok(await spins(), "a tap does not spin it");
  await tap();
  assert.ok(!await spins(), "a second tap does not stop it");
  const still = outline(await p.frames());
  const gestures = [
    [[[100, 400]], [[350, 420]], Array(10).fill("Left")],  // drag right: 10 x right arrow
    [[[150, 600], [250, 600]], [[150, 350], [250, 350]], Array(10).fill("minus")],  // up: "+"
    [[[146, 400], [246, 400]], [[106, 400], [286, 400]], ["D", "D", "D"]],  // pinch 1.8x: "U"
  ];
  for (const [from, to, undo] of gestures) {
    await touch("touchStart", from);
    for (let i = 1; i <= 10; i++) {
      await touch("touchMove", from.map(([x, y], f) => [x + ((to[f][0] - x) * i) / 10,
                                                       y + ((to[f][1] - y) * i) / 10]));
    }
    await touch("touchEnd", []);
    assert.ok(differing(outline(await p.frames()), still) > 0, `no effect, undone by ${undo}`);
    await p.press(...undo);
    assert.equal(differing(outline(await p.frames()), still), 0, `not undone by ${undo}`);
  }
  assert.equal(page.url(), url);
  assert.deepEqual(await page.evaluate(() => [scrollX, scrollY, visualViewport.scale]), [0, 0, 1]);
}

// WebKit runs under WebDriver, which has no pixel ratio, no scripts before a
// page's own and no reload: the checks that need them run in the others.
const puppeteerDriven = options.browser !== "webkit";

test(`the page in ${options.browser}`, { timeout: 600_000 }, async () => {
  // Served as a careful host serves it, under a strict security policy,
  // whose violations the browser reports back.
  const server = await serve(pageDir,
                             { "Content-Security-Policy": `${STRICT_CSP}; report-uri /csp-report` });
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await launch(options.browser);
  const complaints = [];
  try {
    const page = await browser.newPage();
    page.on("pageerror", (error) => complaints.push(`page error: ${error.message}`));
    page.on("console", (message) => complaints.push(`console: ${message.text()}`));
    await page.goto(url);
    assert.equal(await page.title(), "Tavrindole");
    const p = new Page(page, complaints);
    await hintFades(page, /space/);

    // The ribbon fills the canvas in flat wheel colours, and they crawl.
    const first = await p.frames(3);
    assert.deepEqual(offWheel(first).slice(0, 10), [], "colours off the wheel");
    assert.ok(colors(first).length > 100);
    const second = await p.frames(1);
    assert.ok(differing(first, second) > 1000, "the colours crawl");
    assert.equal(differing(outline(first), outline(second)), 0);

    const fitted = await assertDeviceBox(page);
    assert.deepEqual(fitted.css, fitted.visible, "the canvas is not the visible area");
    await p.press(...referenceKeys);
    const afterKeys = await p.frames();
    assertNativeOutline(afterKeys, nativeOutline(1280, 720), 400);
    await loseContext(p, afterKeys);

    // A resize reshapes: the canvas follows the window, the ribbon stays
    // centred at the same scale (the short side still shows 200 units).
    await page.setViewport({ width: 960, height: 540 });
    const resized = await p.frames();
    assert.deepEqual(await canvasSize(page), [960, 540]);
    const ratio = lit(resized) / lit(afterKeys);
    assert.ok(Math.abs(ratio - 0.5625) < 0.02, `lit area scaled by ${ratio}, not (540/720)^2`);
    await followsBox(p);

    // Hundreds of turns more, past 26,000 slices: still drawn, still crawling.
    await p.press(...Array(200).fill(["U", "u"]).flat());
    const big = await p.frames();
    assert.ok(lit(big) > 3 * lit(resized), "the ribbon grew with its turns");
    assert.ok(colors(big).every((c) => onWheel(c) || c.every((v) => v === 0)));
    assert.deepEqual(await canvasSize(page), [960, 540]);

    // Space spins it; the outline changes from frame to frame.
    await p.press("space");
    const spinning = await p.frames();
    assert.ok(differing(outline(spinning), outline(await p.frames(1))) > 0, "no spin");

    if (!puppeteerDriven) {
      complaints.push(...(await page.errors()).map((error) => `page error: ${error}`));
      assert.deepEqual([...complaints, ...server.violations], []);
      return;
    }
    await withoutWebGL(browser, url);
    if (options.browser === "chromium") await phone(p, url);
    await updateUnderCaching(browser);
    await fractionalScreens(url);

    // The network gone, the page seen once comes up again and draws.
    assert.ok(await page.evaluate(() => Promise.race([
      navigator.serviceWorker.ready.then(() => true),
      new Promise((resolve) => setTimeout(() => resolve(false), 20_000))])), "no service worker");
    server.closeAllConnections();
    server.close();
    await page.reload();
    assert.equal(await page.title(), "Tavrindole");
    assert.ok(lit(await p.frames(3)) > 10_000, "nothing drawn offline");
    assert.deepEqual([...complaints, ...server.violations], []);
  } finally {
    await browser.close();
    server.close();
  }
});
