// palorin-cli convert: load, then save through the file window's save page.
#include <memory>
#include <ostream>

#include "base/error.h"
#include "base/file_name.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/load.h"
#include "cli/script.h"

namespace palorin::cli {

int RunConvert(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("convert", args, {{"to", 0, true}, {"output", 'o', true}}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kConvertHelp;
    return kExitOk;
  }
  const std::optional<std::string> to = parsed->Value("to");
  if (!to) return Usage("convert", "--to native|compat is required", io);
  if (*to != "native" && *to != "compat") {
    return Usage("convert", "--to must be native or compat, not '" + *to + "'", io);
  }
  const std::optional<std::string> output = parsed->Value("output");
  if (!output || output->empty()) return Usage("convert", "-o OUT is required", io);
  if (parsed->operands.empty()) return Usage("convert", "no FILE given", io);

  auto session = std::make_unique<Session>();
  if (!LoadPicture(*session, parsed->operands, "convert", io)) return kExitFailure;

  // As a user would: "File", the save page, the save mode.
  const bool native = *to == "native";
  Action action;
  action.kind = Action::Kind::Verb;
  action.id = forms::ActionId::File;
  if (!PrintErrorBoxes(session->Apply(action), "convert", io)) return kExitFailure;
  action.kind = Action::Kind::Page;
  action.entry = forms::TForm2::kSavePage;
  if (!PrintErrorBoxes(session->Apply(action), "convert", io)) return kExitFailure;
  action.kind = Action::Kind::SaveMode;
  action.entry = native ? forms::kNativeMode : forms::kCompatibleMode;
  if (!PrintErrorBoxes(session->Apply(action), "convert", io)) return kExitFailure;

  const forms::TForm2& form2 = session->form2();
  const auto save = [&](const std::string& name) {
    Action saveAction;
    saveAction.kind = Action::Kind::Save;
    saveAction.text = name;
    if (!PrintErrorBoxes(session->Apply(saveAction), "convert", io)) return false;
    if (form2.LastSave()) io.out << form2.LastSave()->fileName << "\n";
    return true;
  };

  if (native) return save(*output) ? kExitOk : kExitFailure;

  // The save page's set-up has classified the picture into its parts.
  const std::int32_t parts = form2.WriteParts();
  for (std::int32_t k = 1; k <= parts; ++k) {
    Action part;
    part.kind = Action::Kind::Part;
    part.text = std::to_string(k);
    const Outcome typed = session->Apply(part);
    if (!typed.refusal.empty()) {
      io.err << "palorin-cli convert: " << typed.refusal << "\n";
      return kExitFailure;
    }
    const std::string name =
        parts == 1 ? *output
                   : InsertBeforeExtension(*output, std::string("_").append(std::to_string(k)));
    if (!save(name)) return kExitFailure;
  }
  // The last part completes the series.
  if (!form2.LastSave() || !form2.LastSave()->completed) {
    io.err << "palorin-cli convert: the series was not completed\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace palorin::cli
