// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// WebKit, Safari's engine: Debian's WebKitGTK MiniBrowser in a private Xvfb,
// driven over WebDriver with plain fetch, behind the few page calls the
// page's test makes (puppeteer drives only Chromium and Firefox).

import { spawn } from "node:child_process";
import fs from "node:fs";
import net from "node:net";

const MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
const WEBDRIVER_KEYS = { Shift: "\uE008", ArrowLeft: "\uE012", ArrowUp: "\uE013",
                         ArrowRight: "\uE014", ArrowDown: "\uE015", Equal: "=", Minus: "-" };
const keyValue = (name) => WEBDRIVER_KEYS[name] ?? name.replace(/^Key/, "").toLowerCase();

const freePort = () => new Promise((resolve) => {
  const server = net.createServer().listen(0, "127.0.0.1", () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  });
});

// Waits for a condition, polled, until a deadline.
async function until(condition, what, seconds = 60) {
  for (const deadline = Date.now() + seconds * 1000; Date.now() < deadline;) {
    const value = await condition().catch(() => null);
    if (value) return value;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error(`${what} within ${seconds} s`);
}

class WebKitPage {
  constructor(endpoint, processes) {
    this.endpoint = endpoint;
    this.processes = processes;
    this.keyboard = {
      down: (name) => this.keys([{ type: "keyDown", value: keyValue(name) }]),
      up: (name) => this.keys([{ type: "keyUp", value: keyValue(name) }]),
      press: (name) => this.keys(["keyDown", "keyUp"].map((type) => ({ type, value: keyValue(name) }))),
    };
  }

  async call(method, route, body) {
    const response = await fetch(`${this.endpoint}${route}`, {
      method, body: body && JSON.stringify(body), headers: { "Content-Type": "application/json" } });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${route}: ${value.message}`);
    return value;
  }

  keys(actions) {
    return this.call("POST", "/actions", { actions: [{ type: "key", id: "keys", actions }] });
  }

  // Errors are caught by a listener the page gets at each load: WebDriver
  // here gives no console.
  async goto(url) {
    await this.call("POST", "/url", { url });
    await this.evaluate(() => {
      window.pageErrors = [];
      addEventListener("error", (event) => window.pageErrors.push(event.message));
      addEventListener("unhandledrejection", (event) => window.pageErrors.push(`${event.reason}`));
    });
  }

  errors() { return this.evaluate(() => window.pageErrors); }
  title() { return this.call("GET", "/title"); }
  on() {}

  evaluate(fn, ...args) {
    return this.call("POST", "/execute/sync", { script: `return (${fn})(...arguments)`, args });
  }

  async screenshot({ path }) {
    fs.writeFileSync(path, Buffer.from(await this.call("GET", "/screenshot"), "base64"));
  }

  // The window is sized so that the page, below MiniBrowser's toolbar, gets
  // the size asked for.
  async setViewport({ width, height }) {
    let [w, h] = [width, height];
    for (let i = 0; i < 3; i++) {
      await this.call("POST", "/window/rect", { width: w, height: h });
      const [inner, innerH] = await this.evaluate(() => [innerWidth, innerHeight]);
      if (inner === width && innerH === height) return;
      [w, h] = [w + width - inner, h + height - innerH];
    }
    throw new Error(`no ${width}x${height} page in MiniBrowser`);
  }

  async close() {
    await this.call("DELETE", "").catch(() => {});  // before the driver goes
    for (const child of this.processes) process.kill(-child.pid, "SIGTERM");
  }
}

// MiniBrowser with a page of width x height, in an X server of its own: a
// browser of one page.
export async function launchWebKit(width, height) {
  const xvfb = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1920x1200x24", "-nolisten", "tcp"],
                     { stdio: ["ignore", "ignore", "ignore", "pipe"], detached: true });
  let display = "";
  xvfb.stdio[3].on("data", (data) => { display += data; });
  await until(() => Promise.resolve(display.includes("\n")), "no X display");
  const port = await freePort();
  // On IPv4's loopback alone: by default the driver also listens on IPv6's,
  // and gives up where there is none, as in a container.
  const driver = spawn("WebKitWebDriver", [`--port=${port}`, "--host=127.0.0.1"], {
    stdio: "ignore", detached: true, env: { ...process.env, DISPLAY: `:${display.trim()}` } });
  const base = `http://127.0.0.1:${port}`;
  try {
    await until(() => fetch(`${base}/status`).then((r) => r.json()).then((s) => s.value.ready),
                "WebKitWebDriver not ready");
    const session = await new WebKitPage(base, []).call("POST", "/session", { capabilities: {
      alwaysMatch: { "webkitgtk:browserOptions": { binary: MINIBROWSER, args: ["--automation"] } } } });
    const page = new WebKitPage(`${base}/session/${session.sessionId}`, [driver, xvfb]);
    await page.setViewport({ width, height });
    return { newPage: async () => page, close: () => page.close() };
  } catch (error) {
    // Whatever started goes, or the X server's pipe keeps the test alive.
    for (const child of [driver, xvfb]) {
      try {
        process.kill(-child.pid, "SIGTERM");
      } catch {}
    }
    xvfb.stdio[3].destroy();
    throw error;
  }
}
