// The page's modal boxes: the error box, which shows the errors of one input
// one after another as the desktop's boxes would come up, and the save
// dialog drawn like the windows.

const $ = (id) => document.getElementById(id);

export function createBoxes(page) {
  const errorBox = $("ErrorBox");
  const saveBox = $("SaveBox");
  const queue = [];

  function showNext() {
    if (errorBox.open || queue.length === 0) return;
    $("ErrorBoxTitle").textContent = page.M.errorTitle();
    const text = queue.shift();
    $("ErrorBoxText").textContent = text;
    // A Japanese message keeps its text and gains its English, as a tooltip
    // and for a screen reader.
    const gloss = page.M.errorGloss(text);
    $("ErrorBoxText").title = gloss;
    $("ErrorBoxText").lang = gloss ? "ja" : "en";
    $("ErrorBoxGloss").textContent = gloss;
    errorBox.showModal();
  }
  errorBox.addEventListener("close", showNext);

  // The error box with `text`; behind one already shown, it comes next.
  function showError(text) {
    queue.push(text);
    showNext();
  }

  // The name typed into the save dialog, or null for a cancel: the dialog
  // has `title` and offers `name`.
  function askSaveName(title, name) {
    $("SaveBoxTitle").textContent = title;
    const field = $("SaveBoxName");
    field.value = name;
    saveBox.returnValue = "";
    saveBox.showModal();
    field.select();
    return new Promise((resolve) => {
      saveBox.addEventListener("close", () =>
        resolve(saveBox.returnValue === "ok" && field.value !== "" ? field.value : null),
        { once: true });
    });
  }

  return {
    showError,
    askSaveName,
    // Errors still to be shown after the one in the box.
    queued: () => queue.length,
    modalOpen: () => errorBox.open || saveBox.open,
  };
}
