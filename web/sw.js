// Keeps the game's files in the browser after the first visit, so that it
// starts with no network. A new build of the site brings a new sw.js (it
// names each file's SHA-256), which the browser installs beside the old one.
"use strict";
const build = "@PONDERINE_BUILD@";
const files = @PONDERINE_FILES@;
// Each copy of the site (a folder of its own: /3a/, /prova/) keeps its own
// files, and clears only its own older ones.
const prefix = "ponderine " + self.registration.scope + " ";
const cacheName = prefix + build;

const hex = bytes => Array.from(new Uint8Array(bytes), byte => byte.toString(16).padStart(2, "0")).join("");

// NAME as this build has it. Asked of the server, never taken from the
// browser's HTTP cache as still fresh: a server's default headers (no
// Cache-Control, only Last-Modified) let it keep an older build's file for
// days. What the page just downloaded comes back from that cache once the
// server says it has not changed, so a first visit downloads it once. Each
// file is checked against its hash, so that one of another build (a copy
// being replaced on the server, a proxy's old copy) is never kept.
async function fetchOfThisBuild(name) {
  const response = await fetch(name, { cache: "no-cache" });
  if (!response.ok)
    throw new Error(`${name}: ${response.status}`);
  if (hex(await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer())) !== files[name])
    throw new Error(`${name} is not of build ${build}`);
  return response;
}

// All or nothing: a failed install leaves the build before in place, and
// the browser tries again at its next check.
self.addEventListener("install", event => {
  event.waitUntil((async () => {
    const names = Object.keys(files);
    const responses = await Promise.all(names.map(fetchOfThisBuild));
    try {
      const cache = await caches.open(cacheName);
      await Promise.all(names.map((name, i) => cache.put(name, responses[i])));
      await cache.put("./", await cache.match("index.html"));
    } catch (error) {
      await caches.delete(cacheName);
      throw error;
    }
  })());
});

// A new build waits until a page asks it to take over: the page does so at
// the name prompt, never during a game (page.js).
self.addEventListener("message", event => {
  if (event.data === "ponderine-take")
    self.skipWaiting();
});

self.addEventListener("activate", event => {
  event.waitUntil(caches.keys()
    .then(names => Promise.all(names.filter(name => (name.startsWith(prefix) && name !== cacheName) ||
                                                    /^ponderine-[0-9a-f]{12}$/.test(name)) // before the copies had scopes
                                    .map(name => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The kept copy first, the network for anything else.
self.addEventListener("fetch", event => {
  if (event.request.method !== "GET")
    return;
  event.respondWith(caches.match(event.request, { cacheName, ignoreSearch: true })
    .then(kept => kept || fetch(event.request)));
});
