// One UnDo click on a full log through the real widgets (button press and
// release, the handler, showing the data, and the drawing area's repaint
// from the raster), beside the toolkit-free UnDo of the same log in the same
// run. Runs under the offscreen platform unless QT_QPA_PLATFORM says
// otherwise. The counter paints_per_op must read exactly 1.
//
// What the recovery copy adds to a press: a press on the drawing area
// through the real widgets with the copy off (the yardstick) and on (its
// notice after the handler, the timer armed, and every two seconds the copy
// written, all counted), and the same pair for the toolkit-free press with
// and without the recovery copy. XDG_STATE_HOME is a temporary folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "forms/recovery.h"
#include "forms/session.h"
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

// The press point of the n-th press: cells spread over the drawing area,
// at the middle of each cell's diamond.
QPoint PressPoint(std::int64_t n) {
  const int x = static_cast<int>(n % 82);
  const int y = 2 * static_cast<int>((n / 82) % 49) + (x % 2);
  return {6 * x + 5, 3 * y + 3};
}

// Presses are refused once the log is full; the log starts again well before.
constexpr std::int64_t kPressesPerLog = 5000;

// A session that shows nothing; its recovery timer never runs out here.
struct NoShell final : forms::Shell {
  void Refresh() override {}
  void ShowError(const std::string&) override {}
  void CopyToClipboard(const render::Raster&) override {}
  void AskFileName(const forms::FileDialog&, bool) override {}
};

void BM_PressForm(benchmark::State& state) {
  const bool recovery = state.range(0) != 0;
  NoShell shell;
  forms::RecoveryCopy copy(forms::RecoveryPath());
  forms::Session session(shell, recovery ? &copy : nullptr);
  std::int64_t n = 0;
  for (auto _ : state) {
    if (n % kPressesPerLog == 0) session.form1().log().LogPos = 0;
    const QPoint at = PressPoint(n++);
    session.Press(at.x(), at.y());
  }
  state.SetLabel(recovery ? "recovery copy on" : "yardstick: recovery copy off");
}
BENCHMARK(BM_PressForm)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PressWidgets(benchmark::State& state) {
  const bool recovery = state.range(0) != 0;
  ui::QtPrompts prompts;
  ui::Editor editor(prompts, recovery ? forms::RecoveryPath() : std::string());
  editor.Show();
  if (!QTest::qWaitForWindowExposed(&editor.Window1())) {
    state.SkipWithError("the main window was never exposed");
    return;
  }
  ui::DrawingArea& area = editor.Window1().Image1();
  QCoreApplication::processEvents();
  std::int64_t n = 0;
  for (auto _ : state) {
    if (n % kPressesPerLog == 0) editor.Form1().log().LogPos = 0;
    QTest::mousePress(&area, Qt::LeftButton, {}, PressPoint(n++));
    QTest::mouseRelease(&area, Qt::LeftButton, {}, PressPoint(n - 1));
    QCoreApplication::processEvents();
  }
  if (editor.Form1().log().LogPos == 0) state.SkipWithError("no press reached the form");
  state.SetLabel(recovery ? "recovery copy on" : "yardstick: recovery copy off");
}
BENCHMARK(BM_PressWidgets)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The editors here keep their recovery copies away from the user's.
  const QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
  QApplication app(argc, argv);
  ui::UseFormLook();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
