// Keeps the game's files in the browser after the first visit, so that it
// starts with no network. A new build has a new name here, so the browser
// installs it anew and drops the old files.
"use strict";
const cacheName = "ponderine-@PONDERINE_BUILD@";
const files = ["./", "index.html", "a11y.js", "qtloader.js", "ponderine.js", "ponderine.wasm",
               "manifest.webmanifest", "icon-192.png", "icon-512.png"];

self.addEventListener("install", event => {
  event.waitUntil(caches.open(cacheName).then(cache => cache.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", event => {
  event.waitUntil(caches.keys()
    .then(names => Promise.all(names.filter(name => name.startsWith("ponderine-") && name !== cacheName)
                                    .map(name => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The kept copy first, the network for anything else.
self.addEventListener("fetch", event => {
  if (event.request.method !== "GET")
    return;
  event.respondWith(caches.open(cacheName)
    .then(cache => cache.match(event.request, { ignoreSearch: true }))
    .then(kept => kept || fetch(event.request)));
});
