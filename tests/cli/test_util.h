#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

namespace palorin::test {

// Makes `dir` the working folder for the object's life, so that scripts can
// name their files relative to it.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir);
  ~ScopedCwd();
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::filesystem::path previous_;
};

std::string DataPath(std::string_view name);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);
// Copies fixture files into `dir`.
void CopyData(const TempDir& dir, const std::vector<std::string>& names);

// FNV-1a, 64 bits: a checksum of whole outputs reviewed once by eye.
std::uint64_t Fnv1a64(std::string_view bytes);

// The tool run in-process with these arguments and this standard input.
struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};
CliRun RunCli(const std::vector<std::string>& args, std::string_view input = {},
              bool outIsTerminal = false);

// The built palorin-cli run as a separate process through the shell; returns
// its exit status (-1 when it did not exit normally).
int RunProcess(const std::string& shellCommand);
std::string ShellQuote(std::string_view text);
std::string CliBinary();

}  // namespace palorin::test
