// Links: a whole picture carried in a link's fragment. The fragment is this
// prefix, then the packed picture (the editor packs and unpacks it)
// compressed with raw deflate, in base64url without padding; palorin-cli
// link writes the same.

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

export async function makeLink(editor) {
  return base() + "#" + PREFIX + toBase64Url(await deflate(editor.packPicture()));
}

// Opens the picture a link's fragment holds as the native file it packs.
// A fragment that holds none reaches the editor as no bytes at all, so
// that the error box says what the editor says of any broken link, and
// the picture stays empty.
export async function openLink(page, fragment) {
  let packed = null;
  if (fragment.startsWith(PREFIX)) {
    const deflated = fromBase64Url(fragment.slice(PREFIX.length));
    if (deflated !== null) packed = await inflate(deflated);
  }
  packed = packed || new Uint8Array(0);
  // Written where the open path reads it, under the name it loads as.
  const name = "link.pln";
  const path = `/open/${name}`;
  const { M, editor } = page;
  try {
    if (editor.unpackTo(packed, path)) {
      page.files.openNamed([{ name, bytes: M.FS.readFile(path) }]);
    }
  } finally {
    if (M.FS.analyzePath(path).exists) M.FS.unlink(path);
  }
}

export function bindShare(page) {
  const shareLink = document.getElementById("ShareLink");
  document.getElementById("Share").addEventListener("click", async () => {
    const link = await makeLink(page.editor);
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
}
