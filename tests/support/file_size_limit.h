#pragma once

#include <sys/resource.h>

#include <csignal>

namespace palorin::test {

// Limits the size of every file the process writes for the object's life, so
// that a write running past `bytes` fails (EFBIG) instead of filling the disk.
// SIGXFSZ is ignored meanwhile: the failing write returns an error instead of
// ending the test. Both are put back as they were when the object goes.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  // Whether the limit is in force; check it before relying on it.
  bool applied() const { return applied_; }

 private:
  void (*previousHandler_)(int);
  rlimit previous_{};
  bool saved_ = false;
  bool applied_ = false;
};

}  // namespace palorin::test
