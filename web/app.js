// The page as an app: it installs and starts with no network (sw.js), opens
// the files the system hands it, and carries a whole picture in a link.
// What it opens goes through the page's own open path (page.js), so the
// windows' handlers load it as they load a chosen file.
"use strict";

(() => {
  // A link's fragment: this prefix, then the packed picture compressed with
  // raw deflate, in base64url without padding. palorin-cli link writes the
  // same.
  const PREFIX = "p1.";
  // Far above the largest packed picture (three bytes for each of 10001
  // entries and a few of header): a fragment that inflates past it holds
  // no picture, however much it would inflate to.
  const MAX_PACKED = 1 << 16;

  const ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

  function toBase64Url(bytes) {
    let out = "";
    for (let i = 0; i < bytes.length; i += 3) {
      const n = (bytes[i] << 16) | ((bytes[i + 1] || 0) << 8) | (bytes[i + 2] || 0);
      const chars = Math.min(4, Math.ceil(((bytes.length - i) * 8) / 6));
      for (let c = 0; c < chars; ++c) out += ALPHABET[(n >> (18 - 6 * c)) & 63];
    }
    return out;
  }

  // The bytes, or null for a text that is not base64url without padding.
  function fromBase64Url(text) {
    if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1) return null;
    const out = new Uint8Array(Math.floor((text.length * 6) / 8));
    let buffer = 0, bits = 0, at = 0;
    for (const ch of text) {
      buffer = ((buffer << 6) | ALPHABET.indexOf(ch)) & 0xffffff;
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        out[at++] = (buffer >> bits) & 0xff;
      }
    }
    return out;
  }

  async function deflate(bytes) {
    const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream("deflate-raw"));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  // The inflated bytes, or null for data that is not one whole raw-deflate
  // stream or inflates past MAX_PACKED.
  async function inflate(bytes) {
    const reader = new Blob([bytes]).stream()
      .pipeThrough(new DecompressionStream("deflate-raw")).getReader();
    const chunks = [];
    let size = 0;
    try {
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        size += value.length;
        if (size > MAX_PACKED) {
          reader.cancel().catch(() => {});
          return null;
        }
        chunks.push(value);
      }
    } catch (e) {
      return null;  // cut short, or not deflate at all
    }
    const out = new Uint8Array(size);
    let at = 0;
    for (const c of chunks) {
      out.set(c, at);
      at += c.length;
    }
    return out;
  }

  // The page's own address, which every link it makes starts with.
  const base = () => location.href.split(/[?#]/)[0];

  function start(page) {
    const M = page.module;
    const $ = (id) => document.getElementById(id);

    async function makeLink() {
      const ptr = M._palorin_pack_picture();
      const packed = M.HEAPU8.slice(ptr, ptr + M._palorin_packed_size());
      return base() + "#" + PREFIX + toBase64Url(await deflate(packed));
    }

    // Opens the picture a link's fragment holds as the native file it packs.
    // A fragment that holds none reaches the editor as no bytes at all, so
    // that the error box says what the editor says of any broken link, and
    // the picture stays empty.
    async function openLink(fragment) {
      let packed = null;
      if (fragment.startsWith(PREFIX)) {
        const deflated = fromBase64Url(fragment.slice(PREFIX.length));
        if (deflated !== null) packed = await inflate(deflated);
      }
      packed = packed || new Uint8Array(0);
      const path = page.place("link.pln", null);
      const data = packed.length > 0 ? M._palorin_alloc(packed.length) : 0;
      if (packed.length > 0 && data === 0) throw new Error("the link does not fit in the page's memory");
      if (data !== 0) M.HEAPU8.set(packed, data);
      const { ok } = page.run(() => M.UTF8ToString(
        M._palorin_unpack_to(data, packed.length, page.text(path))));
      if (ok) {
        page.loadAll([path]);
      } else {
        M.FS.rmdir(path.slice(0, path.lastIndexOf("/")));
      }
    }

    const shareLink = $("ShareLink");
    $("Share").addEventListener("click", async () => {
      const link = await makeLink();
      shareLink.value = link;
      shareLink.select();
      // Where the browser refuses the clipboard the link is still in the
      // field, selected, for the user to copy.
      try {
        await navigator.clipboard.writeText(link);
      } catch (e) {
        console.warn("clipboard:", e.message);
      }
    });

    // A link pasted into the address bar of an open page changes only the
    // fragment: it opens as a link does, in a fresh editor.
    window.addEventListener("hashchange", () => location.reload());

    // Files the system opened with the installed app go the way chosen files go.
    if ("launchQueue" in window) {
      window.launchQueue.setConsumer(async (params) => {
        if (!params.files || params.files.length === 0) return;
        const files = await Promise.all(params.files.map((handle) => handle.getFile()));
        await page.openFiles(files);
      });
    }

    if ("serviceWorker" in navigator) {
      navigator.serviceWorker.register("sw.js").catch((e) =>
        console.warn("service worker:", e.message));
    }

    const fragment = location.hash.slice(1);
    return fragment !== "" ? openLink(fragment) : Promise.resolve();
  }

  window.palorinApp = { start };
})();
