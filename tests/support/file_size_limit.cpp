#include "tests/support/file_size_limit.h"

namespace palorin::test {

ScopedFileSizeLimit::ScopedFileSizeLimit(rlim_t bytes)
    : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
  saved_ = ::getrlimit(RLIMIT_FSIZE, &previous_) == 0;
  if (!saved_) return;
  rlimit small = previous_;
  small.rlim_cur = bytes;
  applied_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  if (saved_) ::setrlimit(RLIMIT_FSIZE, &previous_);
  std::signal(SIGXFSZ, previousHandler_);
}

}  // namespace palorin::test
