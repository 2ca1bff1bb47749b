#include "cli/session.h"

#include <utility>

#include "forms/input.h"
#include "render/raster.h"

namespace palorin::cli {

using Kind = Action::Kind;

Session::Session() : editor_(shell_) { shell_.editor = &editor_; }

Session::~Session() = default;

void Session::Shell::ShowError(const std::string& text) {
  if (outcome != nullptr) outcome->errorBoxes.push_back(text);
}

void Session::Shell::AskFileName(const forms::FileDialog&, bool) {
  // Every line that executes carries its dialog's answer and runs through
  // ExecuteOn; a dialog asked any other way is cancelled at once, so the
  // session never waits for a name no line will give.
  if (editor != nullptr) editor->Answer(std::nullopt);
}

bool Session::FileWindowShown(Outcome& outcome, const char* what) const {
  if (form2().Visible) return true;
  outcome.refusal = std::string(what) + ": the file window is not shown (\"file\" shows it)";
  return false;
}

bool Session::SavePageShown(Outcome& outcome, const char* what) const {
  if (!FileWindowShown(outcome, what)) return false;
  if (form2().ActivePage == forms::TForm2::kSavePage) return true;
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

}  // namespace

Outcome Session::Apply(const Action& action) {
  Outcome outcome;
  shell_.outcome = &outcome;
  try {
    Run(outcome, action);
  } catch (...) {
    shell_.outcome = nullptr;
    throw;
  }
  shell_.outcome = nullptr;
  return outcome;
}

void Session::Run(Outcome& outcome, const Action& action) {
  switch (action.kind) {
    case Kind::Press:
    case Kind::Move: {
      const bool onArea = action.kind == Kind::Press ? editor_.Press(action.x, action.y)
                                                     : editor_.Move(action.x, action.y);
      // The pointer reports presses and moves on the drawing area only.
      if (!onArea) {
        outcome.refusal = std::to_string(action.x) + " " + std::to_string(action.y) +
                          " lies outside the " + std::to_string(render::kRasterWidth) + " x " +
                          std::to_string(render::kRasterHeight) + " drawing area";
      }
      return;
    }

    case Kind::Colour:
    case Kind::Mode: {
      const forms::BoxId box = action.kind == Kind::Colour ? forms::BoxId::Colour : forms::BoxId::Mode;
      const int index = IndexOf(forms::BoxOf(form1(), form2(), box), action.text);
      if (index < 0) {
        outcome.refusal = "\"" + action.text + "\" is not in the " +
                          (box == forms::BoxId::Colour ? "colour" : "mode") + " box's list";
        return;
      }
      editor_.Choose(box, index);
      return;
    }
    case Kind::ColourText:
      editor_.Type(forms::BoxId::Colour, action.text);
      return;
    case Kind::ModeText:
      editor_.Type(forms::BoxId::Mode, action.text);
      return;
    case Kind::Step:
      editor_.Type(forms::BoxId::Step, action.text);
      return;

    case Kind::Size:
    case Kind::SizeText: {
      const auto box =
          static_cast<forms::BoxId>(static_cast<int>(forms::BoxId::SizeX) + action.axis);
      if (!forms::BoxReachable(form1(), form2(), box)) {
        outcome.refusal = "the size box " +
                          std::string(forms::kAxisNames[static_cast<std::size_t>(action.axis)]) +
                          " is disabled in this mode";
        return;
      }
      if (action.kind == Kind::Size) {
        editor_.Choose(box, action.entry);
      } else {
        editor_.Type(box, action.text);
      }
      return;
    }

    case Kind::Verb:
      if (action.id == forms::ActionId::Cancel && !FileWindowShown(outcome, "cancel")) return;
      editor_.RunAction(action.id);
      return;
    case Kind::Key:
    case Kind::AreaKey: {
      const forms::Focus focus =
          action.kind == Kind::Key ? forms::Focus::Other : forms::Focus::DrawingArea;
      if (editor_.Key(action.text, focus)) return;
      if (forms::ActionForKeys(action.text) == nullptr) {
        outcome.refusal = "\"" + action.text + "\" is not a key of the editor";
      } else {
        outcome.refusal = "\"" + action.text +
                          "\" acts only while the drawing area has the focus (\"area-key " +
                          action.text + "\")";
      }
      return;
    }

    case Kind::Page:
      if (FileWindowShown(outcome, "page")) editor_.TakePage(action.entry);
      return;
    case Kind::SaveMode:
      if (SavePageShown(outcome, "save-mode")) editor_.ClickSaveMode(action.entry);
      return;
    case Kind::Part:
      if (!SavePageShown(outcome, "part")) return;
      if (!forms::BoxReachable(form1(), form2(), forms::BoxId::Part)) {
        outcome.refusal = "part: the part-number box is disabled in this save mode";
        return;
      }
      editor_.Type(forms::BoxId::Part, action.text);
      return;

    case Kind::Load:
      editor_.ExecuteOn(forms::TForm2::kLoadPage, action.text);
      return;
    case Kind::Save:
      editor_.ExecuteOn(forms::TForm2::kSavePage, action.text);
      return;
    case Kind::LoadCancel:
      editor_.ExecuteOn(forms::TForm2::kLoadPage, std::nullopt);
      return;
    case Kind::SaveCancel:
      editor_.ExecuteOn(forms::TForm2::kSavePage, std::nullopt);
      return;
    case Kind::Open:
      editor_.OpenFiles(action.names);
      return;
  }
}

std::string Session::TraceLine() const {
  const auto& panels = form1().scene.status.Panels;
  const auto& log = form1().scene.log;
  const auto marks = [](const fileio::PartMarks& m) {
    std::string digits;
    for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) digits += std::to_string(m[k]);
    return digits;
  };
  std::string line = panels[0] + ' ' + panels[1] + ' ' + panels[2];
  line += " LogPos=" + std::to_string(log.LogPos);
  line += " LastIndex=" + std::to_string(log.LastIndex);
  line += " AfterStep=" + std::to_string(log.AfterStep);
  line += form2().Visible ? " File=shown" : " File=hidden";
  line += " WriteParts=" + std::to_string(form2().WriteParts());
  line += " Saved=" + marks(form2().PartSaved());
  line += " ReadParts=" + std::to_string(form2().ReadParts());
  line += " Loaded=" + marks(form2().PartLoaded());
  return line;
}

}  // namespace palorin::cli
