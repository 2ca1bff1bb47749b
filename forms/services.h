#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/raster.h"

namespace palorin::forms {

// A file dialog's settings and memory. Each dialog keeps the name and the
// filter entry last chosen in it and offers them again next time.
struct FileDialog {
  std::string Title;       // empty: the system's default title
  std::string TitleGloss;  // the English of a Japanese title; empty otherwise
  std::string DefaultExt;  // added to a typed name without an extension
  // Filter entries as (description, patterns), patterns separated by ';'.
  std::vector<std::pair<std::string, std::string>> Filter;
  int FilterIndex = 0;   // entry offered first, 0-based
  std::string FileName;  // last chosen full name
};

// What the windows ask of the platform. The desktop front end implements it
// with real dialogs, the clipboard and window management; the command-line
// tool from its arguments; tests with a recording fake.
class Services {
 public:
  virtual ~Services() = default;

  // Puts a copy of the raster on the clipboard, replacing its content.
  virtual void CopyToClipboard(const render::Raster& raster) = 0;
  // Shows the file window (nothing when it is already shown).
  virtual void ShowFileWindow() = 0;
  // Closes the main window, which ends the program.
  virtual void CloseMainWindow() = 0;
  // Runs a modal open or save dialog. Returns the chosen full name, or nullopt
  // when the user cancelled. On success the implementation stores the chosen
  // name and filter entry back into `dialog`.
  virtual std::optional<std::string> RunOpenDialog(FileDialog& dialog) = 0;
  virtual std::optional<std::string> RunSaveDialog(FileDialog& dialog) = 0;
};

}  // namespace palorin::forms
