// The page's start: the editor compiled to WebAssembly, bound to the windows
// the build wrote into the page; then what the page was opened with (linked
// files, a link's picture, the kept copy); and the page as an app that
// installs, starts with no network (sw.js) and opens the files the system
// hands it.
import { loadModule, newEditor } from "./api.js";
import { createBoxes } from "./boxes.js";
import { bindControls } from "./controls.js";
import { useFormFace } from "./face.js";
import { createFiles } from "./files.js";
import { createHistory } from "./history.js";
import { createKept } from "./kept.js";
import { bindKeys } from "./keys.js";
import { bindShare, openLink } from "./link.js";
import { createView } from "./view.js";

// The bytes of a file the page's own folder holds, or null when it cannot
// be fetched (the load then reports it as any missing file).
async function fetchOwn(url) {
  if (url.origin !== location.origin) return null;
  try {
    const r = await fetch(url);
    return r.ok ? new Uint8Array(await r.arrayBuffer()) : null;
  } catch (e) {
    console.warn("fetch:", e.message);
    return null;
  }
}

// The files a `?file=` link names. A name the page cannot take as a file of
// its own folder (bad percent-encoding, a folder in it) reaches the load as
// a file that cannot be opened, under the name as the link writes it.
async function linkedFiles() {
  const files = [];
  for (const link of new URLSearchParams(location.search).getAll("file")) {
    let url = null, name = "";
    try {
      url = new URL(link, location.href);
      name = decodeURIComponent(url.pathname.slice(url.pathname.lastIndexOf("/") + 1));
    } catch (e) {
      url = null;
    }
    const usable = url !== null && name !== "" && !name.includes("/");
    files.push(usable ? { name, bytes: await fetchOwn(url) }
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
    keepCopy: (text) => page.kept.keep(text),
  };
  // A new editor in place of the one there is, as the page starts.
  page.newEditor = () => {
    page.kept.stopTimer();
    if (page.editor) page.editor.delete();
    page.editor = newEditor(M, host);
    page.view.show();
  };

  useFormFace(M);
  bindControls(page);
  bindKeys(page);
  bindShare(page);
  page.newEditor();

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

  const files = await linkedFiles();
  if (files.length > 0) {
    page.kept.forgetEnd();
    page.files.openNamed(files);
  }
  const fragment = location.hash.slice(1);
  if (fragment !== "") {
    await openLink(page, fragment);
  } else if (files.length === 0) {
    page.kept.startFromCopy();
  }

  // A link pasted into the address bar of an open page changes only the
  // fragment: it opens as a link does, in a fresh editor.
  window.addEventListener("hashchange", () => location.reload());
  // Files the system opened with the installed app go the way dropped files go.
  if ("launchQueue" in window) {
    window.launchQueue.setConsumer(async (params) => {
      if (!params.files || params.files.length === 0) return;
      const handed = await Promise.all(params.files.map((handle) => handle.getFile()));
      page.files.openNamed(await page.files.bytesOf(handed));
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
