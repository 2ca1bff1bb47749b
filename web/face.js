// The form face: the same face and condensing as the desktop. The build
// names the form face and its stand-ins as the page's font; here the face
// the browser picked is measured, and texts (the spans of class "cx", the
// boxes' and the memo's fields) are narrowed by the editor's own rule until
// a digit is half the font's height wide.

// A digit's advance at 12 pixels in the first of `faces` the browser has.
function digitAdvance(faces) {
  const c = document.createElement("canvas").getContext("2d");
  c.font = `12px ${faces}`;
  return c.measureText("0").width;
}

// The first use of a face (and of a canvas) is slow: done here, in a task of
// its own while the WebAssembly still downloads, with the faces the build
// wrote into the page, the measure below then finds them ready.
setTimeout(() => digitAdvance(document.body.style.fontFamily), 0);

export function useFormFace(M) {
  const faces = M.formFaces();
  document.body.style.fontFamily = faces;
  const stretch = M.formStretch(digitAdvance(faces), 12) / 100;
  document.documentElement.style.setProperty("--stretch", String(stretch));
}
