#include "cli/session.h"

#include <functional>
#include <utility>

#include "forms/dispatch.h"
#include "render/raster.h"

namespace palorin::cli {

using Kind = Action::Kind;

void CliServices::ShowFileWindow() {
  if (form2_ != nullptr) form2_->Visible = true;
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
  if (form2_.ActivePage == page) return;
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

struct BoxState {
  int itemIndex;
  std::string text;
  explicit BoxState(const forms::ComboBox& box) : itemIndex(box.ItemIndex), text(box.Text) {}
  bool Same(const forms::ComboBox& box) const {
    return itemIndex == box.ItemIndex && text == box.Text;
  }
};

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
    case Kind::ColourText:
    case Kind::Mode: {
      const bool colourBox = action.kind != Kind::Mode;
      forms::ComboBox& box = colourBox ? form1_.ComboBox1 : form1_.ComboBox6;
      const BoxState before(box);
      if (action.kind == Kind::ColourText) {
        box.SetText(action.text);
      } else {
        const int index = IndexOf(box, action.text);
        if (index < 0) {
          outcome.refusal = "\"" + action.text + "\" is not in the " +
                            (colourBox ? "colour" : "mode") + " box's list";
          break;
        }
        box.Choose(index);
      }
      // The box's change event fires only when its selection or text changed.
      if (before.Same(box)) break;
      if (colourBox) {
        Run(outcome, [this] { form1_.ComboBox1Change(); });
      } else {
        Run(outcome, [this] { form1_.ComboBox6Change(); });
      }
      break;
    }

    case Kind::Size:
    case Kind::SizeText: {
      forms::ComboBox& box = *form1_.SizeBoxes()[static_cast<std::size_t>(action.axis)];
      if (!box.Enabled) {
        outcome.refusal = "the size box " +
                          std::string(forms::kAxisNames[static_cast<std::size_t>(action.axis)]) +
                          " is disabled in this mode";
        break;
      }
      // The size boxes have no change handler; stamping reads them.
      if (action.kind == Kind::Size) {
        box.Choose(action.entry);
      } else {
        box.SetText(action.text);
      }
      break;
    }
    case Kind::Step:
      form1_.ComboBox5.SetText(action.text);
      break;

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
      if (!form2_.GroupBox1Enabled || !form2_.ComboBox1.Enabled) {
        outcome.refusal = "part: the part-number box is disabled in this save mode";
        break;
      }
      form2_.ComboBox1.SetText(action.text);
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
