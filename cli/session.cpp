#include "cli/session.h"

#include <functional>
#include <utility>

#include "forms/dispatch.h"
#include "forms/input.h"
#include "forms/keys.h"
#include "render/raster.h"

namespace palorin::cli {

using Kind = Action::Kind;

void CliServices::ShowFileWindow() {
  if (form2_ != nullptr) form2_->Visible = true;
}

void CliServices::CloseMainWindow() {
  mainWindowClosed_ = true;
  if (form2_ != nullptr) form2_->Visible = false;
}

std::optional<std::string> CliServices::RunOpenDialog(forms::FileDialog& dialog) {
  return answer_.Take(dialog);
}

std::optional<std::string> CliServices::RunSaveDialog(forms::FileDialog& dialog) {
  return answer_.Take(dialog);
}

Session::Session() : form1_(services_), form2_(form1_, services_) {
  services_.AttachFileWindow(form2_);
  // Start-up: the main window is created first, then the hidden file window.
  form1_.FormCreate();
  form2_.FormCreate();
}

template <typename Handler>
void Session::Run(Outcome& outcome, Handler&& handler) {
  if (auto text = forms::Dispatch(std::forward<Handler>(handler))) {
    outcome.errorBoxes.push_back(std::move(*text));
  }
}

void Session::SwitchPage(Outcome& outcome, int page) {
  Run(outcome, [this, page] { form2_.TakePage(page); });
}

void Session::Execute(Outcome& outcome, int page, std::optional<std::string> answer) {
  forms::ExecuteWithName(form1_, form2_, services_.answer(), page, std::move(answer),
                         [&](const std::function<void()>& handler) { Run(outcome, handler); });
}

bool Session::FileWindowShown(Outcome& outcome, const char* what) {
  if (form2_.Visible) return true;
  outcome.refusal = std::string(what) + ": the file window is not shown (\"file\" shows it)";
  return false;
}

bool Session::SavePageShown(Outcome& outcome, const char* what) {
  if (!FileWindowShown(outcome, what)) return false;
  if (form2_.ActivePage == forms::TForm2::kSavePage) return true;
  outcome.refusal = std::string(what) + ": the save page is not active (\"page save\")";
  return false;
}

namespace {

int IndexOf(const forms::ComboBox& box, const std::string& name) {
  for (std::size_t i = 0; i < box.Items.size(); ++i) {
    if (box.Items[i] == name) return static_cast<int>(i);
  }
  return -1;
}

// The main window's button that an action clicks.
using Button = void (forms::TForm1::*)();
Button ButtonHandler(Kind kind) {
  switch (kind) {
    case Kind::Undo:
      return &forms::TForm1::Button1Click;
    case Kind::Redo:
      return &forms::TForm1::Button2Click;
    case Kind::Reset:
      return &forms::TForm1::Button3Click;
    case Kind::Clip:
      return &forms::TForm1::Button4Click;
    case Kind::File:
      return &forms::TForm1::Button5Click;
    default:
      return &forms::TForm1::Button6Click;  // End
  }
}

}  // namespace

Outcome Session::Apply(const Action& action) {
  Outcome outcome;
  if ((action.kind == Kind::Press || action.kind == Kind::Move) &&
      (action.x < 0 || action.x >= render::kRasterWidth || action.y < 0 ||
       action.y >= render::kRasterHeight)) {
    // The pointer reports presses and moves on the drawing area only.
    outcome.refusal = std::to_string(action.x) + " " + std::to_string(action.y) +
                      " lies outside the " + std::to_string(render::kRasterWidth) + " x " +
                      std::to_string(render::kRasterHeight) + " drawing area";
    return outcome;
  }
  switch (action.kind) {
    case Kind::Press:
      Run(outcome,
          [&] { form1_.Image1MouseDown(forms::MouseButton::Left, 0, action.x, action.y); });
      break;
    case Kind::Move:
      Run(outcome, [&] { form1_.Image1MouseMove(0, action.x, action.y); });
      break;

    case Kind::Colour:
    case Kind::Mode: {
      const forms::BoxId box = action.kind == Kind::Colour ? forms::BoxId::Colour : forms::BoxId::Mode;
      const int index = IndexOf(forms::BoxOf(form1_, form2_, box), action.text);
      if (index < 0) {
        outcome.refusal = "\"" + action.text + "\" is not in the " +
                          (box == forms::BoxId::Colour ? "colour" : "mode") + " box's list";
        break;
      }
      // A choice from the list runs the box's change handler, also when it
      // chooses the entry already shown.
      Run(outcome, [this, box, index] { forms::ChooseEntry(form1_, form2_, box, index); });
      break;
    }
    case Kind::ColourText:
      Run(outcome, [this, &action] {
        forms::TypeText(form1_, form2_, forms::BoxId::Colour, action.text);
      });
      break;
    case Kind::ModeText:
      Run(outcome,
          [this, &action] { forms::TypeText(form1_, form2_, forms::BoxId::Mode, action.text); });
      break;

    case Kind::Size:
    case Kind::SizeText: {
      const forms::BoxId box = static_cast<forms::BoxId>(
          static_cast<int>(forms::BoxId::SizeX) + action.axis);
      if (!forms::BoxReachable(form1_, form2_, box)) {
        outcome.refusal = "the size box " +
                          std::string(forms::kAxisNames[static_cast<std::size_t>(action.axis)]) +
                          " is disabled in this mode";
        break;
      }
      // The size boxes have no change handler; stamping reads them.
      Run(outcome, [this, box, &action] {
        if (action.kind == Kind::Size) {
          forms::ChooseEntry(form1_, form2_, box, action.entry);
        } else {
          forms::TypeText(form1_, form2_, box, action.text);
        }
      });
      break;
    }
    case Kind::Step:
      Run(outcome,
          [this, &action] { forms::TypeText(form1_, form2_, forms::BoxId::Step, action.text); });
      break;
    case Kind::Key: {
      const forms::KeyBinding* binding = forms::BindingFor(action.text);
      if (binding == nullptr) {
        outcome.refusal = "\"" + action.text + "\" is not a key of the editor";
        break;
      }
      // The keys reach the windows with the focus on no text field.
      Run(outcome, [this, binding] { forms::RunKeyAction(binding->action, form1_, form2_); });
      break;
    }

    case Kind::Undo:
    case Kind::Redo:
    case Kind::Reset:
    case Kind::Clip:
    case Kind::File:
    case Kind::End:
      Run(outcome, [this, handler = ButtonHandler(action.kind)] { (form1_.*handler)(); });
      break;

    case Kind::Page:
      if (FileWindowShown(outcome, "page")) SwitchPage(outcome, action.entry);
      break;
    case Kind::SaveMode:
      if (!SavePageShown(outcome, "save-mode")) break;
      Run(outcome, [this, &action] { form2_.ClickSaveMode(action.entry); });
      break;
    case Kind::Part:
      if (!SavePageShown(outcome, "part")) break;
      if (!forms::BoxReachable(form1_, form2_, forms::BoxId::Part)) {
        outcome.refusal = "part: the part-number box is disabled in this save mode";
        break;
      }
      Run(outcome,
          [this, &action] { forms::TypeText(form1_, form2_, forms::BoxId::Part, action.text); });
      break;
    case Kind::Load:
      Execute(outcome, forms::TForm2::kLoadPage, action.text);
      break;
    case Kind::Save:
      Execute(outcome, forms::TForm2::kSavePage, action.text);
      break;
    case Kind::LoadCancel:
      Execute(outcome, forms::TForm2::kLoadPage, std::nullopt);
      break;
    case Kind::SaveCancel:
      Execute(outcome, forms::TForm2::kSavePage, std::nullopt);
      break;
    case Kind::Cancel:
      if (FileWindowShown(outcome, "cancel")) Run(outcome, [this] { form2_.Button2Click(); });
      break;
  }
  return outcome;
}

std::string Session::TraceLine() const {
  const auto& panels = form1_.scene.status.Panels;
  const auto& log = form1_.scene.log;
  const auto marks = [](const fileio::PartMarks& m) {
    std::string digits;
    for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) digits += std::to_string(m[k]);
    return digits;
  };
  std::string line = panels[0] + ' ' + panels[1] + ' ' + panels[2];
  line += " LogPos=" + std::to_string(log.LogPos);
  line += " LastIndex=" + std::to_string(log.LastIndex);
  line += " AfterStep=" + std::to_string(log.AfterStep);
  line += form2_.Visible ? " File=shown" : " File=hidden";
  line += " WriteParts=" + std::to_string(form2_.WriteParts());
  line += " Saved=" + marks(form2_.PartSaved());
  line += " ReadParts=" + std::to_string(form2_.ReadParts());
  line += " Loaded=" + marks(form2_.PartLoaded());
  return line;
}

}  // namespace palorin::cli
