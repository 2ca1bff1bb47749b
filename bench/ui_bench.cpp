// One UnDo click on a full log through the real widgets (button press and
// release, the handler, showing the data, and the drawing area's repaint
// from the raster), beside the toolkit-free UnDo of the same log in the same
// run. Runs under the offscreen platform unless QT_QPA_PLATFORM says
// otherwise. The counter paints_per_op must read exactly 1.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "forms/tform1.h"
#include "ui/drawing_area.h"
#include "ui/editor.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/prompts.h"

namespace {

using namespace palorin;

class NoServices final : public forms::Services {
 public:
  void CopyToClipboard(const render::Raster&) override {}
  void ShowFileWindow() override {}
  void CloseMainWindow() override {}
  std::optional<std::string> RunOpenDialog(forms::FileDialog&) override { return {}; }
  std::optional<std::string> RunSaveDialog(forms::FileDialog&) override { return {}; }
};

// Every slot 0..9999 holds a block, spread over the whole drawing area, as
// after 10000 single presses: the next placement would write slot 10000.
void FillFullLog(core::PlacementLog& log) {
  for (int slot = 0; slot < 10000; ++slot) {
    const int x = slot % 82;
    const int y = 2 * ((slot / 82) % 49) + (x % 2);
    log.Store(slot, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
              static_cast<std::uint8_t>(1 + slot % 5));
  }
}

void Rewind(core::PlacementLog& log) {
  log.LogPos = 10000;
  log.LastIndex = 9999;
  log.AfterStep = palorin::core::kNextFree;
}

void BM_UnDoForm(benchmark::State& state) {
  NoServices services;
  forms::TForm1 form(services);
  form.FormCreate();
  FillFullLog(form.log());
  for (auto _ : state) {
    state.PauseTiming();
    Rewind(form.log());
    state.ResumeTiming();
    form.Button1Click();
    benchmark::DoNotOptimize(form.raster().Data());
  }
}
BENCHMARK(BM_UnDoForm)->Unit(benchmark::kMicrosecond);

void BM_UnDoWidgets(benchmark::State& state) {
  ui::QtPrompts prompts;
  ui::Editor editor(prompts);
  editor.Show();
  if (!QTest::qWaitForWindowExposed(&editor.Window1())) {
    state.SkipWithError("the main window was never exposed");
    return;
  }
  FillFullLog(editor.Form1().log());
  auto* undo = editor.Window1().findChild<QPushButton*>(QStringLiteral("Button1"));
  const ui::DrawingArea& area = editor.Window1().Image1();
  QCoreApplication::processEvents();

  std::uint64_t paints = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Rewind(editor.Form1().log());
    const auto before = area.PaintCount();
    state.ResumeTiming();
    QTest::mouseClick(undo, Qt::LeftButton);
    QCoreApplication::processEvents();
    state.PauseTiming();
    paints += area.PaintCount() - before;
    state.ResumeTiming();
  }
  state.counters["paints_per_op"] =
      benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
  if (editor.Form1().StatusBar1().Panels[0] != "Count:9998") {
    state.SkipWithError("UnDo did not run through the widgets");
  }
}
BENCHMARK(BM_UnDoWidgets)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::UseFormLook();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
