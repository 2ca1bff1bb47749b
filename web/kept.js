// The kept copy: what End leaves, and what a reload comes back to. The
// editor decides when the picture is kept (its recovery timing) and hands
// it over as the native file a save would write; the page keeps it in the
// browser's storage. A page started with no linked files opens the copy
// through the open path, so a reload or a tab closed by mistake loses
// nothing; after End it shows the ended screen again, with the copy
// offered by "Restore". "Start again" forgets the copy.

const $ = (id) => document.getElementById(id);

const kCopyKey = "palorin.copy";
const kEndedKey = "palorin.ended";
const kCopyName = "recovery.pln";

const stored = (key) => {
  try {
    return localStorage.getItem(key);
  } catch (e) {
    return null;
  }
};

// False when the browser refused.
const store = (key, value) => {
  try {
    if (value === null) localStorage.removeItem(key);
    else localStorage.setItem(key, value);
    return true;
  } catch (e) {
    console.warn("storage:", e.message);
    return false;
  }
};

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

  function keep(text) {
    copy = text;
    return store(kCopyKey, text);
  }
  function ended() {
    store(kEndedKey, "1");
  }
  const forgetEnd = () => store(kEndedKey, null);

  function showEnded(isEnded) {
    $("Ended").hidden = !isEnded;
    if (!isEnded) return;
    page.history.stopPlaying();
    $("Restore").disabled = (copy ?? stored(kCopyKey)) === null;
  }

  const openCopy = (text) =>
    page.files.openNamed([{ name: kCopyName, bytes: new TextEncoder().encode(text) }]);

  $("StartAgain").addEventListener("click", () => {
    copy = null;
    store(kCopyKey, null);
    forgetEnd();
    page.newEditor();
  });
  $("Restore").addEventListener("click", () => {
    const text = copy ?? stored(kCopyKey);
    forgetEnd();
    page.newEditor();
    if (text !== null) openCopy(text);
  });

  // A page started with nothing to open: back to the copy, or to the ended
  // screen when the editor was ended, its copy left as it was.
  function startFromCopy() {
    const text = stored(kCopyKey);
    if (text === null) return;
    if (stored(kEndedKey) !== null) {
      copy = text;
      page.editor.closeMainWindow();
    } else {
      openCopy(text);
    }
  }

  return { startTimer, stopTimer, keep, ended, showEnded, forgetEnd, startFromCopy };
}
