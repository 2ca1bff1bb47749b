#include "forms/dispatch.h"

#include <cctype>

namespace palorin::forms {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  // Multi-byte characters end in a byte above 0x7f, so they sort after '.'.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

std::string ErrorBoxTitle(std::string_view programPath) {
  const auto slash = programPath.find_last_of('/');
  std::string name(slash == std::string_view::npos ? programPath : programPath.substr(slash + 1));
  if (const auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
  for (std::size_t i = 1; i < name.size(); ++i) {
    name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  }
  return name;
}

}  // namespace palorin::forms
