// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The page's frame rate in a headless browser, and the time its display
// callback takes: every frame runs in one animation-frame callback, which is
// counted and timed. Prints one line of JSON: {"fps", "displayMs", "slices"}.
// bench/fps runs it by turns with the native build.
//
// Usage: node page_fps.mjs --browser chromium|firefox [--presses N] [--seconds S] PAGE_DIR
//   N presses of "U" first (each adds a turn and its share of slices),
//   sent as key events inside the page so that even the 1,000,000 bound is
//   reached at once.

import { parseArgs } from "node:util";

import { launch, serve } from "../scripts/lib/page.mjs";

const { values: options, positionals } = parseArgs({
  options: { browser: { type: "string" }, presses: { type: "string", default: "0" },
             seconds: { type: "string", default: "6" } },
  allowPositionals: true,
});
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const server = await serve(positionals[0]);
const browser = await launch(options.browser);
try {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.frameCount = 0;
    window.displayMs = 0;
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
      const started = performance.now();
      callback(time);
      window.displayMs += performance.now() - started;
      window.frameCount += 1;
    });
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await sleep(1500);
  await page.evaluate((presses) => {
    for (let i = 0; i < presses; i++) {
      const event = new KeyboardEvent("keydown", { key: "U", shiftKey: true });
      Object.defineProperty(event, "keyCode", { value: 85 });
      window.dispatchEvent(event);
    }
  }, Number(options.presses));
  await sleep(1500);  // past the first frames at the new size
  const before = await page.evaluate(() => [window.frameCount, window.displayMs]);
  await sleep(Number(options.seconds) * 1000);
  const after = await page.evaluate(() => [window.frameCount, window.displayMs]);
  const frames = after[0] - before[0];
  console.log(JSON.stringify({ fps: frames / Number(options.seconds),
                               displayMs: frames ? (after[1] - before[1]) / frames : null }));
} finally {
  await browser.close();
  server.close();
}
