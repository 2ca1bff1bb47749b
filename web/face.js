// The form face: the same face and condensing as the desktop. The build
// names the form face and its stand-ins as the page's font; here the face
// the browser picked is measured, and texts (the spans of class "cx", the
// boxes' and the memo's fields) are narrowed by the editor's own rule until
// a digit is half the font's height wide.

export function useFormFace(M) {
  const faces = M.formFaces();
  document.body.style.fontFamily = faces;
  const c = document.createElement("canvas").getContext("2d");
  c.font = `12px ${faces}`;
  const stretch = M.formStretch(c.measureText("0").width, 12) / 100;
  document.documentElement.style.setProperty("--stretch", String(stretch));
}
