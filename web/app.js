// The page's start: the editor compiled to WebAssembly, bound to the windows
// the build wrote into the page; then what the page was opened with (linked
// files, a link's picture, the kept copy); and the page as an app that
// installs, starts with no network (sw.js) and opens the files the system
// hands it.
import { loadModule, newEditor, nextTask } from "./api.js";
import { createBoxes } from "./boxes.js";
import { bindControls } from "./controls.js";
import { useFormFace } from "./face.js";
import { createFiles, plainName } from "./files.js";
import { createHistory } from "./history.js";
import { createKept } from "./kept.js";
import { bindKeys } from "./keys.js";
import { bindShare, openLink } from "./link.js";
import { keepSnapshot } from "./snapshots.js";
import { createView } from "./view.js";

// The bytes of a file the page's own folder holds, or null when it cannot
// be fetched (the load then reports it as any missing file).
async function fetchOwn(url, most) {
  if (url.origin !== location.origin) return null;
  try {
    const r = await fetch(url);
    // A file larger than the editor reads is refused by the size the
    // server gives, before its bytes are fetched; one without a size, by
    // the bytes it turns out to have.
    if (!r.ok || Number(r.headers.get("Content-Length") ?? 0) > most) {
      r.body?.cancel().catch(() => {});
      return null;
    }
    const bytes = new Uint8Array(await r.arrayBuffer());
    return bytes.length > most ? null : bytes;
  } catch (e) {
    console.warn("fetch:", e.message);
    return null;
  }
}

// The files a `?file=` link names, each a file of the page's folder or one
// below it. A link whose last part is no plain file name ("", ".", "..", a
// control character), or names another file once read as an address (a "?"
// or "#" in it, spaces around it, bad percent-encoding) reaches the load as
// a file that cannot be opened, under the name as the link writes it: never
// the page itself, or a folder, read as a picture.
async function linkedFiles(links, most) {
  const files = [];
  for (const link of links) {
    const written = link.slice(link.lastIndexOf("/") + 1);
    let url = null, name = "";
    try {
      url = new URL(link, location.href);
      name = decodeURIComponent(url.pathname.slice(url.pathname.lastIndexOf("/") + 1));
    } catch (e) {
      url = null;
    }
    const usable = url !== null && plainName(written) && name === written;
    files.push(usable ? { name, bytes: await fetchOwn(url, most) }
                      : { name: link || "file", bytes: null });
  }
  return files;
}

async function start() {
  const M = await loadModule();
  const page = { M, editor: null, actions: M.actions() };
  page.boxes = createBoxes(page);
  page.view = createView(page);
  page.history = createHistory(page);
  page.kept = createKept(page);
  page.files = createFiles(page);

  // The editor's shell: what the session asks of the page.
  const host = {
    refresh: () => page.view.show(),
    showError: (text) => page.boxes.showError(text),
    copyRgba: (bytes, width, height) => copyPicture(page, bytes.slice(), width, height),
    raiseFileWindow: () => page.view.raiseFileWindow(),
    ended: () => page.kept.ended(),
    askFileName: (ask) => page.files.askFileName(ask),
    startRecoveryTimer: (ms) => page.kept.startTimer(ms),
    keepCopy: (kept) => page.kept.keep(kept),
    keepSnapshot: (kept, most) => keepSnapshot(kept, most),
  };
  // A new editor in place of the one there is, as the page starts.
  page.newEditor = () => {
    page.kept.stopTimer();
    if (page.editor) page.editor.delete();
    page.editor = newEditor(M, host);
    page.view.show();
  };

  // The first editor in a task of its own; the windows take input and
  // show it in the next.
  await nextTask();
  page.editor = newEditor(M, host);
  await nextTask();
  useFormFace(M);
  bindControls(page);
  bindKeys(page);
  bindShare(page);
  page.view.show();

  // For programs that drive the page (the tests): everything both windows
  // hold, as the desktop and palorin-cli print it; files opened by name and
  // bytes (null bytes: a file that cannot be read), and the open dialog
  // answered with such files; what became of saves; the error box's queue.
  window.palorin = {
    stateLine: () => page.editor.stateLine(),
    openFiles: (files) => page.files.openNamed(files),
    answerOpen: (files) => page.files.answerChosen(files),
    asking: () => page.editor.asking(),
    downloads: () => page.files.counts.downloads,
    writtenBack: () => page.files.counts.writtenBack,
    opened: () => page.files.counts.opened,
    errorsQueued: () => page.boxes.queued(),
    layout: () => M.layout(),
    cursor: () => page.editor.cursor(),
  };

  // What the address opens: files by ?file=, then a picture in the
  // fragment; else the kept copy. Whatever goes wrong opening them, the
  // page goes on to its links, the files the system hands over and its
  // worker.
  const named = new URLSearchParams(location.search).getAll("file");
  const fragment = location.hash.slice(1);
  const link = named.length > 0 || fragment !== "" ? location.search + location.hash : null;
  try {
    await page.kept.start(link, async () => {
      const files = await linkedFiles(named, M.maxFileBytes());
      if (files.length > 0) page.files.openNamed(files);
      if (fragment !== "") await openLink(page, fragment);
    });
  } catch (e) {
    console.error("opening what the address names:", e);
  }

  // A link pasted into the address bar of an open page changes only the
  // fragment: it opens as a link does, in a fresh editor.
  window.addEventListener("hashchange", () => location.reload());
  // Files the system opened with the installed app go the way dropped files go.
  if ("launchQueue" in window) {
    window.launchQueue.setConsumer(async (params) => {
      if (!params.files || params.files.length === 0) return;
      page.files.openNamed(await page.files.handedFiles(params.files));
    });
  }
  if ("serviceWorker" in navigator) {
    navigator.serviceWorker.register("sw.js").catch((e) =>
      console.warn("service worker:", e.message));
  }
}

// The picture to the clipboard. A browser without the clipboard, or one
// that refuses it (no permission, the page not focused), gets the error
// box: a copy that silently did not happen would look like one that did.
function copyPicture(page, bytes, width, height) {
  const c = document.createElement("canvas");
  c.width = width;
  c.height = height;
  const picture = new ImageData(new Uint8ClampedArray(bytes.buffer), width, height);
  c.getContext("2d").putImageData(picture, 0, 0);
  const refused = (e) => {
    if (e) console.warn("clipboard:", e.message);
    page.boxes.showError(page.M.clipRefusedText());
  };
  c.toBlob((png) => {
    if (!png || !navigator.clipboard || typeof ClipboardItem === "undefined") return refused();
    navigator.clipboard.write([new ClipboardItem({ "image/png": png })]).catch(refused);
  }, "image/png");
}

start()
  .catch((e) => console.error("the page did not start:", e))
  .finally(() => (document.documentElement.dataset.palorin = "ready"));
