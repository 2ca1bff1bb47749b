// libFuzzer entry: arbitrary bytes as a link's fragment, through its parse,
// the capped inflate and the packed picture's reader (see link_driver.h for
// how the first byte frames the rest).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/link_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const palorin::fuzz::LinkReport report =
      palorin::fuzz::OpenLinkBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!report.violation.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", report.violation.c_str());
    std::abort();
  }
  return 0;
}
