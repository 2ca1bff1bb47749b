#include "base/file_name.h"

namespace palorin {

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::size_t ExtensionDot(std::string_view path) {
  const std::size_t fileStart = path.size() - BaseName(path).size();
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot <= fileStart) return std::string_view::npos;
  return dot;
}

std::string WithDefaultExt(std::string name, std::string_view ext) {
  if (name.empty() || ext.empty() || name.back() == '/') return name;
  if (ExtensionDot(name) != std::string_view::npos) return name;
  name += '.';
  name += ext;
  return name;
}

std::string InsertBeforeExtension(std::string_view name, std::string_view suffix) {
  std::string out(name);
  const std::size_t dot = ExtensionDot(name);
  out.insert(dot == std::string_view::npos ? out.size() : dot, suffix);
  return out;
}

}  // namespace palorin
