// Links: a whole picture carried in a link's fragment. The fragment's
// format is the editor's (its prefix, base64url, the checksum, the packed
// picture: fileio/share_link.h), the very one palorin-cli link writes; the
// page only compresses and expands the packed picture, with the browser's
// own raw-deflate streams.

async function deflate(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream("deflate-raw"));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The inflated bytes, or null for data that is not one whole raw-deflate
// stream or inflates past `most` bytes: the stream is cancelled there,
// however much more it would give.
async function inflate(bytes, most) {
  const reader = new Blob([bytes]).stream()
    .pipeThrough(new DecompressionStream("deflate-raw")).getReader();
  const chunks = [];
  let size = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      size += value.length;
      if (size > most) {
        reader.cancel().catch(() => {});
        return null;
      }
      chunks.push(value);
    }
  } catch (e) {
    return null;  // cut short, bytes after its end, or not deflate at all
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

export async function makeLink(M, editor) {
  return base() + "#" + M.linkFragment(await deflate(editor.packPicture()));
}

// The packed picture a fragment carries, or null when it holds none. A
// fragment longer than any picture's is refused by its length alone.
async function packedOf(M, fragment) {
  if (fragment.length > M.maxFragmentChars()) return null;
  const payload = M.readLinkFragment(fragment);
  return payload === null ? null : inflate(payload.compressed, M.maxPackedBytes());
}

// Opens the picture a link's fragment holds as the native file it packs.
// A fragment that holds none gets the editor's error box for a broken link
// and the picture stays empty.
export async function openLink(page, fragment) {
  const packed = await packedOf(page.M, fragment);
  const { M, editor } = page;
  if (packed === null) {
    editor.refuseLink();
    return;
  }
  // Written where the open path reads it, under the name it loads as.
  const name = "link.pln";
  const path = `/open/${name}`;
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
    const link = await makeLink(page.M, page.editor);
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
