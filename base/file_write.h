#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace palorin {

// Writes `bytes` as the whole content of `path`. What a save promises:
//
// - A new file, or an existing one with a single name whose owner, group,
//   mode and extended attributes (the user's own, its access control list)
//   the new file can carry, is replaced: the bytes go to a temporary file in
//   the same folder, flushed to the disk, which is renamed over the target
//   only once it is completely written; the folder is flushed after. Any
//   failure leaves an existing target exactly as it was. A replaced file
//   keeps its mode, owner, group and every extended attribute the user may
//   set; a new one gets the mode the umask gives.
// - Every other existing file the user may write — one with hard links, one
//   whose owner or group the user cannot give (a group member saving someone
//   else's file, also in a sticky folder such as /tmp), one in a folder
//   closed to new files — is written in place: the room a longer content
//   needs is taken first, so a full disk leaves the file as it was; then the
//   content, complete in memory, is written over the file, cut to its length
//   and flushed to the disk. Its links, owner, group and mode stay. Only the
//   file the save looked at is written: should its name lead elsewhere by
//   then (another file, a symbolic link put in its place), the save fails.
// - A name that is a symbolic link saves into the file it points to (which
//   need not exist yet) and stays a link.
//
// The temporary file is named after the target (TemporaryPrefix) and is
// removed on every failure. The temporary files of earlier saves of the
// same target that were killed before removing theirs go at the next save:
// those over a minute old that no save holds open.
//
// On failure palorin::Error is thrown with `cannotCreateMessage` (the
// target or the temporary file cannot be created, or the target exists and
// is no regular file or may not be written to) or `writeFailedMessage`
// (writing failed part of the way, there was no room, or `modified` could
// not be set).
//
// `modified`, when given, becomes the written file's modification time (set
// before the file takes the target's name): the recovery copy dates a file by
// the change it holds.
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        const std::string& cannotCreateMessage,
                        const std::string& writeFailedMessage,
                        const std::timespec* modified = nullptr);

// What the names of a save's temporary files for `path` start with: the
// same for every save of that file, six random characters follow.
std::string TemporaryPrefix(const std::string& path);

}  // namespace palorin
