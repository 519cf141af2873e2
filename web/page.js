// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The page round the program: a canvas with a pixel for every device pixel,
// the keys whatever the browser and layout, touch gestures that press the
// same keys, a hint of the controls, a service worker that keeps the page
// for offline use, and a plain message where WebGL is missing.
"use strict";

const canvas = document.getElementById("canvas");
const hint = document.getElementById("hint");

// The ribbon fills the window at the screen's own resolution: the program's
// reshape gets device pixels, and since the shorter side always shows 200
// scene units the picture is the same, only sharp. The backing store is the
// canvas's box in device pixels, the one size the browser draws 1:1, as the
// browser itself measures it: at a pixel ratio such as 1.25 or 2.625 the box
// lies at fractional CSS pixels, and a rounded product of the window's size
// and the ratio misses it by a pixel, which blurs every slice. The observer
// follows whatever changes the box: the window, the ratio (another screen,
// a zoom), a phone's toolbar sliding away without a resize event. Where the
// browser does not measure in device pixels (Safari), the CSS box times the
// ratio.
let running = false;
function fit([entry]) {
  const device = entry.devicePixelContentBoxSize?.[0];
  const size = device ? [device.inlineSize, device.blockSize]
    : [entry.contentRect.width, entry.contentRect.height].map((v) => Math.round(v * devicePixelRatio));
  if (running) Module.setCanvasSize(...size);
  else [canvas.width, canvas.height] = size;  // the main loop hands it to reshape first
}
const observer = new ResizeObserver(fit);
try {
  observer.observe(canvas, { box: "device-pixel-content-box" });
} catch {
  observer.observe(canvas);
}
var Module = { canvas, postRun: [() => { running = true; }] };  // eslint-disable-line no-var

// The toolkit reads a key's code alone, and the codes of "+" and "-" differ
// between browsers (Firefox's main keyboard gives 61 and 173) and layouts
// (a German "+" has a key of its own). So the character decides: "+" and
// "-" reach it as the numeric keypad's codes, which it reads as "+" and "-".
const KEYPAD = { "+": 107, "-": 109 };
for (const type of ["keydown", "keyup"]) {
  addEventListener(type, (event) => {
    if (Object.hasOwn(KEYPAD, event.key)) {
      Object.defineProperty(event, "keyCode", { value: KEYPAD[event.key] });
    }
  }, true);
}

// A browser grants full screen only to a gesture: a double-click asks.
canvas.addEventListener("dblclick", () => canvas.requestFullscreen?.().catch(() => {}));

const KEYS_HINT = "space: spin · arrows: turn · U / D: turns · + / −: slices";
const TOUCH_HINT = "tap: spin · drag: turn · pinch: turns · two fingers up / down: slices";
function showHint(text) {
  hint.textContent = text;
  hint.classList.remove("shown");
  void hint.offsetWidth;  // restarts the fade
  hint.classList.add("shown");
}

// Touch presses the keys: a tap the space bar, a drag the arrows, a pinch
// "U" and "D", a two-finger drag "+" and "-". The toolkit's own touch
// handling (a mouse it does not use) never sees the touches.
const STEP = 24;    // CSS pixels of travel a press
const PINCH = 1.2;  // change of the fingers' distance a press
const KEY = { left: [37], up: [38], right: [39], down: [40], space: [32],
              turnMore: [85, true], turnLess: [68, true], slicesMore: [107], slicesLess: [109] };
function press([keyCode, shiftKey = false]) {
  for (const type of ["keydown", "keyup"]) {
    const event = new KeyboardEvent(type, { shiftKey });
    Object.defineProperty(event, "keyCode", { value: keyCode });
    dispatchEvent(event);
  }
}
// Presses `less` or `more` once for every `step` that `value` has moved
// from `mark`; returns the new mark.
function steps(value, mark, step, less, more) {
  for (; value - mark >= step; mark += step) press(more);
  for (; mark - value >= step; mark -= step) press(less);
  return mark;
}

const fingers = new Map();  // pointerId -> {x, y}
let gesture = null;         // what the fingers on the screen are doing
let touched = false;
function centre() {
  const [a, b] = [...fingers.values()];
  return { x: (a.x + b.x) / 2, y: (a.y + b.y) / 2, d: Math.hypot(a.x - b.x, a.y - b.y) };
}
function touchDown(event) {
  if (!touched) showHint(TOUCH_HINT);
  touched = true;
  fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
  if (fingers.size === 1) gesture = { size: 1, x: event.clientX, y: event.clientY, tap: true };
  if (fingers.size === 2) gesture = { size: 2, ...centre(), pinch: Math.log(centre().d) };
}
function touchMove(event) {
  if (!fingers.has(event.pointerId)) return;
  fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
  if (fingers.size !== gesture.size) return;
  if (gesture.size === 1) {
    const { x, y } = fingers.values().next().value;
    if (Math.hypot(x - gesture.x, y - gesture.y) > 10) gesture.tap = false;
    if (gesture.tap) return;
    gesture.x = steps(x, gesture.x, STEP, KEY.left, KEY.right);
    gesture.y = steps(y, gesture.y, STEP, KEY.up, KEY.down);
  } else {
    const c = centre();
    gesture.pinch = steps(Math.log(c.d), gesture.pinch, Math.log(PINCH), KEY.turnLess, KEY.turnMore);
    gesture.y = steps(c.y, gesture.y, STEP, KEY.slicesMore, KEY.slicesLess);
  }
}
function touchUp(event) {
  if (!fingers.delete(event.pointerId)) return;
  if (event.type === "pointerup" && gesture.size === 1 && gesture.tap) press(KEY.space);
  if (fingers.size === 0) gesture = null;
}
for (const [type, handle] of [["pointerdown", touchDown], ["pointermove", touchMove],
                              ["pointerup", touchUp], ["pointercancel", touchUp]]) {
  canvas.addEventListener(type, (event) => event.pointerType === "touch" && handle(event));
}
for (const type of ["touchstart", "touchmove", "touchend"]) {
  addEventListener(type, (event) => event.stopImmediatePropagation(), { capture: true, passive: true });
}

// Where WebGL is missing, a plain message instead of the program.
if (document.createElement("canvas").getContext("webgl")) {
  const touchFirst = navigator.maxTouchPoints > 0 || matchMedia("(pointer: coarse)").matches;
  showHint(touchFirst ? TOUCH_HINT : KEYS_HINT);
  const program = document.createElement("script");
  program.src = "tavrindole.js";
  document.body.append(program);
} else {
  const message = document.createElement("p");
  message.className = "needs";
  message.textContent = "Tavrindole draws its ribbon with WebGL, which this browser does not " +
    "offer or has turned off. Turn on WebGL (hardware acceleration), or try another browser.";
  document.body.append(message);
}

// Once the page has been seen, it comes up without the network too.
navigator.serviceWorker?.register("service_worker.js").catch(() => {});
