#pragma once

#include <functional>
#include <optional>
#include <string>

#include "forms/input.h"
#include "forms/services.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::forms {

// A file dialog's answer when the name comes from somewhere other than the
// user typing it: a name given to the editor when it starts, a file dropped
// on its window, a script's "load PATH". Armed just before execute, it
// answers the one dialog that execute runs.
class DialogAnswer {
 public:
  // The next dialog answers `name`; nullopt: the dialog is cancelled.
  void Arm(std::optional<std::string> name) {
    armed_ = true;
    name_ = std::move(name);
  }
  void Disarm() {
    armed_ = false;
    name_.reset();
  }
  bool Armed() const { return armed_; }

  // Answers `dialog` and disarms: the name with the dialog's default
  // extension added when it has none, stored as the dialog's last chosen
  // name, as a desktop dialog does; nullopt when armed with a cancel or not
  // armed at all.
  std::optional<std::string> Take(FileDialog& dialog);

 private:
  bool armed_ = false;
  std::optional<std::string> name_;
};

// "実行" on `page` reached the way a user reaches it: the page opened as
// OpenFilePage opens it ("File", then its tab), then
// execute with its dialog answering `name` (nullopt: cancelled). Each step
// is its own handler run through `run`, so a failure in one shows as an
// error box and ends only that step. The services `form2` was created with
// must answer their dialogs from `answer` while it is armed.
void ExecuteWithName(TForm1& form1, TForm2& form2, DialogAnswer& answer, int page,
                     std::optional<std::string> name, const HandlerRunner& run);

// Loads the file `name` exactly as the load page would: a native file, or one
// part of a compatible series (a series completes once all its parts are in,
// in any order).
inline void LoadByName(TForm1& form1, TForm2& form2, DialogAnswer& answer, const std::string& name,
                       const HandlerRunner& run) {
  ExecuteWithName(form1, form2, answer, TForm2::kLoadPage, name, run);
}

}  // namespace palorin::forms
