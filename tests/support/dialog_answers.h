#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/file_name.h"
#include "forms/services.h"
#include "forms/tform2.h"

namespace palorin::test {

// One file dialog answered by a fake: each run takes the next queued reply (a
// name, or nullopt for a cancel; an empty queue cancels too) and records the
// dialog's settings at the moment it ran. A chosen name is stored back into
// the dialog as a real one does.
struct DialogAnswers {
  std::deque<std::optional<std::string>> replies;
  std::vector<forms::FileDialog> asked;  // the dialogs as they were shown
  // Whether a reply gets the dialog's default extension, as a desktop save
  // dialog adds it to a name typed without one.
  bool addDefaultExt = false;

  std::optional<std::string> Answer(forms::FileDialog& dialog) {
    asked.push_back(dialog);
    if (replies.empty()) return std::nullopt;
    std::optional<std::string> reply = std::move(replies.front());
    replies.pop_front();
    if (!reply) return std::nullopt;
    if (addDefaultExt) reply = WithDefaultExt(std::move(*reply), dialog.DefaultExt);
    dialog.FileName = *reply;
    return reply;
  }
};

}  // namespace palorin::test
