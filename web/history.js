// History: the picture as it was built, slot by slot. The slider runs from
// slot 0 to the last slot shown; at slot k the drawing area shows slots
// 0..k replayed into a cleared area (drawn apart from the editor's own
// raster, so nothing of the log changes), at its end the editor's own
// picture. Playing shows the frames of the build at the editor's pace.

const $ = (id) => document.getElementById(id);

export function createHistory(page) {
  const slider = $("History");
  const playButton = $("HistoryPlay");
  let playTimer = 0;

  const atEnd = () => Number(slider.value) >= Number(slider.max);

  function showFrame() {
    const editor = page.editor;
    page.view.paint(atEnd() ? editor.raster() : editor.historyRaster(Number(slider.value)));
  }

  function stopPlaying() {
    clearTimeout(playTimer);
    playTimer = 0;
    playButton.textContent = "▶";
  }

  // Back to the end, where the drawing area shows the editor's picture (the
  // caller paints it).
  function toEnd() {
    stopPlaying();
    slider.max = String(page.editor.historyEnd());
    slider.value = slider.max;
  }

  // The frames `palorin-cli animate` draws: the last slot of each frame,
  // the whole picture last, which stays.
  function play() {
    if (playTimer) return stopPlaying();
    const frames = page.editor.historyFrames();
    const frameMs = page.M.buildFrameMs();
    slider.max = String(page.editor.historyEnd());
    let next = 0;
    const frame = () => {
      const last = next === frames.length - 1;
      slider.value = last ? slider.max : String(frames[next]);
      showFrame();
      if (last) {
        stopPlaying();
      } else {
        ++next;
        playTimer = setTimeout(frame, frameMs);
      }
    };
    playButton.textContent = "■";
    frame();
  }

  slider.addEventListener("input", () => {
    stopPlaying();
    showFrame();
  });
  playButton.addEventListener("click", play);

  return { toEnd, stopPlaying, showWhole: () => { toEnd(); showFrame(); } };
}
