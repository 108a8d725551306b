// The service worker: after the first visit, Quorvix loads and plays with no network.
//
// It keeps this version's files in a cache of its own, filled when it is installed (the page hands
// it the large files it has just downloaded, in the cache HANDED_OVER), and serves them from there: every file but the page carries a hash of its content in its name, so a copy is
// always right. The page itself is asked of the network first, so that a new version is seen as
// soon as it is published, and served from the cache only when the network fails. Once a new
// version's worker has its files, it takes over and deletes the older versions' caches.
'use strict';

// This version's files, by the names they are published under (written in when the site is
// built); index.html is kept as the page's own address, the worker's scope.
const FILES = /* files */ [];
const CACHE = `quorvix-${FILES.filter((name) => name !== 'index.html').join(' ')}`;
const HANDED_OVER = 'quorvix-downloads';
const PAGE = new URL('./', self.location).href;
const urlOf = (name) => new URL(name === 'index.html' ? './' : name, self.location).href;

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    const handed = await caches.open(HANDED_OVER);
    await Promise.all(FILES.map(async (name) => {
      // The page has just downloaded these files: a copy in the browser's own cache will do, as
      // their content never changes under their names. The page is checked with the server.
      const response = (await handed.match(urlOf(name))) ||
        (await fetch(urlOf(name), { cache: name === 'index.html' ? 'no-cache' : 'force-cache' }));
      if (!response.ok) {
        throw new Error(`${name}: HTTP ${response.status}`);
      }
      await cache.put(urlOf(name), response);
    }));
    await caches.delete(HANDED_OVER);
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('quorvix-') && name !== CACHE) {
        await caches.delete(name);
      }
    }
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET') {
    return;
  }
  if (request.mode === 'navigate') {
    event.respondWith(fetch(request).catch(async () => (await caches.match(PAGE, { cacheName: CACHE })) || Response.error()));
    return;
  }
  const url = request.url.split('#')[0];
  if (FILES.some((name) => urlOf(name) === url)) {
    event.respondWith((async () => (await caches.match(url, { cacheName: CACHE })) || fetch(request))());
  }
});
