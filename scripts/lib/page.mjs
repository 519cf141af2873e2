// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The page served on 127.0.0.1 and opened in Debian's browsers, headless:
// shared by the page's test and its benchmark.

import fs from "node:fs";
import http from "node:http";
import path from "node:path";

import puppeteer from "puppeteer-core";

import { launchWebKit } from "./webkit.mjs";

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".png": "image/png", ".webmanifest": "application/manifest+json" };

// Serves the page's files from dir; resolves to the server once it listens.
export function serve(dir) {
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://page").pathname.slice(1) || "index.html";
    const file = path.join(dir, path.basename(name));
    const type = TYPES[path.extname(file)];
    if (!type || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": type });
    fs.createReadStream(file).pipe(response);
  });
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

// Starts "chromium" or "firefox" headless, or WebKit's MiniBrowser in an X
// server of its own, with a page of width x height.
export function launch(name, width = 1280, height = 720) {
  if (name === "webkit") return launchWebKit(width, height);
  return puppeteer.launch({ ...BROWSERS[name], headless: true,
                            defaultViewport: { width, height } });
}
