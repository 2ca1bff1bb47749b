// The keys: the editor's action table, as the desktop binds it. The page
// tells the editor where the focus is (a text field, the drawing area or
// anything else) and the editor decides whether the keys run an action.

// Key names as the action table writes them.
const kKeyNames = {
  ArrowLeft: "Left", ArrowRight: "Right", ArrowUp: "Up", ArrowDown: "Down",
  " ": "Space", Enter: "Return",
};

// The keys of a key event as the table writes them ("Ctrl+Shift+Z",
// "Shift+Left"), "" for keys it cannot hold.
export function keysOf(e) {
  if (e.metaKey || e.altKey) return "";
  const key = kKeyNames[e.key] ?? (e.key.length === 1 ? e.key.toUpperCase() : "");
  if (key === "") return "";
  return (e.ctrlKey ? "Ctrl+" : "") + (e.shiftKey ? "Shift+" : "") + key;
}

const isTextField = (el) =>
  el instanceof HTMLTextAreaElement ||
  (el instanceof HTMLInputElement && ["text", "search", ""].includes(el.type));

export function bindKeys(page) {
  const Focus = page.M.Focus;
  const rows = new Map();
  for (const action of page.actions) {
    for (const keys of action.keys) rows.set(keys, action);
  }
  const focusOf = (el) =>
    el === page.view.canvas ? Focus.DrawingArea : isTextField(el) ? Focus.TextField : Focus.Other;

  document.addEventListener("keydown", (e) => {
    const keys = keysOf(e);
    const row = rows.get(keys);
    if (!row || e.defaultPrevented || page.boxes.modalOpen()) return;
    const focus = focusOf(e.target);
    if (focus === Focus.TextField && row.keysEditText) {
      // The text's own: the browser's undo, redo and copy (Ctrl+Y redoes
      // there as on the desktop).
      if (keys === "Ctrl+Y") {
        e.preventDefault();
        document.execCommand("redo");
      }
      return;
    }
    if (page.editor.key(keys, focus)) e.preventDefault();
  });
}
