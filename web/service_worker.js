// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Keeps the page's files so that, once seen, it comes up without the
// network. The cache is named after the version: a new version's worker
// fills a cache of its own and drops the old one.
"use strict";

const CACHE = "tavrindole-@PROJECT_VERSION@";
// The files the page draws with, from the build's list: the code and the
// favicon. The install icons stay out; the browser fetches them itself when
// a person installs the page.
const FILES = ["./", ..."@PAGE_FILES@".split(";")];

// Fetched past the browser's HTTP cache: a host may send the last version's
// files as fresh for hours (GitHub Pages for ten minutes), and a copy of
// those kept under this version's name would be served until the next one.
self.addEventListener("install", (event) => {
  const fresh = FILES.map((file) => new Request(file, { cache: "reload" }));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(fresh))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n !== CACHE).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// Cache first. What the install did not keep (an icon the browser fetches
// for the manifest) is kept as it comes, so an installed page finds it
// offline too.
self.addEventListener("fetch", (event) => {
  const { request } = event;
  event.respondWith(caches.match(request, { ignoreSearch: true }).then((kept) => kept ??
    fetch(request).then((response) => {
      if (request.method === "GET" && response.ok && response.type === "basic") {
        const copy = response.clone();
        event.waitUntil(caches.open(CACHE).then((cache) => cache.put(request, copy)));
      }
      return response;
    })));
});
