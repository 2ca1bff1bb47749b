#include "forms/named_file.h"

#include <utility>

#include "base/file_name.h"

namespace palorin::forms {

std::optional<std::string> DialogAnswer::Take(FileDialog& dialog) {
  const bool armed = std::exchange(armed_, false);
  std::optional<std::string> name = std::exchange(name_, std::nullopt);
  if (!armed || !name) return std::nullopt;
  std::string chosen = WithDefaultExt(std::move(*name), dialog.DefaultExt);
  dialog.FileName = chosen;
  return chosen;
}

void ExecuteWithName(TForm1& form1, TForm2& form2, DialogAnswer& answer, int page,
                     std::optional<std::string> name, const HandlerRunner& run) {
  OpenFilePage(form1, form2, page, run);
  answer.Arm(std::move(name));
  run([&form2] { form2.Button1Click(); });
  // A handler that failed before its dialog ran leaves no answer behind for
  // the next dialog the user opens.
  answer.Disarm();
}

}  // namespace palorin::forms
