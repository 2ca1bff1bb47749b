// libFuzzer entry: arbitrary bytes through the whole load path of the file
// window (file read, header, data section, part bookkeeping, replay).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/load_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const palorin::fuzz::LoadReport report = palorin::fuzz::LoadThroughFileWindow(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!report.violation.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", report.violation.c_str());
    std::abort();
  }
  return 0;
}
