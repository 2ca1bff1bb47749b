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
  return [Math.floor(e.offsetX * sx), Math.floor(e.offsetY * sy)];
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

  for (const tab of document.querySelectorAll(".tabs button[data-page]")) {
    tab.addEventListener("click", () => editor().takePage(Number(tab.dataset.page)));
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
    select.addEventListener("change", () => editor().choose(box, select.selectedIndex));
  }

  // Which button makes no difference: each is a press.
  const canvas = page.view.canvas;
  canvas.addEventListener("pointerdown", (e) => editor().press(...rasterPoint(canvas, e)));
  canvas.addEventListener("pointermove", (e) => editor().move(...rasterPoint(canvas, e)));
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
}
