#pragma once

#include <string>
#include <string_view>

namespace palorin {

// Writes `bytes` as the whole content of `path` without ever leaving a
// half-written file behind: the bytes go to a temporary file in the same
// folder, which replaces the target only once it is completely written and
// closed. On failure the temporary file is removed, an existing target stays
// as it was, and palorin::Error is thrown with `cannotCreateMessage` (the
// target or the temporary file cannot be created, or the target exists and may
// not be written to) or `writeFailedMessage` (writing failed part of the way).
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage);

}  // namespace palorin
