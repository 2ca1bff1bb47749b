// Showing the forms' data: after every input the editor calls the page's
// refresh, and everything both windows show is set again from the editor's
// state, as the desktop binding pushes the forms' data into its widgets.
// Nothing here decides what the windows show.

const $ = (id) => document.getElementById(id);
// The window's face as the editor's state names it.
const kFace = "var(--face)";

export function createView(page) {
  const canvas = $("Form1-Image1");
  const ctx = canvas.getContext("2d", { alpha: false });
  const image = ctx.createImageData(canvas.width, canvas.height);

  // Each box: its text field (named by the box's id), the box as the
  // editor names it, its list and frame, the list's entries (null while a
  // long list's are not asked for yet) and whether its element holds them.
  const boxes = new Map();
  for (const input of document.querySelectorAll(".combo input")) {
    boxes.set(input.id, {
      input, id: page.M.BoxId[input.dataset.box], select: $(`${input.id}-List`),
      frame: input.parentElement, items: [], filled: true,
    });
  }

  // A long list (the step box's thousand entries, the size boxes' fifty)
  // comes from the editor and becomes elements only when it is needed: as
  // it opens, or as the arrows step through it. A page that starts with
  // them all is slower to start and to show for every visitor.
  function entries(box) {
    if (box.items === null) box.items = page.editor.items(box.id);
    return box.items;
  }
  function fillList(box) {
    if (box.filled) return;
    box.select.replaceChildren(...entries(box).map((t) => new Option(t)));
    box.select.selectedIndex = -1;
    box.filled = true;
  }

  // The drawing area shows `rgba`, the raster's bytes (a view that is read
  // at once: the module's memory may move with the next call), or one
  // colour, 0xRRGGBB, over the whole area.
  function paint(rgba) {
    if (typeof rgba === "number") {
      ctx.fillStyle = `#${rgba.toString(16).padStart(6, "0")}`;
      ctx.fillRect(0, 0, canvas.width, canvas.height);
      return;
    }
    image.data.set(rgba);
    ctx.putImageData(image, 0, 0);
  }

  function showBox(box, data) {
    if (data.items !== undefined) {
      box.items = data.items;
      box.filled = false;
      fillList(box);
    } else if (data.count !== undefined) {
      box.items = null;
      box.filled = false;
      box.select.replaceChildren();
    }
    // The list is seen only through its arrow, and stays with no entry
    // selected, so that choosing the entry already shown is a choice too.
    box.select.selectedIndex = -1;
    box.select.dataset.index = String(data.index);
    if (box.input.value !== data.text) box.input.value = data.text;
    box.select.disabled = box.input.disabled = !data.enabled;
    box.frame.classList.toggle("disabled", !data.enabled);
  }

  const setText = (el, text) => {
    const target = el.querySelector(".cx") ?? el;
    if (target.textContent !== text) target.textContent = text;
  };

  function show() {
    const editor = page.editor;
    const s = editor.state();
    const rgba = editor.rasterIfChanged();
    if (rgba !== null) {
      // A changed picture brings the history back to its end.
      page.history.toEnd();
      paint(rgba);
    }
    document.body.classList.toggle("ended", s.ended);
    for (const [id, data] of Object.entries(s.boxes)) showBox(boxes.get(id), data);
    for (const [id, label] of Object.entries(s.labels)) {
      const el = $(id);
      setText(el, label.caption);
      el.style.color = label.colour;
      // A text in the window's face cannot be seen: nor is it there to read.
      el.style.visibility = label.colour === kFace ? "hidden" : "";
    }
    for (const [id, shape] of Object.entries(s.shapes)) {
      const bar = $(id);
      bar.style.background = shape.fill;
      bar.setAttribute("aria-hidden", String(shape.mark === ""));
      bar.setAttribute("aria-label", shape.mark === "missing" ? `${bar.dataset.name}: not yet`
                                                            : bar.dataset.name);
    }
    for (const [id, text] of Object.entries(s.panels)) setText($(id), text);

    $("Form2").hidden = !s.fileVisible;
    for (const sheet of document.querySelectorAll("#Form2 .sheet")) {
      const shown = Number(sheet.dataset.page) === s.page;
      const tab = $(`${sheet.id}-Tab`);
      sheet.hidden = !shown;
      tab.classList.toggle("active", shown);
      // The tabs are one stop for Tab, the arrows move between them.
      tab.setAttribute("aria-selected", String(shown));
      tab.tabIndex = shown ? 0 : -1;
    }
    for (const radio of document.querySelectorAll("#Form2 .radio input")) {
      radio.checked = Number(radio.value) === s.saveMode;
    }
    $("Form2-GroupBox1").disabled = !s.group1Enabled;
    const memo = $("Form2-Memo1");
    if (memo.value !== s.memo) memo.value = s.memo;
    showCursor();
    page.kept.showEnded(s.ended);
    return s;
  }

  // The cell cursor over the picture, where a block placed by the keys
  // would go (shown while the drawing area has the keyboard's focus).
  const cursor = $(`${canvas.id}-Cursor`);
  function showCursor() {
    const c = page.editor.cursor();
    Object.assign(cursor.style, {
      left: `${parseFloat(canvas.style.left) + c.left}px`,
      top: `${parseFloat(canvas.style.top) + c.top}px`,
      width: `${c.width}px`,
      height: `${c.height}px`,
    });
  }

  // "File" brings the file window into view.
  function raiseFileWindow() {
    $("Form2").hidden = false;
    $("Form2").scrollIntoView({ block: "nearest", inline: "nearest" });
  }

  return {
    show, paint, raiseFileWindow, canvas,
    // A box's entries, by the id of its text field; and its list filled,
    // as it is about to be opened.
    items: (id) => entries(boxes.get(id)),
    fillList: (id) => fillList(boxes.get(id)),
  };
}
