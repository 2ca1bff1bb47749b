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
