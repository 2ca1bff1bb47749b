// Native save and load through the file window, beside a yardstick that only
// reads the same bytes into memory and splits them into lines.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fileio/block_text.h"
#include "forms/tform2.h"

namespace {

namespace fs = std::filesystem;
using palorin::forms::TForm1;
using palorin::forms::TForm2;

class PathServices : public palorin::forms::Services {
 public:
  std::string path;
  void CopyToClipboard(const palorin::render::Raster&) override {}
  void ShowFileWindow() override {}
  void CloseMainWindow() override {}
  std::optional<std::string> RunOpenDialog(palorin::forms::FileDialog&) override { return path; }
  std::optional<std::string> RunSaveDialog(palorin::forms::FileDialog&) override { return path; }
};

// A picture whose slots 0..entries-1 visit every cell of the lattice in
// turn (x + y even), so with 10004 entries every cell is occupied.
void FillEveryCell(palorin::core::PlacementLog& log, int entries) {
  int slot = 0;
  while (slot < entries) {
    for (int y = 0; y <= 98 && slot < entries; ++y) {
      for (int x = y % 2; x <= 81 && slot < entries; x += 2, ++slot) {
        log.Store(slot, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                  static_cast<std::uint8_t>(1 + slot % 5));
      }
    }
  }
  log.LastIndex = entries - 1;
  log.LogPos = entries;
}

struct Editor {
  PathServices services;
  TForm1 form1{services};
  TForm2 form2{form1, services};
  Editor() {
    form1.FormCreate();
    form2.FormCreate();
  }
};

fs::path FilePath(int entries) {
  return fs::temp_directory_path() /
         ("palorin_bench_" + std::to_string(::getpid()) + "_" + std::to_string(entries) + ".pln");
}

// Writes the native file of a picture with `entries` blocks once per size.
fs::path NativeFile(int entries) {
  const fs::path path = FilePath(entries);
  if (!fs::exists(path)) {
    Editor e;
    FillEveryCell(e.form1.log(), entries);
    e.services.path = path.string();
    e.form2.ActivePage = TForm2::kSavePage;
    e.form2.RadioGroup1ItemIndex = palorin::forms::kNativeMode;
    e.form2.Button1Click();
  }
  return path;
}

void BM_NativeSave(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  Editor e;
  FillEveryCell(e.form1.log(), entries);
  e.services.path = FilePath(entries).string() + ".out";
  e.form2.ActivePage = TForm2::kSavePage;
  e.form2.RadioGroup1ItemIndex = palorin::forms::kNativeMode;
  for (auto _ : state) {
    e.form2.Visible = true;
    e.form2.Button1Click();  // lines, file, replay
    benchmark::DoNotOptimize(e.form2.Visible);
  }
  fs::remove(e.services.path);
  state.SetItemsProcessed(state.iterations() * entries);
}

void BM_NativeLoad(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  Editor e;
  e.services.path = NativeFile(entries).string();
  for (auto _ : state) {
    e.form2.Visible = true;
    e.form2.ActivePage = TForm2::kLoadPage;
    e.form2.Button1Click();  // read, header, data section, replay
    if (e.form2.Visible) state.SkipWithError("load did not complete");
  }
  state.SetItemsProcessed(state.iterations() * entries);
}

// The load's reading without the window and its replay: the file read into
// the text buffer and the data section into the log.
void BM_NativeLoadNoReplay(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string path = NativeFile(entries).string();
  palorin::fileio::TextBuffer buffer;
  palorin::core::PlacementLog log;
  for (auto _ : state) {
    buffer.LoadFromFile(path);
    std::int32_t loadPos = 0;
    palorin::fileio::LoadDataSection(buffer, log, loadPos, path);
    benchmark::DoNotOptimize(loadPos);
  }
  state.SetItemsProcessed(state.iterations() * entries);
}

// The replay alone: slots 0..entries-1 drawn into the raster.
void BM_Replay(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  Editor e;
  FillEveryCell(e.form1.log(), entries);
  for (auto _ : state) {
    e.form1.ReDraw(entries - 1);
    benchmark::DoNotOptimize(e.form1.raster().Data());
  }
  state.SetItemsProcessed(state.iterations() * entries);
}

// Yardstick: the same file read into memory and split into lines.
void BM_YardstickReadAndSplit(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const fs::path path = NativeFile(entries);
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
      std::size_t end = bytes.find('\n', begin);
      if (end == std::string::npos) end = bytes.size();
      lines.emplace_back(bytes, begin, end - begin);
      begin = end + 1;
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(state.iterations() * entries);
}

// 10004 is the full log; the smaller sizes show how time grows with entries.
#define PALORIN_SIZES Arg(1251)->Arg(2502)->Arg(5002)->Arg(10004)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_YardstickReadAndSplit)->PALORIN_SIZES;
BENCHMARK(BM_NativeLoad)->PALORIN_SIZES;
BENCHMARK(BM_NativeLoadNoReplay)->PALORIN_SIZES;
BENCHMARK(BM_Replay)->PALORIN_SIZES;
BENCHMARK(BM_NativeSave)->PALORIN_SIZES;

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const int n : {1251, 2502, 5002, 10004}) fs::remove(FilePath(n));
  return 0;
}
