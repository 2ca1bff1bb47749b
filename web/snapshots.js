// The local history and the Restore choice. Before ReSet, and before a load
// over a picture that shows blocks, the editor hands over the picture so far
// (the native file's text, its time and the blocks it shows); the page keeps
// it in the browser's storage beside the kept copy, the newest few only, as
// the desktop keeps its history folder. Restore lists the kept copy and the
// history, newest first, with date and size, and the one chosen opens
// through the open path as the kept copy does.

const kHistoryKey = "palorin.history";

// The browser's storage for the page's origin, or with `tab` the tab's own,
// which a reload keeps and a new tab does not share. What a browser refuses
// (storage off, or full) reads as nothing kept. (Even naming the storage
// throws where the browser forbids it.)
export const stored = (key, tab = false) => {
  try {
    return (tab ? sessionStorage : localStorage).getItem(key);
  } catch (e) {
    return null;
  }
};

// False when the browser refused.
export const store = (key, value, tab = false) => {
  try {
    const area = tab ? sessionStorage : localStorage;
    if (value === null) area.removeItem(key);
    else area.setItem(key, value);
    return true;
  } catch (e) {
    console.warn("storage:", e.message);
    return false;
  }
};

// A kept picture as stored: {time, blocks, text}; null for anything else
// (storage written by hand, or by a page that kept other things).
function keptPicture(entry) {
  if (entry === null || typeof entry !== "object" || typeof entry.text !== "string") return null;
  const number = (n) => (typeof n === "number" && Number.isFinite(n) ? n : -1);
  return { time: number(entry.time), blocks: number(entry.blocks), text: entry.text };
}

// The history, oldest first.
export function readHistory() {
  let list;
  try {
    list = JSON.parse(stored(kHistoryKey) ?? "[]");
  } catch (e) {
    return [];
  }
  return Array.isArray(list) ? list.map(keptPicture).filter((k) => k !== null) : [];
}

// Keeps `kept` as the newest of the history, which then holds at most `most`.
// When the storage is full, older ones go first to make room; false when
// even the new one alone is refused.
export function keepSnapshot(kept, most) {
  const list = [...readHistory(), keptPicture(kept)].filter((k) => k !== null);
  while (list.length > Math.max(most, 1)) list.shift();
  while (list.length > 0) {
    if (store(kHistoryKey, JSON.stringify(list))) return true;
    if (list.length === 1) break;
    list.shift();
  }
  return false;
}

const pad = (n) => String(n).padStart(2, "0");

// "2026-12-08 09:35:12", local time, as the desktop lists its history.
function when(time) {
  if (time < 0) return "date unknown";
  const d = new Date(time);
  return `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())} ` +
         `${pad(d.getHours())}:${pad(d.getMinutes())}:${pad(d.getSeconds())}`;
}

const size = (blocks) =>
  blocks < 0 ? "size unknown" : blocks === 1 ? "1 block" : `${blocks} blocks`;

// The name a snapshot opens under: its time in UTC to the millisecond, as
// the desktop names the files of its history.
const snapshotName = (time) =>
  time < 0 ? "history.pln" : new Date(time).toISOString().replace(/[-:]/g, "") + ".pln";

// Everything Restore offers, newest first: the kept copy (`copy`, or null)
// and the history.
export function offered(copy) {
  const list = readHistory().map((k) => ({ ...k, isCopy: false, name: snapshotName(k.time) }));
  if (copy !== null) list.push({ ...copy, isCopy: true, name: "recovery.pln" });
  // Newest first; at the same time the copy before the history.
  return list.sort((a, b) => b.time - a.time || Number(b.isCopy) - Number(a.isCopy));
}

// The Restore choice: a box listing what is offered, the newest chosen.
// Resolves to the picture chosen, or null when the box is cancelled.
let box = null;
function restoreBox() {
  if (box !== null) return box;
  box = document.createElement("dialog");
  box.id = "RestoreBox";
  box.setAttribute("aria-labelledby", "RestoreBoxTitle");
  box.innerHTML =
    '<div class="caption" id="RestoreBoxTitle">Restore</div><form method="dialog">' +
    '<p><label for="RestoreList">Kept pictures, newest first:</label></p>' +
    '<p><select id="RestoreList" size="8"></select></p>' +
    '<button id="RestoreBoxOk" value="ok">Open</button> ' +
    '<button id="RestoreBoxCancel" value="cancel" formnovalidate>Cancel</button></form>';
  document.body.append(box);
  const list = box.querySelector("select");
  // A double click or Enter on an entry opens it, as Open does.
  list.addEventListener("dblclick", () => box.close("ok"));
  list.addEventListener("keydown", (e) => {
    if (e.key === "Enter") {
      e.preventDefault();
      box.close("ok");
    }
  });
  return box;
}

export function chooseKept(copy) {
  const choices = offered(copy);
  const dialog = restoreBox();
  const list = dialog.querySelector("select");
  list.replaceChildren(...choices.map((k, i) =>
    new Option(`${when(k.time)} ${k.isCopy ? "copy" : "history"}, ${size(k.blocks)}`,
               String(i))));
  list.selectedIndex = choices.length > 0 ? 0 : -1;
  dialog.returnValue = "";
  dialog.showModal();
  list.focus();
  return new Promise((resolve) => {
    dialog.addEventListener("close", () => {
      const chosen = dialog.returnValue === "ok" ? choices[list.selectedIndex] : undefined;
      resolve(chosen ?? null);
    }, { once: true });
  });
}
