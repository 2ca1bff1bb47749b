#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace palorin {

// Writes `bytes` as the whole content of `path`. What a save promises:
//
// - A new file, or an existing one with a single name whose owner, group and
//   mode the new file can carry, is replaced: the bytes go to a temporary
//   file in the same folder, flushed to the disk, which is renamed over the
//   target only once it is completely written; the folder is flushed after.
//   Any failure leaves an existing target exactly as it was. A replaced file
//   keeps its mode, owner and group; a new one gets the mode the umask gives.
// - Every other existing file the user may write — one with hard links, one
//   whose owner or group the user cannot give (a group member saving someone
//   else's file, also in a sticky folder such as /tmp), one in a folder
//   closed to new files — is written in place: the content, complete in
//   memory, is written over the file after cutting it to nothing, and flushed
//   to the disk. Its links, owner, group and mode stay; a write that fails
//   part of the way leaves it short.
// - A name that is a symbolic link saves into the file it points to (which
//   need not exist yet) and stays a link.
//
// On failure the temporary file is removed and palorin::Error is thrown with
// `cannotCreateMessage` (the target or the temporary file cannot be created,
// or the target exists and is no regular file or may not be written to) or
// `writeFailedMessage` (writing failed part of the way, or `modified` could not
// be set).
//
// `modified`, when given, becomes the written file's modification time (set
// before the file takes the target's name): the recovery copy dates a file by
// the change it holds.
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage,
                        const std::timespec* modified = nullptr);

}  // namespace palorin
