// libFuzzer entry: arbitrary bytes as a palorin-cli play script, through the
// script reader and a session of both windows (every handler, the file
// window's loads and saves included).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/play_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const palorin::fuzz::PlayReport report = palorin::fuzz::PlayThroughSession(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!report.violation.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", report.violation.c_str());
    std::abort();
  }
  return 0;
}
