#pragma once

// The names the page gives the layout table's rows, shared by the build's
// page writer (page_gen.cpp) and the binding: what the one writes into the
// page, the other finds there.

#include <string>
#include <string_view>

#include "forms/face.h"
#include "forms/layout.h"

namespace palorin::web {

// A control's element id: its window's name and its own, "Form2-Button1",
// so that the two windows' controls of one name stay apart.
inline std::string ElementId(const forms::ControlRow& row) {
  return std::string(forms::WindowOf(row.window).name) + "-" + std::string(row.name);
}

inline constexpr std::string_view KindName(forms::ControlKind kind) {
  switch (kind) {
    case forms::ControlKind::Button:
      return "button";
    case forms::ControlKind::ComboBox:
      return "combo";
    case forms::ControlKind::Label:
      return "label";
    case forms::ControlKind::GroupBox:
      return "group";
    case forms::ControlKind::DrawingArea:
      return "area";
    case forms::ControlKind::StatusBar:
      return "status";
    case forms::ControlKind::StatusPanel:
      return "panel";
    case forms::ControlKind::PageControl:
      return "pages";
    case forms::ControlKind::TabSheet:
      return "sheet";
    case forms::ControlKind::Memo:
      return "memo";
    case forms::ControlKind::RadioGroup:
      return "radios";
    case forms::ControlKind::RadioItem:
      return "radio";
    case forms::ControlKind::Shape:
      return "shape";
    case forms::ControlKind::TextBuffer:
      return "buffer";
  }
  return "";
}

// A box's name as the binding's BoxId enum names it.
inline constexpr std::string_view BoxName(forms::BoxId box) {
  switch (box) {
    case forms::BoxId::Colour:
      return "Colour";
    case forms::BoxId::SizeX:
      return "SizeX";
    case forms::BoxId::SizeY:
      return "SizeY";
    case forms::BoxId::SizeZ:
      return "SizeZ";
    case forms::BoxId::Step:
      return "Step";
    case forms::BoxId::Mode:
      return "Mode";
    case forms::BoxId::Part:
      return "Part";
  }
  return "";
}

// The form face and its stand-ins as a CSS font-family list.
inline std::string FontFamilies() {
  std::string out = "\"" + std::string(forms::kFormFace) + "\", \"MS PGothic\"";
  for (const std::string_view face : forms::kFormFaceStandIns)
    out += ", \"" + std::string(face) + "\"";
  return out + ", sans-serif";
}

}  // namespace palorin::web
