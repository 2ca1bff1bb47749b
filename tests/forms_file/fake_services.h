#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "forms/services.h"
#include "forms/tform2.h"

namespace palorin::test {

// Answers each dialog with the next queued reply (a name, or nullopt for a
// cancel) and records what was asked. A save reply gets the dialog's default
// extension as a desktop dialog would add it.
class FakeServices : public forms::Services {
 public:
  std::deque<std::optional<std::string>> openReplies;
  std::deque<std::optional<std::string>> saveReplies;
  std::vector<forms::FileDialog> openAsked;  // the dialogs as they were shown
  std::vector<forms::FileDialog> saveAsked;
  int clipboardCopies = 0;
  int fileWindowShows = 0;
  int mainWindowCloses = 0;

  void CopyToClipboard(const render::Raster&) override { ++clipboardCopies; }
  void ShowFileWindow() override { ++fileWindowShows; }
  void CloseMainWindow() override { ++mainWindowCloses; }

  std::optional<std::string> RunOpenDialog(forms::FileDialog& dialog) override {
    return Answer(dialog, openAsked, openReplies, false);
  }
  std::optional<std::string> RunSaveDialog(forms::FileDialog& dialog) override {
    return Answer(dialog, saveAsked, saveReplies, true);
  }

 private:
  static std::optional<std::string> Answer(forms::FileDialog& dialog,
                                           std::vector<forms::FileDialog>& asked,
                                           std::deque<std::optional<std::string>>& replies,
                                           bool addExt) {
    asked.push_back(dialog);
    if (replies.empty()) return std::nullopt;
    std::optional<std::string> reply = std::move(replies.front());
    replies.pop_front();
    if (!reply) return std::nullopt;
    std::string name = addExt ? forms::WithDefaultExt(*reply, dialog.DefaultExt) : *reply;
    dialog.FileName = name;
    return name;
  }
};

}  // namespace palorin::test
