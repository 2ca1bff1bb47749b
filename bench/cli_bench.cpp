// `palorin-cli render` of a full native file (all 10004 log slots) to BMP,
// run as a whole process, beside `cat FILE > /dev/null` of the same file as a
// yardstick for starting a process and reading the file. The tool started
// for --help only and the render run in-process show how the whole-process
// time splits into starting the program and the tool's own work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/session.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Fixture {
  fs::path dir;
  std::string picture;  // the native file
  std::string output;   // the BMP render writes
};

// Fills every slot with a block (colours and cells cycling over the lattice)
// and saves it through the file window's native mode, so the file is exactly
// what the editor writes for a full log.
const Fixture& TheFixture() {
  static const Fixture fixture = [] {
    Fixture f;
    std::string pattern = (fs::temp_directory_path() / "palorin-cli-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    f.dir = pattern;
    f.picture = (f.dir / "full.pln").string();
    f.output = (f.dir / "full.bmp").string();

    palorin::cli::Session session;
    auto& log = session.form1().log();
    for (std::int32_t slot = 0; slot < palorin::core::kLogSlots; ++slot) {
      const auto x = static_cast<std::uint8_t>(slot % 82);
      const auto y = static_cast<std::uint8_t>((slot / 82) % 49 * 2 + x % 2);
      log.Store(slot, x, y, static_cast<std::uint8_t>(slot % 5 + 1));
    }
    log.LogPos = palorin::core::kLogSlots - 1;
    log.LastIndex = palorin::core::kLogSlots - 1;
    for (const char* line : {"file", "page save", "save-mode native"}) {
      session.Apply(*palorin::cli::ParseLine(line).action);
    }
    const auto saved = session.Apply(*palorin::cli::ParseLine("save " + f.picture).action);
    if (!saved.errorBoxes.empty()) throw std::runtime_error(saved.errorBoxes.front());
    return f;
  }();
  return fixture;
}

// Runs a program to its end with standard output sent to /dev/null; returns
// its exit status.
int Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Runs `argv` once per iteration; `perFile` counts the picture's bytes as
// processed.
void SpawnEach(benchmark::State& state, const std::vector<std::string>& argv, bool perFile) {
  for (auto _ : state) {
    if (Spawn(argv) != 0) {
      state.SkipWithError((argv[0] + " failed").c_str());
      break;
    }
  }
  if (perFile) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(TheFixture().picture)));
  }
}

void BM_RenderProcess(benchmark::State& state) {
  const Fixture& f = TheFixture();
  SpawnEach(state, {PALORIN_CLI_PATH, "render", "-o", f.output, f.picture}, true);
}
BENCHMARK(BM_RenderProcess)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_CatYardstick(benchmark::State& state) {
  SpawnEach(state, {"cat", TheFixture().picture}, true);
}
BENCHMARK(BM_CatYardstick)->UseRealTime()->Unit(benchmark::kMillisecond);

// The tool starting and ending without work: what of the whole-process time
// is loading the program rather than rendering.
void BM_HelpProcess(benchmark::State& state) {
  SpawnEach(state, {PALORIN_CLI_PATH, "--help"}, false);
}
BENCHMARK(BM_HelpProcess)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RenderInProcess(benchmark::State& state) {
  const Fixture& f = TheFixture();
  const std::vector<std::string> args{"render", "-o", f.output, f.picture};
  for (auto _ : state) {
    std::istringstream in;
    std::ostringstream out, err;
    palorin::cli::Io io{in, out, err, false};
    if (palorin::cli::Main(args, io) != 0) {
      state.SkipWithError("render failed");
      break;
    }
  }
}
BENCHMARK(BM_RenderInProcess)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(TheFixture().dir, ignored);
  return 0;
}
