// The user's input on both windows, forwarded to the editor as the desktop
// binding forwards it: a button runs its action, a box's list is a choice
// and its text field typing, a tab takes its page, the drawing area takes
// presses and moves. The editor then shows its data again (view.js).

const $ = (id) => document.getElementById(id);

// The raster pixel under a pointer event on the drawing area, whatever size
// the page draws the area at.
export function rasterPoint(canvas, e) {
  const r = canvas.getBoundingClientRect();
  const sx = r.width > 0 ? canvas.width / r.width : 1;
  const sy = r.height > 0 ? canvas.height / r.height : 1;
  return [Math.floor((e.clientX - r.left) * sx), Math.floor((e.clientY - r.top) * sy)];
}

// A box's list, closed, stepped by the arrows from the entry shown: the
// entry chosen, else the one whose text the box shows; Alt+Down or F4 opens
// the list itself.
function stepList(e, page, input, select, choose) {
  if (e.ctrlKey || e.metaKey || e.shiftKey) return;
  if ((e.altKey && (e.key === "ArrowDown" || e.key === "ArrowUp")) || e.key === "F4") {
    e.preventDefault();
    page.view.fillList(input.id);
    try {
      select.showPicker();
    } catch (error) {
      console.warn("list:", error.message);
    }
    return;
  }
  if (e.altKey || (e.key !== "ArrowDown" && e.key !== "ArrowUp")) return;
  e.preventDefault();
  const items = page.view.items(input.id);
  const at = select.dataset.index >= 0 ? Number(select.dataset.index) : items.indexOf(input.value);
  const next = at < 0 ? (e.key === "ArrowDown" ? 0 : -1) : at + (e.key === "ArrowDown" ? 1 : -1);
  if (next >= 0 && next < items.length) choose(next);
}

export function bindControls(page) {
  const editor = () => page.editor;

  for (const button of document.querySelectorAll("button[data-action]")) {
    button.addEventListener("click", () => editor().runAction(button.dataset.action));
  }
  // The close boxes: the main window's ends the editor as End does, the file
  // window's only hides it.
  $("Form1-Close").addEventListener("click", () => editor().closeMainWindow());
  $("Form2-Close").addEventListener("click", () => editor().closeFileWindow());

  const tabs = [...document.querySelectorAll(".tabs button[data-page]")];
  for (const tab of tabs) {
    tab.addEventListener("click", () => editor().takePage(Number(tab.dataset.page)));
    // Left and Right take the next tab's page, as the desktop's tabs do.
    tab.addEventListener("keydown", (e) => {
      const step = { ArrowLeft: -1, ArrowRight: 1 }[e.key];
      if (!step || e.ctrlKey || e.altKey || e.metaKey || e.shiftKey) return;
      e.preventDefault();
      const next = tabs[(tabs.indexOf(tab) + step + tabs.length) % tabs.length];
      editor().takePage(Number(next.dataset.page));
      next.focus();
    });
  }
  for (const radio of document.querySelectorAll(".radio input")) {
    radio.addEventListener("click", () => editor().clickSaveMode(Number(radio.value)));
  }
  const memo = $("Form2-Memo1");
  memo.addEventListener("input", () => editor().editMemo(memo.value));

  // Typing leaves no entry selected; choosing from the list selects it.
  for (const input of document.querySelectorAll(".combo input")) {
    const box = page.M.BoxId[input.dataset.box];
    const select = $(`${input.id}-List`);
    input.addEventListener("input", () => editor().type(box, input.value));
    input.addEventListener("keydown", (e) =>
      stepList(e, page, input, select, (index) => editor().choose(box, index)));
    // The list's entries are there before it opens: a pointer opens it on
    // its press.
    select.addEventListener("pointerdown", () => page.view.fillList(input.id));
    select.addEventListener("change", () => editor().choose(box, select.selectedIndex));
  }

  // Which button makes no difference: each is a press.
  const canvas = page.view.canvas;
  canvas.addEventListener("pointerdown", (e) => editor().press(...rasterPoint(canvas, e)));
  canvas.addEventListener("pointermove", (e) => editor().move(...rasterPoint(canvas, e)));
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
}
