#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "forms/services.h"
#include "forms/tform2.h"

namespace palorin::forms::testing {

// Answers each dialog with the next queued reply (a name, or nullopt for a
// cancel) and records what was asked. A save reply gets the dialog's default
// extension as a desktop dialog would add it.
class FakeServices : public Services {
 public:
  std::deque<std::optional<std::string>> openReplies;
  std::deque<std::optional<std::string>> saveReplies;
  std::vector<FileDialog> openAsked;  // the dialogs as they were shown
  std::vector<FileDialog> saveAsked;
  int clipboardCopies = 0;
  int fileWindowShows = 0;
  int mainWindowCloses = 0;

  void CopyToClipboard(const render::Raster&) override { ++clipboardCopies; }
  void ShowFileWindow() override { ++fileWindowShows; }
  void CloseMainWindow() override { ++mainWindowCloses; }

  std::optional<std::string> RunOpenDialog(FileDialog& dialog) override {
    return Answer(dialog, openAsked, openReplies, false);
  }
  std::optional<std::string> RunSaveDialog(FileDialog& dialog) override {
    return Answer(dialog, saveAsked, saveReplies, true);
  }

 private:
  static std::optional<std::string> Answer(FileDialog& dialog, std::vector<FileDialog>& asked,
                                           std::deque<std::optional<std::string>>& replies,
                                           bool addExt) {
    asked.push_back(dialog);
    if (replies.empty()) return std::nullopt;
    std::optional<std::string> reply = std::move(replies.front());
    replies.pop_front();
    if (!reply) return std::nullopt;
    std::string name = addExt ? WithDefaultExt(*reply, dialog.DefaultExt) : *reply;
    dialog.FileName = name;
    return name;
  }
};

}  // namespace palorin::forms::testing
