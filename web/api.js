// The editor compiled to WebAssembly, as the page's modules reach it: the
// module with its bound Editor class and tables, and a new editor whose
// calls back into the page (its host) can never throw into the editor.
import { useFormFace } from "./face.js";
import createPalorin from "./palorin.js";

// The browser's next task: the module's start and the page's are several
// short tasks, not one long one in which the page could answer nothing.
export const nextTask = () =>
  globalThis.scheduler?.yield ? globalThis.scheduler.yield()
                              : new Promise((resolve) => setTimeout(resolve, 0));

// The browser compiles the module's functions as they are first called, so
// the editor's first start would spend most of its one long task compiling.
// A throwaway editor first takes the same steps, each in a short task of
// its own: the tables, a new editor, its state, its picture. Its host
// answers every call and does nothing, and nothing of it outlives it;
// should it fail, the page's own editor starts as it would have. The form
// face is condensed here too, so that the browser restyles the windows for
// it before the editor fills them, not all at once after.
async function warmUp(M) {
  const quiet = new Proxy({}, { get: () => () => true });
  let editor = null;
  try {
    await nextTask();
    useFormFace(M);
    M.actions();
    await nextTask();
    editor = new M.Editor(quiet);
    await nextTask();
    editor.state();
    await nextTask();
    editor.rasterIfChanged();
  } catch (e) {
    console.warn("warm-up:", e);
  } finally {
    editor?.delete();
  }
  await nextTask();
}

// The module compiled: the one index.html started compiling from the
// preloaded fetch as it was read (self.palorinWasm: its one line of script,
// ahead of page.js, so that the compile runs beside the page's parsing and
// page.js's, not after them), else (an older browser, a server that sends
// the WebAssembly under another type) compiled from its bytes.
async function compiledModule() {
  try {
    if (self.palorinWasm) return await self.palorinWasm;
  } catch (e) {
    console.warn("compiling as it downloads:", e.message);
  }
  const response = await fetch("palorin.wasm", { credentials: "same-origin" });
  if (!response.ok) throw new Error(`palorin.wasm: status ${response.status}`);
  return WebAssembly.compile(await response.arrayBuffer());
}

// The module's glue with its WebAssembly instantiated from the compiled
// module; a module that cannot be compiled or instantiated fails the start.
async function instantiate() {
  const compiled = compiledModule();
  let failed;
  const failure = new Promise((_, reject) => (failed = reject));
  const M = createPalorin({
    instantiateWasm(imports, receive) {
      compiled.then((module) => WebAssembly.instantiate(module, imports)
                                 .then((instance) => receive(instance, module)))
        .catch(failed);
      return {};
    },
  });
  return Promise.race([M, failure]);
}

export async function loadModule() {
  // The module's glue sets itself up in a task after the page's scripts.
  await nextTask();
  const M = await instantiate();
  M.FS.mkdir("/open");
  M.FS.mkdir("/save");
  await warmUp(M);
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
