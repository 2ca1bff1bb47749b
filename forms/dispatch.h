#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/error.h"

namespace palorin::forms {

// The error box's text for an error message: the message with a full stop
// appended when its last character sorts after the full stop.
std::string ErrorBoxText(std::string_view message);

// The error box's title: the program file's name (without its folder) up to
// its first full stop, every letter after the first in lower case.
std::string ErrorBoxTitle(std::string_view programPath);

// Runs one event handler. An error it raises ends it where it was raised (what
// it changed before stays changed); the result is then the error box's text,
// for every front end to show the same way.
template <typename Handler>
std::optional<std::string> Dispatch(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const Error& e) {
    return ErrorBoxText(e.message());
  }
  return std::nullopt;
}

}  // namespace palorin::forms
