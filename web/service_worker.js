// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Keeps the page's files so that, once seen, it comes up without the
// network. The cache is named after the version: a new version's worker
// fills a cache of its own and drops the old one.
"use strict";

const CACHE = "tavrindole-@PROJECT_VERSION@";
const FILES = ["./", ..."@PAGE_FILES@".split(";")];  // the build's list of the page's files

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n !== CACHE).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then((kept) => kept ?? fetch(event.request)));
});
