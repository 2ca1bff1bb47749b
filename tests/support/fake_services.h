#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "forms/services.h"
#include "render/raster.h"
#include "tests/support/dialog_answers.h"

namespace palorin::test {

// Records what the windows ask of the platform and answers their file dialogs
// from queues. A save reply gets the dialog's default extension.
class FakeServices : public forms::Services {
 public:
  FakeServices() { saveDialog.addDefaultExt = true; }

  DialogAnswers openDialog;
  DialogAnswers saveDialog;
  std::vector<render::Raster> clipboard;  // every copy, oldest first
  int fileWindowShows = 0;
  int mainWindowCloses = 0;

  // How many open and save dialogs ran.
  std::size_t DialogsShown() const { return openDialog.asked.size() + saveDialog.asked.size(); }

  void CopyToClipboard(const render::Raster& raster) override { clipboard.push_back(raster); }
  void ShowFileWindow() override { ++fileWindowShows; }
  void CloseMainWindow() override { ++mainWindowCloses; }
  std::optional<std::string> RunOpenDialog(forms::FileDialog& dialog) override {
    return openDialog.Answer(dialog);
  }
  std::optional<std::string> RunSaveDialog(forms::FileDialog& dialog) override {
    return saveDialog.Answer(dialog);
  }
};

}  // namespace palorin::test
