// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The page served on 127.0.0.1 and opened in Debian's browsers, headless:
// shared by the page's test and its benchmark.

import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

import puppeteer from "puppeteer-core";

import { launchWebKit } from "./webkit.mjs";

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".png": "image/png", ".webmanifest": "application/manifest+json" };

// The policy a careful host may send: nothing but the page's own files,
// WebAssembly compiled from them and inline style.
export const STRICT_CSP =
  "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self' 'unsafe-inline'";

// Serves the page's files from server.dir (dir to begin with, which a test
// may change for a new version's) with the headers given; any report of a
// violated security policy, POSTed to /csp-report, is kept in
// server.violations. Resolves to the server once it listens.
export function serve(dir, headers = {}) {
  const server = http.createServer((request, response) => {
    if (request.method === "POST" && request.url === "/csp-report") {
      let body = "";
      request.on("data", (chunk) => { body += chunk; });
      request.on("end", () => { server.violations.push(body); response.writeHead(204).end(); });
      return;
    }
    const name = new URL(request.url, "http://page").pathname.slice(1) || "index.html";
    const file = path.join(server.dir, path.basename(name));
    const type = TYPES[path.extname(file)];
    if (!type || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": type, ...headers });
    fs.createReadStream(file).pipe(response);
  });
  Object.assign(server, { dir, violations: [] });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// Headless, the browsers need no display; Chromium even loses WebGL when
// DISPLAY names an X server that has gone, so they are not told of one.
const { DISPLAY, WAYLAND_DISPLAY, ...environment } = process.env;

const BROWSERS = {
  chromium: {
    browser: "chrome", executablePath: "/usr/bin/chromium", env: environment,
    // SwiftShader draws WebGL here; the rest keeps Chromium off the network.
    args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--no-first-run"],
  },
  firefox: {
    browser: "firefox", executablePath: "/usr/bin/firefox-esr",
    // Headless, Firefox gives WebGL only when told to; it draws with Mesa.
    extraPrefsFirefox: { "webgl.force-enabled": true },
    env: { ...environment, MOZ_WEBGL_FORCE_EGL: "1" },
  },
};

// Firefox will not run as root in a HOME that another user owns, as a CI
// container's is (the runner's user owns it); it keeps nothing there under
// a test, so it gets an empty HOME of its own, removed when the test ends.
let home = null;
function firefoxHome() {
  if (!home) {
    home = fs.mkdtempSync(path.join(os.tmpdir(), "tavrindole-firefox-home-"));
    process.on("exit", () => fs.rmSync(home, { recursive: true, force: true }));
  }
  return home;
}

// Starts "chromium" or "firefox" headless, or WebKit's MiniBrowser in an X
// server of its own, with a page of width x height CSS pixels. Given a
// ratio, the browser runs as on a screen of that scale factor (Chromium's
// --force-device-scale-factor, Firefox's layout.css.devPixelsPerPx), in a
// window of that size, not in an emulated viewport.
export function launch(name, width = 1280, height = 720, ratio = 0) {
  if (name === "webkit") return launchWebKit(width, height);
  const settings = { ...BROWSERS[name], headless: true, defaultViewport: { width, height } };
  if (name === "firefox") settings.env = { ...settings.env, HOME: firefoxHome() };
  if (ratio && name === "chromium") {
    settings.args = [...settings.args, `--force-device-scale-factor=${ratio}`,
                     `--window-size=${width},${height}`];
  } else if (ratio) {
    settings.extraPrefsFirefox = { ...settings.extraPrefsFirefox,
                                   "layout.css.devPixelsPerPx": String(ratio) };
    settings.args = ["--width", String(width), "--height", String(height)];
  }
  if (ratio) settings.defaultViewport = null;
  return puppeteer.launch(settings);
}
