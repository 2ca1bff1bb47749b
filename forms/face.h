#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace palorin::forms {

// The face every window and label of the program names: a Windows font.
inline constexpr std::string_view kFormFace = "ＭＳ Ｐゴシック";

// The faces that stand in for it where it is not installed, best first:
// IPAPGothic has its metrics, so every text fits the room the layout gives.
// Each front end uses the first one it has (the page lets the browser pick
// from the form face's names and this list).
inline constexpr std::array<std::string_view, 5> kFormFaceStandIns{
    "IPAPGothic", "IPA Pゴシック", "VL PGothic", "IPAGothic", "Noto Sans CJK JP"};

// The form face's Latin is narrow: its digits are half as wide as the font
// is high (6 pixels at 12), and the layout's boxes and panels are cut to
// that. A stand-in that draws wider Latin (IPAPGothic's digits are 7.5
// pixels at 12) is condensed until a digit is half its height wide. Returns
// the horizontal stretch in percent (50 to 100) for a face whose digit '0'
// advances `digitAdvance` pixels at `pixelHeight`.
constexpr int FormFaceStretch(double digitAdvance, int pixelHeight) {
  const double half = pixelHeight / 2.0;
  if (!(digitAdvance > half)) return 100;  // narrow enough, or not measured
  const double percent = 100.0 * half / digitAdvance;
  return std::clamp(static_cast<int>(percent + 0.5), 50, 100);
}

}  // namespace palorin::forms
