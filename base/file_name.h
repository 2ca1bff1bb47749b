#pragma once

#include <string>
#include <string_view>

namespace palorin {

// The one extension rule for every file name the program makes up: the
// extension of a path is what follows the last '.' of its file name (the part
// after the last '/'), unless that dot starts the file name, which makes it a
// hidden file, not an extension. Returns the dot's position, or npos.
std::size_t ExtensionDot(std::string_view path);

// The file name of a path: what follows its last '/' (the whole path when it
// has none).
std::string_view BaseName(std::string_view path);

// `name` with ".ext" added when its file name has no extension, as a desktop
// save dialog does with its default extension. An empty name or extension,
// or a name ending in '/', is returned unchanged.
std::string WithDefaultExt(std::string name, std::string_view ext);

// `name` with `suffix` inserted before the extension of its file name, or
// appended when it has none: ("a/pic.txt", "_2") gives "a/pic_2.txt".
std::string InsertBeforeExtension(std::string_view name, std::string_view suffix);

}  // namespace palorin
