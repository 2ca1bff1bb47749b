#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace palorin::forms {

// A colour as a control shows it: a fixed RGB value or one of the system's
// colours, which each front end resolves from its own palette.
struct Color {
  enum class Kind : std::uint8_t { Rgb, WindowText, ButtonFace };
  Kind kind = Kind::WindowText;
  std::uint8_t r = 0, g = 0, b = 0;

  static constexpr Color FromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {Kind::Rgb, r, g, b};
  }
  static constexpr Color WindowText() { return {Kind::WindowText, 0, 0, 0}; }
  static constexpr Color ButtonFace() { return {Kind::ButtonFace, 0, 0, 0}; }
  friend constexpr bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kGray = Color::FromRgb(128, 128, 128);
inline constexpr Color kBlack = Color::FromRgb(0, 0, 0);
inline constexpr Color kDoneGreen = Color::FromRgb(0, 128, 0);
inline constexpr Color kMissingRed = Color::FromRgb(255, 0, 0);

// An editable combo box with a drop-down list. Typing into its text leaves no
// entry selected; choosing from the list selects that entry and shows its text.
struct ComboBox {
  std::vector<std::string> Items;
  std::string Text;
  int ItemIndex = -1;  // selected entry, -1 for none
  bool Enabled = true;

  // The user chose entry `index` from the list (ignored outside the list).
  bool Choose(int index) {
    if (index < 0 || index >= static_cast<int>(Items.size())) return false;
    ItemIndex = index;
    Text = Items[static_cast<std::size_t>(index)];
    return true;
  }
  // The user typed, or the program set, the box's text directly.
  void SetText(std::string text) {
    Text = std::move(text);
    ItemIndex = -1;
  }
  // Empties the list; the text shown stays.
  void ClearItems() {
    Items.clear();
    ItemIndex = -1;
  }
};

struct Label {
  std::string Caption;
  Color FontColor = Color::WindowText();
};

// A filled rectangle (the part bars).
struct Shape {
  Color Brush = Color::ButtonFace();
};

}  // namespace palorin::forms
