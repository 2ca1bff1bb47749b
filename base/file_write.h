#pragma once

#include <string>
#include <string_view>

namespace palorin {

// Writes `bytes` as the whole content of `path` without ever leaving a
// half-written file behind: the bytes go to a temporary file in the same
// folder, flushed to the disk, which replaces the target only once it is
// completely written; the folder is flushed after. A name that is a symbolic
// link saves into the file it points to and stays a link. A replaced file
// keeps its mode and, where the user may, its owner and group; a new one gets
// the mode the umask gives. Where no temporary file can be created beside an
// existing file the user may write, that file is written in place.
//
// On failure the temporary file is removed, an existing target stays as it
// was (except after a failed write in place), and palorin::Error is thrown
// with `cannotCreateMessage` (the target or the temporary file cannot be
// created, or the target exists and may not be written to) or
// `writeFailedMessage` (writing failed part of the way).
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage);

}  // namespace palorin
