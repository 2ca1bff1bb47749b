// The editor's start-up as a whole process, from its start to its main
// window first exposed (PALORIN_EXIT_WHEN_SHOWN=1), beside a bare Qt Widgets
// program showing one plain window of the same size (startup_peer). Each
// records the wall time and the child's peak resident memory (ru_maxrss, as
// wait4 reports it) as counters; BM_EditorOverBare starts the two in turn,
// so that both meet the same load on the machine, and reports the ratios of
// wall time, of processor time (user and system, as wait4 reports it) and of
// peak memory.
// Runs on whatever platform QT_QPA_PLATFORM and DISPLAY name (offscreen, or
// an X server). The editor's recovery copy goes to a temporary folder.
// PALORIN_STARTUP_EDITOR names another build of the editor to start instead
// (an older one, say, to compare two builds on the same machine).
// BM_TextOverBare puts the same window with one line of text in it
// (startup_text_peer) beside the bare window: the part of the editor's
// ratios that any window drawing text pays. BM_ControlsOverBare puts the
// editor's first frame as the toolkit alone draws it (startup_controls_peer:
// the same controls in the same face, none of the editor's code) beside it:
// the part no program showing that frame with the toolkit avoids.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The environment of every child: ours, with the exit hook asked for and
// XDG_STATE_HOME in a temporary folder made once.
struct Environment {
  fs::path stateDir;
  std::vector<std::string> entries;
  std::vector<char*> pointers;
};

const Environment& TheEnvironment() {
  static const Environment env = [] {
    Environment e;
    std::string pattern = (fs::temp_directory_path() / "palorin-startup-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    e.stateDir = pattern;
    for (char** v = environ; *v != nullptr; ++v) {
      const std::string entry = *v;
      if (entry.rfind("XDG_STATE_HOME=", 0) == 0 || entry.rfind("PALORIN_EXIT_WHEN_SHOWN=", 0) == 0)
        continue;
      e.entries.push_back(entry);
    }
    e.entries.push_back("XDG_STATE_HOME=" + e.stateDir.string());
    e.entries.push_back("PALORIN_EXIT_WHEN_SHOWN=1");
    for (std::string& entry : e.entries) e.pointers.push_back(entry.data());
    e.pointers.push_back(nullptr);
    return e;
  }();
  return env;
}

struct Run {
  bool ok = false;
  double seconds = 0;
  double maxRssKiB = 0;
  double cpuSeconds = 0;  // user and system time: less swayed by a busy machine
};

// Starts `program` with no arguments, its output sent to /dev/null, and
// waits for its end.
Run SpawnOnce(const char* program) {
  Run run;
  char* args[] = {const_cast<char*>(program), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, program, &actions, nullptr, args,
                                    const_cast<char**>(TheEnvironment().pointers.data()));
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.maxRssKiB = static_cast<double>(usage.ru_maxrss);
  run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void StartEach(benchmark::State& state, const char* program) {
  double rss = 0;
  for (auto _ : state) {
    const Run run = SpawnOnce(program);
    if (!run.ok) {
      state.SkipWithError((std::string(program) + " did not end well").c_str());
      return;
    }
    state.SetIterationTime(run.seconds);
    rss += run.maxRssKiB;
  }
  state.counters["maxrss_MiB"] =
      benchmark::Counter(rss / 1024.0 / static_cast<double>(state.iterations()));
}

const char* Editor() {
  const char* other = std::getenv("PALORIN_STARTUP_EDITOR");
  return other != nullptr && *other != '\0' ? other : PALORIN_PATH;
}

void BM_EditorStart(benchmark::State& state) { StartEach(state, Editor()); }
BENCHMARK(BM_EditorStart)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareWindowStart(benchmark::State& state) { StartEach(state, PALORIN_PEER_PATH); }
BENCHMARK(BM_BareWindowStart)->UseManualTime()->Unit(benchmark::kMillisecond);

// One `program` and one bare window per iteration; the counters are the
// program's time and memory over the bare window's, summed over the run.
void CompareWithBare(benchmark::State& state, const char* program) {
  Run editor, bare;
  for (auto _ : state) {
    const Run e = SpawnOnce(program);
    const Run b = SpawnOnce(PALORIN_PEER_PATH);
    if (!e.ok || !b.ok) {
      state.SkipWithError("a start-up did not end well");
      return;
    }
    state.SetIterationTime(e.seconds + b.seconds);
    editor.seconds += e.seconds;
    editor.maxRssKiB += e.maxRssKiB;
    editor.cpuSeconds += e.cpuSeconds;
    bare.cpuSeconds += b.cpuSeconds;
    bare.seconds += b.seconds;
    bare.maxRssKiB += b.maxRssKiB;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["editor_ms"] = editor.seconds * 1000 / n;
  state.counters["bare_ms"] = bare.seconds * 1000 / n;
  state.counters["time_ratio"] = editor.seconds / bare.seconds;
  state.counters["cpu_ratio"] = editor.cpuSeconds / bare.cpuSeconds;
  state.counters["editor_MiB"] = editor.maxRssKiB / 1024 / n;
  state.counters["bare_MiB"] = bare.maxRssKiB / 1024 / n;
  state.counters["rss_ratio"] = editor.maxRssKiB / bare.maxRssKiB;
}

void BM_EditorOverBare(benchmark::State& state) { CompareWithBare(state, Editor()); }
BENCHMARK(BM_EditorOverBare)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_TextOverBare(benchmark::State& state) { CompareWithBare(state, PALORIN_TEXT_PEER_PATH); }
BENCHMARK(BM_TextOverBare)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ControlsOverBare(benchmark::State& state) {
  CompareWithBare(state, PALORIN_CONTROLS_PEER_PATH);
}
BENCHMARK(BM_ControlsOverBare)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(TheEnvironment().stateDir, ignored);
  return 0;
}
