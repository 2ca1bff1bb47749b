// The page's front end: it forwards the user's input to the windows' handlers
// (compiled from forms/) and shows their data again after each one, as the
// desktop binding does. It decides nothing the forms decide.
"use strict";

createPalorin().then((M) => {
  // A text goes to the editor in memory the binding allocates and then owns
  // (never on the stack, which a long paste would overrun); 0 for none.
  const text = (s) => {
    if (s === null || s === undefined) return 0;
    const n = M.lengthBytesUTF8(s) + 1;
    const p = M._palorin_alloc(n);
    if (p === 0) throw new Error(`the text of ${n - 1} bytes does not fit in the page's memory`);
    M.stringToUTF8(s, p, n);
    return p;
  };
  const withText = (fn) => (...args) => {
    try {
      return fn(...args.map((a) => (typeof a === "string" || a === null ? text(a) : a)));
    } catch (e) {
      return e.message;
    }
  };
  const api = {
    start: M.cwrap("palorin_start", null, []),
    state: M.cwrap("palorin_state", "string", []),
    raster: M.cwrap("palorin_raster_if_changed", "number", []),
    errorTitle: M.cwrap("palorin_error_title", "string", []),
    caption: M.cwrap("palorin_caption", "string", ["number"]),
    press: M.cwrap("palorin_press", "string", ["number", "number", "number"]),
    move: M.cwrap("palorin_move", "string", ["number", "number"]),
    click: M.cwrap("palorin_click", "string", ["number", "number"]),
    execute: withText(M.cwrap("palorin_execute", "string", ["number"])),
    boxText: withText(M.cwrap("palorin_box_text", "string", ["number", "number", "number"])),
    key: withText(M.cwrap("palorin_key", "string", ["number"])),
    keys: M.cwrap("palorin_keys", "string", []),
    faces: M.cwrap("palorin_form_faces", "string", []),
    stretch: M.cwrap("palorin_form_stretch", "number", ["number", "number"]),
    stateLine: M.cwrap("palorin_state_line", "string", []),
    boxChoose: M.cwrap("palorin_box_choose", "string", ["number", "number", "number"]),
    page: M.cwrap("palorin_page", "string", ["number"]),
    saveMode: M.cwrap("palorin_save_mode", "string", ["number"]),
    memo: withText(M.cwrap("palorin_memo", null, ["number"])),
    close: M.cwrap("palorin_close", "string", ["number"]),
    historyEnd: M.cwrap("palorin_history_end", "number", []),
    historyStep: M.cwrap("palorin_history_step", "number", []),
    historyRaster: M.cwrap("palorin_history_raster", "number", ["number"]),
    wholeRaster: M.cwrap("palorin_raster", "number", []),
    logChanged: M.cwrap("palorin_log_changed", "number", []),
    nativeText: M.cwrap("palorin_native_text", "string", []),
    saveAsked: M.cwrap("palorin_save_asked", "string", []),
    executeSave: withText(M.cwrap("palorin_execute_save", "string", ["number"])),
    cannotCreate: withText(M.cwrap("palorin_cannot_create", "string", ["number"])),
    clipRefused: M.cwrap("palorin_clip_refused", "string", []),
  };
  const $ = (id) => document.getElementById(id);
  const canvas = $("Image1");
  const W = canvas.width, H = canvas.height;  // the raster's size, one to one
  const ctx = canvas.getContext("2d", { alpha: false });
  const image = ctx.createImageData(W, H);
  const errorBox = $("ErrorBox");
  const picker = $("OpenDialog1");

  // --- Showing the data --------------------------------------------------
  const colour = (c) => (c === "text" ? "var(--text)" : c === "face" ? "var(--face)" : c);

  const combos = [];
  for (const div of document.querySelectorAll(".combo")) {
    const form = Number(div.dataset.form), box = Number(div.dataset.box);
    const select = document.createElement("select");
    const input = document.createElement("input");
    input.id = `Form${form}-ComboBox${box}`;
    div.append(select, input);
    // Typing leaves no entry selected; choosing from the list selects it.
    input.addEventListener("input", () => run(() => api.boxText(form, box, input.value)));
    select.addEventListener("change", () =>
      run(() => api.boxChoose(form, box, select.selectedIndex)));
    combos.push({ form, box, div, select, input, items: null });
  }
  function showBox(c, data) {
    const joined = data.items.join("\n");
    if (c.items !== joined) {
      c.select.replaceChildren(...data.items.map((t) => new Option(t)));
      c.items = joined;
    }
    // The list is seen only through its arrow, and stays with no entry
    // selected, so that choosing the entry already shown is a choice too.
    c.select.selectedIndex = -1;
    if (c.input.value !== data.text) c.input.value = data.text;
    c.select.disabled = c.input.disabled = !data.enabled;
    c.div.classList.toggle("disabled", !data.enabled);
  }

  for (const div of document.querySelectorAll(".indicators")) {
    const first = Number(div.dataset.first), left0 = Number(div.dataset.left);
    for (let part = 0; part < 5; ++part) {
      const left = left0 + 24 * part;
      const digit = document.createElement("span");
      digit.className = "digit";
      digit.id = `Form2-Label${first + part}`;
      digit.textContent = "１２３４５"[part];
      digit.style.cssText = `left:${left}px;top:16px`;
      const bar = document.createElement("span");
      bar.className = "bar";
      bar.id = `Form2-Shape${first + part}`;
      bar.style.cssText = `left:${left - 5}px;top:33px`;
      div.parentElement.append(digit, bar);
    }
    div.remove();
  }

  function paint() {
    const ptr = api.raster();
    if (ptr === 0) return;
    image.data.set(M.HEAPU8.subarray(ptr, ptr + W * H * 4));
    ctx.putImageData(image, 0, 0);
  }

  function show() {
    const s = JSON.parse(api.state());
    paint();
    document.body.classList.toggle("ended", s.ended);
    for (const c of combos) showBox(c, c.form === 1 ? s.boxes1[c.box - 1] : s.part);
    s.sizeLabels.forEach((c, i) => ($(`Form1-Label${i + 1}`).style.color = colour(c)));
    s.panels.forEach((t, i) => {
      const panel = $(`Panel${i}`).firstChild;
      if (panel.textContent !== t) panel.textContent = t;
    });
    $("Form2").hidden = !s.visible;
    $("TabSheet1").hidden = s.page !== 0;
    $("TabSheet2").hidden = s.page !== 1;
    $("TabSheet1Tab").classList.toggle("active", s.page === 0);
    $("TabSheet2Tab").classList.toggle("active", s.page === 1);
    for (const r of document.querySelectorAll("input[name=mode]")) {
      r.checked = Number(r.value) === s.radio;
    }
    $("Form2-GroupBox1").disabled = !s.group1;
    const memo = s.memo.join("\n");
    if ($("Memo1").value !== memo) $("Memo1").value = memo;
    $("Form2-Label11").firstChild.textContent = s.label11;
    $("Form2-Label11").style.color = colour(s.label11Colour);
    for (let i = 0; i < 5; ++i) {
      $(`Form2-Label${i + 1}`).style.color = colour(s.saveLabels[i]);
      $(`Form2-Label${i + 6}`).style.color = colour(s.loadLabels[i]);
      $(`Form2-Shape${i + 1}`).style.background = colour(s.saveBars[i]);
      $(`Form2-Shape${i + 6}`).style.background = colour(s.loadBars[i]);
    }
    return s;
  }

  function showError(text) {
    $("ErrorBoxTitle").textContent = api.errorTitle();
    $("ErrorBoxText").textContent = text;
    if (!errorBox.open) errorBox.showModal();
  }

  // Runs one input and shows the data again; a handler's error then shows in
  // the modal error box. Returns whether the handler ended without one.
  function run(input) {
    const error = input();
    const s = show();
    afterInput(s);
    if (error) showError(error);
    return { ok: !error, state: s };
  }

  // --- The platform's side of the windows ----------------------------------
  M.palorinCopyRgba = (ptr, w, h) => {
    const copy = new ImageData(new Uint8ClampedArray(M.HEAPU8.slice(ptr, ptr + w * h * 4)), w, h);
    const c = document.createElement("canvas");
    c.width = w;
    c.height = h;
    c.getContext("2d").putImageData(copy, 0, 0);
    // A browser without the clipboard, or one that refuses it (no
    // permission, the page not focused), gets the error box: a copy that
    // silently did not happen would look like one that did.
    const refused = (e) => {
      if (e) console.warn("clipboard:", e.message);
      showError(api.clipRefused());
    };
    c.toBlob((png) => {
      if (!png || !navigator.clipboard || typeof ClipboardItem === "undefined") return refused();
      navigator.clipboard.write([new ClipboardItem({ "image/png": png })]).catch(refused);
    }, "image/png");
  };

  let downloads = 0;
  function download(path) {
    ++downloads;
    const bytes = M.FS.readFile(path);
    const a = document.createElement("a");
    a.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    a.download = path.slice(path.lastIndexOf("/") + 1);
    document.body.append(a);
    a.click();
    a.remove();
    M.FS.unlink(path);
    setTimeout(() => URL.revokeObjectURL(a.href), 60000);
  }

  // Chosen, dropped or linked files go into the page's file system and are
  // answered to the open dialog one by one, in the order given; an error box
  // ends the series there.
  let openSerial = 0;
  function place(name, bytes) {
    const dir = `/open/${++openSerial}`;
    M.FS.mkdir(dir);
    const path = `${dir}/${name}`;
    if (bytes) M.FS.writeFile(path, bytes);
    return path;
  }
  let opened = 0;  // series of chosen files run through execute
  function executeAll(paths) {
    ++opened;
    let ok = true;
    for (const path of paths) {
      // The file's own folder, /open/N, even for a name holding a '/'. The
      // handler runs in it and is given the name alone, so that its error
      // box names the file as the user chose it or the link wrote it.
      const dir = path.split("/").slice(0, 3).join("/");
      M.FS.chdir(dir);
      try {
        ok = ok && run(() => api.execute(path.slice(dir.length + 1))).ok;
      } finally {
        M.FS.chdir("/");
      }
      // A file read is read whole; its copy is not needed any more.
      if (M.FS.analyzePath(path).exists) M.FS.unlink(path);
      M.FS.rmdir(dir);
    }
  }
  // As a user would: show the file window, take its load page, execute.
  function loadAll(paths) {
    let s = JSON.parse(api.state());
    if (!s.visible && !run(() => api.click(1, 5)).ok) return;
    if (s.page !== 0 && !run(() => api.page(0)).ok) return;
    executeAll(paths);
  }
  async function filesToPaths(files) {
    const paths = [];
    for (const f of files) paths.push(place(f.name, new Uint8Array(await f.arrayBuffer())));
    return paths;
  }

  // --- Input ---------------------------------------------------------------
  const bind = (id, fn) => $(id).addEventListener("click", fn);
  for (let b = 1; b <= 6; ++b) bind(`Form1-Button${b}`, () => run(() => api.click(1, b)));
  bind("Form2-Button2", () => run(() => api.click(2, 2)));
  // The close boxes: the main window's ends the editor as End does, the file
  // window's only hides it.
  bind("Form1-Close", () => run(() => api.close(1)));
  bind("Form2-Close", () => run(() => api.close(2)));
  bind("Form2-Button1", () => {
    if (JSON.parse(api.state()).page === 0) {
      chooseFiles();
    } else {
      saveWithDialog();
    }
  });
  picker.addEventListener("change", async () => executeAll(await filesToPaths(picker.files)));
  picker.addEventListener("cancel", () => run(() => api.execute(null)));
  bind("TabSheet1Tab", () => run(() => api.page(0)));
  bind("TabSheet2Tab", () => run(() => api.page(1)));
  for (const r of document.querySelectorAll("input[name=mode]")) {
    r.addEventListener("click", () => run(() => api.saveMode(Number(r.value))));
  }
  $("Memo1").addEventListener("input", () => api.memo($("Memo1").value));

  const buttonOf = (e) => (e.button === 2 ? 2 : e.button === 1 ? 1 : 0);
  canvas.addEventListener("pointerdown", (e) =>
    run(() => api.press(buttonOf(e), Math.floor(e.offsetX), Math.floor(e.offsetY))));
  canvas.addEventListener("pointermove", (e) =>
    run(() => api.move(Math.floor(e.offsetX), Math.floor(e.offsetY))));
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());

  document.addEventListener("dragover", (e) => e.preventDefault());
  document.addEventListener("drop", async (e) => {
    e.preventDefault();
    loadAll(await filesToPaths(e.dataTransfer.files));
  });

  // --- The keys: the editor's table, as the desktop binds it ---------------
  // While a text field or the memo has the focus, a key that edits text is
  // the text's own: the browser's undo, redo and copy (Ctrl+Y redoes there
  // as on the desktop). Every other bound key runs the editor's action.
  const keyTable = JSON.parse(api.keys());
  const keyText = (e) => {
    if (!e.ctrlKey || e.altKey || e.metaKey || e.key.length !== 1) return "";
    return "Ctrl+" + (e.shiftKey ? "Shift+" : "") + e.key.toUpperCase();
  };
  document.addEventListener("keydown", (e) => {
    const binding = keyTable.find((b) => b.keys === keyText(e));
    if (!binding || errorBox.open || saveBox.open) return;
    const t = e.target;
    if (binding.editsText && (t.tagName === "INPUT" || t.tagName === "TEXTAREA")) {
      if (binding.keys === "Ctrl+Y") {
        e.preventDefault();
        document.execCommand("redo");
      }
      return;
    }
    e.preventDefault();
    run(() => api.key(binding.keys));
  });

  // --- The form face ---------------------------------------------------------
  // The same face and condensing as the desktop: the browser picks the form
  // face or a stand-in from the shared list, and texts are narrowed until a
  // digit is half the font's height wide. Texts sit in spans of class "cx"
  // that are scaled; the boxes' and the memo's text fields are scaled whole,
  // their frames drawn around them unscaled.
  function useFormFace() {
    const faces = api.faces();
    document.body.style.fontFamily = faces;
    const c = document.createElement("canvas").getContext("2d");
    c.font = `12px ${faces}`;
    const stretch = api.stretch(c.measureText("0").width, 12) / 100;
    document.documentElement.style.setProperty("--stretch", String(stretch));
    const labelled = "button, legend, label, .axis, #StatusBar1 > span, .digit, #Form2-Label11";
    for (const el of document.querySelectorAll(labelled)) {
      if (el.closest(".caption, dialog")) continue;
      for (const node of [...el.childNodes]) {
        if (node.nodeType !== Node.TEXT_NODE) continue;
        const span = document.createElement("span");
        span.className = "cx";
        node.replaceWith(span);
        span.append(node);
      }
      if (!el.querySelector(".cx")) el.append(Object.assign(document.createElement("span"), { className: "cx" }));
    }
  }

  // --- History: the picture as it was built, slot by slot ------------------
  // The slider runs from slot 0 to the last slot shown; at slot k the drawing
  // area shows slots 0..k replayed into a cleared area (drawn apart from the
  // editor's own raster, so nothing of the log changes), at its end the
  // editor's own picture. Any input that changes the log brings it back to
  // the end.
  const history = $("History");
  const playButton = $("HistoryPlay");
  let playTimer = 0;
  const kFrameMs = 50;  // each frame's time, as palorin-cli animate's default delay

  const historyAtEnd = () => Number(history.value) >= Number(history.max);
  function showHistory() {
    const ptr = historyAtEnd() ? api.wholeRaster() : api.historyRaster(Number(history.value));
    image.data.set(M.HEAPU8.subarray(ptr, ptr + W * H * 4));
    ctx.putImageData(image, 0, 0);
  }
  function stopPlaying() {
    clearTimeout(playTimer);
    playTimer = 0;
    playButton.textContent = "▶";
  }
  function historyToEnd() {
    // At its end the drawing area already shows the editor's picture.
    const shown = historyAtEnd() && !playTimer;
    stopPlaying();
    history.max = String(api.historyEnd());
    history.value = history.max;
    if (!shown) showHistory();
  }
  // The frames of palorin-cli animate: slots 0..n·step − 1 for every n·step
  // below the number of slots, then the whole picture, which stays.
  function play() {
    if (playTimer) return stopPlaying();
    const end = api.historyEnd(), step = api.historyStep();
    history.max = String(end);
    let next = step;
    const frame = () => {
      if (next <= end) {
        history.value = String(next - 1);
        next += step;
        playTimer = setTimeout(frame, kFrameMs);
      } else {
        history.value = history.max;
        stopPlaying();
      }
      showHistory();
    };
    playButton.textContent = "■";
    frame();
  }
  history.addEventListener("input", () => {
    stopPlaying();
    showHistory();
  });
  playButton.addEventListener("click", play);

  // --- The kept copy: what End leaves, and what a reload comes back to -----
  // The picture is kept in the browser's storage as the native file a save
  // would write, at most kCopyDelayMs after a change and at once when the
  // editor ends or the page goes away. A page started with no linked files
  // opens the copy through the open path, so a reload or a tab closed by
  // mistake loses nothing; after End it shows the ended screen again, with
  // the copy offered by "Restore". "Start again" forgets the copy.
  const kCopyKey = "palorin.copy";
  const kEndedKey = "palorin.ended";
  const kCopyName = "recovery.pln";
  const kCopyDelayMs = 2000;
  let copyTimer = 0;
  let copy = null;  // the picture at End, also when the storage refuses it
  let wasEnded = false;

  const stored = (key) => {
    try {
      return localStorage.getItem(key);
    } catch (e) {
      return null;
    }
  };
  const store = (key, value) => {
    try {
      if (value === null) localStorage.removeItem(key);
      else localStorage.setItem(key, value);
    } catch (e) {
      console.warn("storage:", e.message);
    }
  };
  function keepCopy() {
    clearTimeout(copyTimer);
    copyTimer = 0;
    copy = api.nativeText();
    store(kCopyKey, copy);
  }
  addEventListener("pagehide", () => {
    if (copyTimer) keepCopy();
  });
  const forgetEnd = () => store(kEndedKey, null);

  // After every input: an edit brings the history back to its end and arms
  // the copy; the editor ending shows the ended screen.
  function afterInput(s) {
    if (api.logChanged()) {
      historyToEnd();
      if (!copyTimer && !s.ended) copyTimer = setTimeout(keepCopy, kCopyDelayMs);
    } else if (!historyAtEnd()) {
      showHistory();
    }
    if (s.ended && !wasEnded) {
      keepCopy();
      store(kEndedKey, "1");
    }
    showEnded(s.ended);
  }
  function showEnded(ended) {
    wasEnded = ended;
    if (ended) stopPlaying();
    $("Ended").hidden = !ended;
    $("Restore").disabled = (copy ?? stored(kCopyKey)) === null;
  }

  // A new editor in place of the ended one, as the page starts.
  function newEditor() {
    clearTimeout(copyTimer);
    copyTimer = 0;
    api.start();
    api.logChanged();
    forgetEnd();
    showEnded(false);
    show();
    historyToEnd();
  }
  function openCopy(text) {
    loadAll([place(kCopyName, new TextEncoder().encode(text))]);
  }
  bind("StartAgain", () => {
    copy = null;
    store(kCopyKey, null);
    newEditor();
  });
  bind("Restore", () => {
    const text = copy ?? stored(kCopyKey);
    newEditor();
    if (text !== null) openCopy(text);
  });
  function startFromCopy() {
    const text = stored(kCopyKey);
    if (text === null) return;
    if (stored(kEndedKey) !== null) {
      // The editor was ended: ended again, its copy left as it was.
      copy = text;
      wasEnded = true;
      run(() => api.close(1));
    } else {
      openCopy(text);
    }
  }

  // --- Saving: the name asked in a dialog drawn like the windows -------------
  // Where the browser lets the page write to files it opened, a save under
  // an opened file's name goes back to that file; every other save is a
  // download.
  const saveBox = $("SaveBox");
  const openedHandles = new Map();  // file name -> the handle it was opened by
  let writtenBack = 0;

  function askSaveName(asked) {
    $("SaveBoxTitle").textContent = asked.title;
    const field = $("SaveBoxName");
    field.value = asked.name;
    saveBox.returnValue = "";
    saveBox.showModal();
    field.select();
    return new Promise((resolve) => {
      saveBox.addEventListener("close", () =>
        resolve(saveBox.returnValue === "ok" && field.value !== "" ? field.value : null),
        { once: true });
    });
  }
  // "実行" on the save page: the handler runs up to its save dialog, which
  // the page then shows; with a name typed it runs again, the dialog
  // answering that name. A cancel leaves the handler as the first run ended.
  async function saveWithDialog() {
    const first = run(() => api.execute(null));
    const asked = api.saveAsked();
    if (!first.ok || asked === "") return;
    const name = await askSaveName(JSON.parse(asked));
    if (name === null) return;
    const { state } = run(() => api.executeSave(name));
    if (state.saved) await deliver(state.saved);
  }
  async function deliver(path) {
    const name = path.slice(path.lastIndexOf("/") + 1);
    const handle = openedHandles.get(name);
    if (handle) {
      try {
        if (handle.requestPermission &&
            (await handle.requestPermission({ mode: "readwrite" })) !== "granted") {
          throw new Error("permission refused");
        }
        const out = await handle.createWritable();
        await out.write(M.FS.readFile(path));
        await out.close();
        M.FS.unlink(path);
        ++writtenBack;
        return;
      } catch (e) {
        // The bytes are not lost: they still go to the browser's downloads.
        console.warn("write back:", e.message);
        showError(api.cannotCreate(name));
      }
    }
    download(path);
  }
  // The load page's file choice: the browser's file picker that hands out
  // writable files where there is one, else the plain one.
  async function chooseFiles() {
    if (typeof window.showOpenFilePicker !== "function") {
      picker.value = "";
      picker.click();
      return;
    }
    let handles;
    try {
      handles = await window.showOpenFilePicker({ multiple: true });
    } catch (e) {
      if (e.name !== "AbortError") console.warn("file picker:", e.message);
      run(() => api.execute(null));
      return;
    }
    const files = [];
    for (const handle of handles) {
      const file = await handle.getFile();
      openedHandles.set(file.name, handle);
      files.push(file);
    }
    executeAll(await filesToPaths(files));
  }

  // --- Start-up: the windows, then the linked files ------------------------
  M.FS.mkdir("/open");
  M.FS.mkdir("/save");
  api.start();
  useFormFace();
  $("Form1-Caption").textContent = document.title = api.caption(1);
  $("Form2-Caption").textContent = api.caption(2);
  $("Ended-Caption").textContent = api.caption(1);
  show();
  historyToEnd();

  // For programs that drive the page (the agreement test): everything both
  // windows hold, as the desktop and palorin-cli print it; the open path
  // that the file picker's choice takes, for files given by name and bytes
  // (null bytes: a file that cannot be read); and how many saves the page
  // has handed to the browser.
  window.palorin = {
    stateLine: () => api.stateLine(),
    openFiles: (files) => executeAll(files.map((f) => place(f.name, f.bytes))),
    downloads: () => downloads,
    writtenBack: () => writtenBack,
    opened: () => opened,
  };

  (async () => {
    const links = new URLSearchParams(location.search).getAll("file");
    const paths = [];
    for (const link of links) {
      // A name the page cannot take as a file of its own folder (bad
      // percent-encoding, a folder in it) reaches the load as a file that
      // cannot be opened, under the name as the link writes it.
      let url = null, name = "";
      try {
        url = new URL(link, location.href);
        name = decodeURIComponent(url.pathname.slice(url.pathname.lastIndexOf("/") + 1));
      } catch (e) {
        url = null;
      }
      const usable = url !== null && name !== "" && !name.includes("/");
      if (!usable) name = link || "file";
      let bytes = null;
      // Only the page's own origin; a file that cannot be fetched is answered
      // all the same, so that the load reports it as it reports any missing file.
      if (usable && url.origin === location.origin) {
        try {
          const r = await fetch(url);
          if (r.ok) bytes = new Uint8Array(await r.arrayBuffer());
        } catch (e) {
          console.warn("fetch:", e.message);
        }
      }
      paths.push(place(name, bytes));
    }
    if (paths.length > 0) {
      forgetEnd();
      loadAll(paths);
    } else if (location.hash.length <= 1) {
      // A link's picture (app.js) is what the page shows, not the kept copy.
      startFromCopy();
    }
  })()
    // The app's side (app.js): the picture a link carries, the files the
    // system starts the page with, sharing. Whatever it opens takes the
    // file picker's path, and the page is ready once it has.
    .then(() => window.palorinApp && window.palorinApp.start({
      module: M, run, place, loadAll, text,
      openFiles: async (files) => loadAll(await filesToPaths(files)),
    }))
    .finally(() => (document.documentElement.dataset.palorin = "ready"));
});
