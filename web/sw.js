// The page's service worker: after one visit the page starts with no
// network. It keeps the page's files in a cache named by the build, serves
// them from there first, and a newer build's worker replaces the cache.
"use strict";

const BUILD = "@PALORIN_PAGE_BUILD@";
const CACHE = "palorin-" + BUILD;
const FILES = [
  "./",
@PALORIN_PAGE_FILES@];

self.addEventListener("install", (event) => {
  // Fetched past the browser's own cache, so that the files kept are this
  // build's and not an older build's that the browser still held.
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    await cache.addAll(FILES.map((f) => new Request(f, { cache: "reload" })));
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith("palorin-") && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  // The page is the same whatever its query (the files it links) or
  // fragment (the picture a link carries); other files, such as the
  // pictures a query names, come from the network.
  const page = request.mode === "navigate";
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(request, { ignoreSearch: page });
    return kept || fetch(request);
  })());
});
