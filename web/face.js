// The form face: the same face and condensing as the desktop. The build
// names the form face and its stand-ins as the page's font; here the face
// the browser picked is measured, and texts (the spans of class "cx", the
// boxes' and the memo's fields) are narrowed by the editor's own rule until
// a digit is half the font's height wide.

// A digit's advance at 12 pixels in the first of `faces` the browser has;
// measured once for a face list (the faces are the system's own, none
// arrives later), on one canvas.
let context = null;
const advances = new Map();
function digitAdvance(faces) {
  if (!advances.has(faces)) {
    context ??= document.createElement("canvas").getContext("2d");
    context.font = `12px ${faces}`;
    advances.set(faces, context.measureText("0").width);
  }
  return advances.get(faces);
}

// The first use of a face (and of a canvas) is slow: done here, in a task of
// its own while the WebAssembly still downloads, with the faces the build
// wrote into the page, the measure below then finds them ready. Ahead of
// the start's own tasks, which would otherwise keep a timer waiting until
// they are all done.
const measureEarly = () => digitAdvance(document.body.style.fontFamily);
if (globalThis.scheduler?.postTask) {
  globalThis.scheduler.postTask(measureEarly, { priority: "user-blocking" }).catch(() => {});
} else {
  setTimeout(measureEarly, 0);
}

// A face list as the page's style gives it back: the editor's list quotes
// every name, the style only those that need it.
function styled(faces) {
  const probe = document.createElement("i").style;
  probe.fontFamily = faces;
  return probe.fontFamily || faces;
}

// The condensing is set on the few elements that scale by it, in a style
// sheet of its own, not on the page's root: a property every element
// inherits would restyle the whole page, here only the condensed texts and
// fields restyle.
let stretchSheet = null;

export function useFormFace(M) {
  const faces = styled(M.formFaces());
  if (document.body.style.fontFamily !== faces) document.body.style.fontFamily = faces;
  const stretch = M.formStretch(digitAdvance(faces), 12) / 100;
  const rule = `.cx, .combo input, textarea { --stretch: ${stretch}; }`;
  if (stretchSheet === null) {
    stretchSheet = document.createElement("style");
    stretchSheet.textContent = rule;
    document.head.append(stretchSheet);
  } else if (stretchSheet.textContent !== rule) {
    stretchSheet.textContent = rule;
  }
}
