#include "test_util.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "cli/cli.h"

namespace palorin::test {

ScopedCwd::ScopedCwd(const std::filesystem::path& dir)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string DataPath(std::string_view name) {
  return (std::filesystem::path(PALORIN_TEST_DATA_DIR) / name).string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void CopyData(const TempDir& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::filesystem::copy_file(DataPath(name), dir.path() / name,
                               std::filesystem::copy_options::overwrite_existing);
  }
}

std::uint64_t Fnv1a64(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

CliRun RunCli(const std::vector<std::string>& args, std::string_view input, bool outIsTerminal) {
  std::istringstream in{std::string(input)};
  std::ostringstream out;
  std::ostringstream err;
  cli::Io io{in, out, err, outIsTerminal};
  CliRun run;
  run.status = cli::Main(args, io);
  run.out = out.str();
  run.err = err.str();
  return run;
}

int RunProcess(const std::string& shellCommand) {
  const int status = std::system(shellCommand.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string ShellQuote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string CliBinary() { return PALORIN_CLI_PATH; }

}  // namespace palorin::test
