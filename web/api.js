// The editor compiled to WebAssembly, as the page's modules reach it: the
// module with its bound Editor class and tables, and a new editor whose
// calls back into the page (its host) can never throw into the editor.
import createPalorin from "./palorin.js";

// The browser's next task: the module's own start (its file system, its
// tables) and the page's start are two short tasks, not one long one in
// which the page could answer nothing.
const nextTask = () =>
  globalThis.scheduler?.yield ? globalThis.scheduler.yield()
                              : new Promise((resolve) => setTimeout(resolve, 0));

export async function loadModule() {
  const M = await createPalorin();
  M.FS.mkdir("/open");
  M.FS.mkdir("/save");
  await nextTask();
  return M;
}

// An Editor whose shell is `host` (see web/editor.h for its methods). An
// exception in a callback is reported here: thrown on, it would unwind the
// editor's own steps half done. A callback that fails answers false.
export function newEditor(M, host) {
  const guarded = {};
  for (const [name, fn] of Object.entries(host)) {
    guarded[name] = (...args) => {
      try {
        return fn(...args);
      } catch (e) {
        console.error(`${name}:`, e);
        return false;
      }
    };
  }
  return new M.Editor(guarded);
}
