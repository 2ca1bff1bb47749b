#include "forms/dispatch.h"

#include <exception>
#include <new>

#include "base/ascii.h"
#include "base/file_name.h"

namespace palorin::forms {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  // Multi-byte characters end in a byte above 0x7f, so they sort after '.'.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

std::string ErrorBoxTitle(std::string_view programPath) {
  std::string name(BaseName(programPath));
  if (const auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
  for (std::size_t i = 1; i < name.size(); ++i) name[i] = AsciiLower(name[i]);
  return name;
}

std::string ErrorBoxGloss(std::string_view boxText) {
  struct Gloss {
    std::string_view message;
    std::string_view english;
  };
  static constexpr Gloss kGlosses[] = {
      {messages::kNotAnInteger, "'%s' is not an integer"},
      {messages::kCannotOpen, "File %s cannot be opened"},
      {messages::kCannotCreate, "File %s cannot be created"},
      {messages::kStreamWriteFailed, "Writing to the stream failed"},
      {messages::kBmpWriteError, "Error writing to the stream"},
  };
  for (const Gloss& gloss : kGlosses) {
    const std::string_view pattern = gloss.message;
    const std::size_t hole = pattern.find("%s");
    const std::string_view before = pattern.substr(0, hole);
    const std::string_view after =
        hole == std::string_view::npos ? std::string_view() : pattern.substr(hole + 2);
    std::string_view text = boxText;
    if (text == ErrorBoxText(pattern) && hole == std::string_view::npos) {
      return ErrorBoxText(gloss.english);
    }
    // The box's text is the message with its full stop.
    const std::string ending = ErrorBoxText(after);
    if (hole == std::string_view::npos || text.size() < before.size() + ending.size() ||
        text.substr(0, before.size()) != before ||
        text.substr(text.size() - ending.size()) != ending) {
      continue;
    }
    const std::string_view value =
        text.substr(before.size(), text.size() - before.size() - ending.size());
    return FormatMessage(ErrorBoxText(gloss.english), value);
  }
  return {};
}

std::string CurrentErrorBoxText() {
  constexpr std::string_view kUnexpected = "An unexpected error occurred";
  try {
    throw;
  } catch (const Error& e) {
    return ErrorBoxText(e.message());
  } catch (const std::exception& e) {
    const std::string_view what = e.what();
    return ErrorBoxText(what.empty() ? kUnexpected : what);
  } catch (...) {
    return ErrorBoxText(kUnexpected);
  }
}

}  // namespace palorin::forms
