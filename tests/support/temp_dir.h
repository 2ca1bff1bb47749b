#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace palorin::test {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes (even after a test took its write rights).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The whole content of a file, byte for byte; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

}  // namespace palorin::test
