// The kept copy: what End leaves, and what a reload comes back to. The
// editor decides when the picture is kept (its recovery timing) and hands
// it over as the native file a save would write; the page keeps it in the
// browser's storage. A page started with no link opens the copy through the
// open path, so a reload or a tab closed by mistake loses nothing; after End
// it shows the ended screen again, with the copy and the local history
// offered by "Restore". "Start again" empties the editor, the copy going to
// the history.
//
// A link (a picture in the fragment, files named by ?file=) opens once per
// tab: the tab remembers the link it opened and its own copy of the picture
// since, so a reload of the same link (or going back to it) comes back to
// the edits, not to the link's picture again. A link followed, in a new tab
// or in this one, opens its picture.

import { chooseKept, keepSnapshot, readHistory, store, stored } from "./snapshots.js";

const $ = (id) => document.getElementById(id);

const kCopyKey = "palorin.copy";
const kCopyInfoKey = "palorin.copyInfo";  // {time, blocks} of the copy
const kEndedKey = "palorin.ended";
// In the tab's own storage: the link it opened, and the native text of its
// picture since ("" for an empty editor).
const kOpenedKey = "palorin.opened";
const kTabCopyKey = "palorin.tabCopy";
const kCopyName = "recovery.pln";

// The copy in the storage as {text, time, blocks}, or null.
function storedCopy() {
  const text = stored(kCopyKey);
  if (text === null) return null;
  let info = null;
  try {
    info = JSON.parse(stored(kCopyInfoKey) ?? "null");
  } catch (e) {
    info = null;
  }
  const number = (n) => (typeof n === "number" && Number.isFinite(n) ? n : -1);
  return { text, time: number(info?.time), blocks: number(info?.blocks) };
}

// Replaces the stored copy; false when the storage refused its text.
function storeCopy(kept) {
  store(kCopyInfoKey, null);
  if (kept === null) return store(kCopyKey, null);
  if (!store(kCopyKey, kept.text)) return false;
  store(kCopyInfoKey, JSON.stringify({ time: kept.time, blocks: kept.blocks }));
  return true;
}

export function createKept(page) {
  let timer = 0;
  let copy = null;  // the picture last kept, also when the storage refused it

  // The editor's recovery timer: recoveryDue once `ms` have passed. When the
  // page goes away first, the change is kept at once.
  function startTimer(ms) {
    clearTimeout(timer);
    timer = setTimeout(() => {
      timer = 0;
      page.editor.recoveryDue();
    }, ms);
  }
  addEventListener("pagehide", () => {
    if (!timer) return;
    clearTimeout(timer);
    timer = 0;
    page.editor.recoveryDue();
  });
  function stopTimer() {
    clearTimeout(timer);
    timer = 0;
  }

  // A copy that would go without a trace goes to the local history first:
  // one showing blocks, unless it is the very picture that replaces it.
  function keepInHistory(old, replacedBy) {
    if (old !== null && old.blocks !== 0 && old.text !== replacedBy) {
      keepSnapshot(old, page.M.maxSnapshots());
    }
  }

  // The editor's copy, {text, time, blocks, first}. An editor's first copy
  // replaces one another editor (another tab, or the page before a reload)
  // left: that one is kept in the history.
  function keep(kept) {
    if (kept.first) keepInHistory(storedCopy(), kept.text);
    copy = { text: kept.text, time: kept.time, blocks: kept.blocks };
    if (stored(kOpenedKey, true) !== null) store(kTabCopyKey, kept.text, true);
    return storeCopy(copy);
  }
  function ended() {
    store(kEndedKey, "1");
  }
  const forgetEnd = () => store(kEndedKey, null);

  const currentCopy = () => copy ?? storedCopy();

  function showEnded(isEnded) {
    $("Ended").hidden = !isEnded;
    if (!isEnded) return;
    page.history.stopPlaying();
    $("Restore").disabled = currentCopy() === null && readHistory().length === 0;
  }

  const openKept = (name, text) =>
    page.files.openNamed([{ name, bytes: new TextEncoder().encode(text) }]);

  $("StartAgain").addEventListener("click", () => {
    keepInHistory(currentCopy(), null);
    copy = null;
    storeCopy(null);
    if (stored(kOpenedKey, true) !== null) store(kTabCopyKey, "", true);
    forgetEnd();
    page.newEditor();
  });
  $("Restore").addEventListener("click", async () => {
    const chosen = await chooseKept(currentCopy());
    if (chosen === null) return;
    forgetEnd();
    page.newEditor();
    openKept(chosen.name, chosen.text);
  });

  // A page started with nothing to open: back to the copy, or to the ended
  // screen when the editor was ended, its copy left as it was.
  function startFromCopy() {
    const kept = storedCopy();
    if (kept === null) return;
    if (stored(kEndedKey) !== null) {
      copy = kept;
      page.editor.closeMainWindow();
    } else {
      openKept(kCopyName, kept.text);
    }
  }

  // The page's start. `link` names what the address opens (null: nothing),
  // `openLink` opens it. The link opened before in this tab, reloaded or
  // gone back to, with a picture kept since, comes back to that picture.
  async function start(link, openLink) {
    const navigation = performance.getEntriesByType?.("navigation")[0]?.type ?? "navigate";
    const cameBack = navigation === "reload" || navigation === "back_forward";
    if (link === null) {
      store(kOpenedKey, null, true);
      store(kTabCopyKey, null, true);
      startFromCopy();
      return;
    }
    const tabCopy = stored(kTabCopyKey, true);
    if (cameBack && stored(kOpenedKey, true) === link && tabCopy !== null) {
      if (stored(kEndedKey) !== null) startFromCopy();
      else if (tabCopy !== "") openKept(kCopyName, tabCopy);
      return;
    }
    store(kOpenedKey, link, true);
    store(kTabCopyKey, null, true);
    forgetEnd();
    await openLink();
  }

  return { startTimer, stopTimer, keep, ended, showEnded, start };
}
