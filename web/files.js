// Files: what the page opens goes into its in-memory file system and is
// loaded by name, as the desktop loads files named on its command line;
// what a save writes there is handed to the browser. The open and save
// dialogs the editor asks for are the browser's file picker and the page's
// drawn save dialog.

const $ = (id) => document.getElementById(id);

// A name the page can write into its file system as one file of a folder:
// not empty, not "." or "..", no folder in it and no control character
// (a NUL would end the name early where the editor opens it). Any other
// name reaches the load as a file that cannot be opened.
export const plainName = (name) =>
  name !== "" && name !== "." && name !== ".." && !/[\/\x00-\x1f]/.test(name);

// The files in runs of distinct names, in order: each run shares a folder.
function runsOfDistinctNames(files) {
  const runs = [];
  let run = [], names = new Set();
  for (const f of files) {
    if (names.has(f.name)) {
      runs.push(run);
      run = [];
      names = new Set();
    }
    run.push(f);
    names.add(f.name);
  }
  if (run.length > 0) runs.push(run);
  return runs;
}

export function createFiles(page) {
  const { M } = page;
  const picker = $("OpenDialog1");
  const openedHandles = new Map();  // file name -> the handle it was opened by
  let serial = 0;
  const counts = { downloads: 0, writtenBack: 0, opened: 0 };

  function removeTree(path) {
    if (M.FS.isDir(M.FS.stat(path).mode)) {
      for (const name of M.FS.readdir(path)) {
        if (name !== "." && name !== "..") removeTree(`${path}/${name}`);
      }
      M.FS.rmdir(path);
    } else {
      M.FS.unlink(path);
    }
  }

  // Runs `load(names)` in a folder of its own holding `files` ({name, bytes},
  // null bytes: a file that cannot be read), which go with the folder after.
  // The load is given the names alone, so that an error box names a file as
  // the user chose it or the link wrote it.
  function inFolder(files, load) {
    const dir = `/open/${++serial}`;
    M.FS.mkdir(dir);
    try {
      for (const f of files) {
        if (f.bytes === null || !plainName(f.name)) continue;
        try {
          M.FS.writeFile(`${dir}/${f.name}`, f.bytes);
        } catch (e) {
          console.warn("file system:", f.name, e.message);  // loads as a file that is not there
        }
      }
      M.FS.chdir(dir);
      try {
        load(files.map((f) => f.name));
      } finally {
        M.FS.chdir("/");
      }
    } finally {
      removeTree(dir);
    }
  }

  // Files opened by name (dropped, linked, handed over by the system, a
  // link's picture, the kept copy): each loaded as the load page loads it;
  // an error shows and the next file still loads.
  function openNamed(files) {
    for (const run of runsOfDistinctNames(files)) {
      inFolder(run, (names) => page.editor.openFiles(names));
    }
    ++counts.opened;
  }

  // The bytes of files the browser hands over. A file larger than the
  // editor reads is refused by its size, before a byte of it is read; one
  // the browser cannot read (gone, no permission) is no file either. Both
  // reach the load as a file that cannot be opened.
  async function readFile(f) {
    if (f.size > M.maxFileBytes()) return null;
    try {
      return new Uint8Array(await f.arrayBuffer());
    } catch (e) {
      console.warn("read:", f.name, e.message);
      return null;
    }
  }
  const bytesOf = async (files) =>
    Promise.all([...files].map(async (f) => ({ name: f.name, bytes: await readFile(f) })));

  // The files behind handles the browser gave (the file picker, the system
  // opening files with the installed app); `remember` keeps each handle for
  // writing a save back. A handle that gives no file (a folder, a file gone
  // meanwhile) is a file that cannot be opened.
  const handedFiles = async (handles, remember = false) =>
    Promise.all([...handles].map(async (handle) => {
      let file;
      try {
        file = await handle.getFile();
      } catch (e) {
        console.warn("file handle:", handle.name, e.message);
        return { name: handle.name, bytes: null };
      }
      if (remember) openedHandles.set(file.name, handle);
      return { name: file.name, bytes: await readFile(file) };
    }));

  // The open dialog's answer: the first file chosen answers it, the others
  // are opened by name after it.
  function answerChosen(files) {
    if (files.length === 0) {
      page.editor.answer(null);
    } else {
      inFolder(files, (names) => {
        page.editor.answer(names[0]);
        if (names.length > 1) page.editor.openFiles(names.slice(1));
      });
    }
    ++counts.opened;
  }

  // The open dialog: the browser's file picker that hands out writable
  // files where there is one, else the plain one.
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
      page.editor.answer(null);
      return;
    }
    answerChosen(await handedFiles(handles, true));
  }
  picker.addEventListener("change", async () => answerChosen(await bytesOf(picker.files)));
  picker.addEventListener("cancel", () => page.editor.answer(null));

  function download(path) {
    ++counts.downloads;
    const a = document.createElement("a");
    const bytes = new Blob([M.FS.readFile(path)], { type: "application/octet-stream" });
    a.href = URL.createObjectURL(bytes);
    a.download = path.slice(path.lastIndexOf("/") + 1);
    document.body.append(a);
    a.click();
    a.remove();
    M.FS.unlink(path);
    setTimeout(() => URL.revokeObjectURL(a.href), 60000);
  }

  // Where the browser lets the page write to files it opened, a save under
  // an opened file's name goes back to that file; every other save is a
  // download.
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
        ++counts.writtenBack;
        return;
      } catch (e) {
        // The bytes are not lost: they still go to the browser's downloads.
        console.warn("write back:", e.message);
        page.boxes.showError(M.cannotCreateText(name));
      }
    }
    download(path);
  }

  // The save dialog's answer, given in the save folder: a name is saved
  // there as typed, so that an error box names it so.
  async function answerSave(name) {
    let saved = null;
    M.FS.chdir("/save");
    try {
      saved = page.editor.answer(name);
    } finally {
      M.FS.chdir("/");
    }
    if (saved !== null) await deliver(saved.startsWith("/") ? saved : `/save/${saved}`);
  }

  // The editor asks for a file name: the picker for a load, the drawn save
  // dialog for a save. The editor takes no other input until answered.
  function askFileName(ask) {
    if (!ask.save) {
      chooseFiles();
      return;
    }
    page.boxes.askSaveName(ask.title, ask.name).then(answerSave);
  }

  // Files dropped anywhere on the page.
  document.addEventListener("dragover", (e) => e.preventDefault());
  document.addEventListener("drop", async (e) => {
    e.preventDefault();
    openNamed(await bytesOf(e.dataTransfer.files));
  });

  return { openNamed, answerChosen, askFileName, handedFiles, counts };
}
