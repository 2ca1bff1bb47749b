#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/version.h"
#include "core/history.h"
#include "core/scene.h"
#include "core/stamp.h"
#include "forms/controls.h"
#include "forms/services.h"

namespace palorin::forms {

// The three axes of the size boxes, as their captions name them.
inline constexpr std::array<std::string_view, 3> kAxisNames{"X", "Y", "Z"};

enum class MouseButton : std::uint8_t { Left, Right, Middle };
using ShiftState = std::uint32_t;  // modifier keys; no handler reads them

// The main window's behaviour with its controls held as plain data. A front
// end forwards the user's input to the handlers (after updating the boxes'
// text and selection the way the user changed them) and shows the data.
class TForm1 {
 public:
  explicit TForm1(Services& services);

  // Start values of the controls and of the shared state; runs once when the
  // window is created, before it is shown.
  void FormCreate();

  void Image1MouseDown(MouseButton button, ShiftState shift, int x, int y);
  void Image1MouseMove(ShiftState shift, int x, int y);
  void Button1Click();     // UnDo
  void Button2Click();     // ReDo
  void Button3Click();     // ReSet
  void Button4Click();     // Clip
  void Button5Click();     // File
  void Button6Click();     // End
  void ComboBox1Change();  // colour box: selection or text changed
  void ComboBox6Change();  // mode box: selection changed

  // The shared state that the file window also reaches.
  core::Scene scene;
  core::PlacementLog& log() { return scene.log; }
  core::StatusBar& StatusBar1() { return scene.status; }
  render::Raster& raster() { return scene.canvas.raster; }
  void ReDraw(std::int64_t n) { core::ReDraw(scene, n); }

  ComboBox ComboBox1;  // colour
  ComboBox ComboBox2;  // size X
  ComboBox ComboBox3;  // size Y
  ComboBox ComboBox4;  // size Z
  ComboBox ComboBox5;  // step count
  ComboBox ComboBox6;  // mode
  Label Label1{std::string(kAxisNames[0]), kGray};
  Label Label2{std::string(kAxisNames[1]), kGray};
  Label Label3{std::string(kAxisNames[2]), kGray};

  std::array<ComboBox*, 3> SizeBoxes() { return {&ComboBox2, &ComboBox3, &ComboBox4}; }
  std::array<Label*, 3> SizeLabels() { return {&Label1, &Label2, &Label3}; }

 private:
  core::StampInputs StampInputsNow() const;

  Services& services_;
};

inline constexpr std::string_view kMainCaption = "Palorin Ver " PALORIN_VERSION;

}  // namespace palorin::forms
