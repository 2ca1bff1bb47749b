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

// The error box's text for the exception being handled: the program's own
// error gives its message; any other exception (out of memory, a failure of
// the system or the standard library) its own text; anything else a general
// text. Call only inside a catch block.
std::string CurrentErrorBoxText();

// The English of an error box's text whose message is one of the program's
// Japanese messages ("ﾌｧｲﾙ a.pln は開けません." gives "File a.pln cannot be
// opened."), for a tooltip and a screen reader: the message itself stays as
// it is. Empty for any other text.
std::string ErrorBoxGloss(std::string_view boxText);

// Runs one event handler. Whatever it throws ends it where it was thrown
// (what it changed before stays changed); the result is then the error box's
// text, for every front end to show the same way and go on. No exception
// leaves: one escaping into the toolkit's event loop would end the program
// with the picture in it.
template <typename Handler>
std::optional<std::string> Dispatch(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (...) {
    return CurrentErrorBoxText();
  }
  return std::nullopt;
}

}  // namespace palorin::forms
