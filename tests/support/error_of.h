#pragma once

#include <functional>
#include <string>

#include "base/error.h"

namespace palorin::test {

// The message of the palorin::Error that `f` raises; empty when it raises none.
inline std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

}  // namespace palorin::test
