// The page's service worker: after one visit the page starts with no
// network. It keeps the page's files in a cache named by the build and
// serves them from there first.
//
// A new build's worker keeps nothing that is not that build's, byte for
// byte: every file is checked against the hash the build stamped here. A
// half-finished deploy (new files beside an old worker, or the other way
// round) fails the install, and the page stays on the build it had, with
// the old worker and its cache. Only a worker whose files all matched
// deletes older caches.
//
// The files come from the browser's own cache when it holds this build's
// (the page has just loaded them), so that a first visit downloads every
// file once; a stale copy there is fetched again from the server.
"use strict";

const BUILD = "@PALORIN_PAGE_BUILD@";
const CACHE = "palorin-" + BUILD;
// Each file kept, with the SHA-256 of its bytes as this build wrote them.
const FILES = {
@PALORIN_PAGE_FILES@};
const PAGE = "index.html";

// The address the page was opened with, when a window of it is open: its
// copy in the browser's cache is under that address (a query the page
// ignores included).
async function pageAddress() {
  const scope = new URL(self.registration.scope);
  const windows = await self.clients.matchAll({ type: "window", includeUncontrolled: true });
  for (const client of windows) {
    const url = new URL(client.url);
    url.hash = "";
    if (url.origin === scope.origin &&
        (url.pathname === scope.pathname || url.pathname === scope.pathname + PAGE)) {
      return url.href;
    }
  }
  return PAGE;
}

// One file of this build: the browser's copy if it is this build's, else
// the server's; a body that does not match the hash is refused (the fetch
// fails), as is anything but a plain 200.
async function take(address, integrity) {
  let why = "";
  for (const cache of ["force-cache", "reload"]) {
    try {
      const response = await fetch(new Request(address, { cache, integrity }));
      if (response.ok && !response.redirected) return response;
      why = `status ${response.status}`;
    } catch (e) {
      why = e.message;
    }
  }
  throw new Error(`${address} is not this build's file: ${why}`);
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const page = await pageAddress();
    const taken = await Promise.all(Object.entries(FILES).map(async ([file, integrity]) =>
      [file, await take(file === PAGE ? page : file, integrity)]));
    // Every file is this build's: only now is anything kept.
    const cache = await caches.open(CACHE);
    try {
      await Promise.all(taken.map(([file, response]) => cache.put(file, response)));
    } catch (e) {
      await caches.delete(CACHE);
      throw e;
    }
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

// The file a request asks for, when it is one kept: the page whatever its
// query (the files it links) or fragment (the picture a link carries);
// other files of the folder, such as the pictures a query names, and any
// file asked for with a query, come from the network.
function keptFile(request) {
  if (request.method !== "GET") return null;
  const url = new URL(request.url);
  const scope = new URL(self.registration.scope);
  if (url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return null;
  const path = url.pathname.slice(scope.pathname.length);
  if (request.mode === "navigate") return path === "" || path === PAGE ? PAGE : null;
  return url.search === "" && Object.hasOwn(FILES, path) ? path : null;
}

self.addEventListener("fetch", (event) => {
  const file = keptFile(event.request);
  if (file === null) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    return (await cache.match(file)) || fetch(event.request);
  })());
});
