#include "forms/state_line.h"

#include <cstdint>
#include <string_view>

#include "forms/input.h"

namespace palorin::forms {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void Text(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f || c == '\\' || c == '|') {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
}

void Field(std::string& out, std::string_view name, std::string_view value) {
  out += '|';
  out += name;
  out += '=';
  Text(out, value);
}

std::string ColourName(const Color& c) {
  switch (c.kind) {
    case Color::Kind::WindowText:
      return "text";
    case Color::Kind::ButtonFace:
      return "face";
    case Color::Kind::Rgb:
      break;
  }
  return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

template <typename Items, typename Name>
std::string Joined(const Items& items, Name&& name) {
  std::string out;
  for (const auto& item : items) {
    if (!out.empty()) out += ' ';
    out += name(item);
  }
  return out;
}

std::string Marks(const fileio::PartMarks& marks) {
  std::string digits;
  for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) digits += std::to_string(marks[k]);
  return digits;
}

}  // namespace

std::string RasterDigest(const render::Raster& raster) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  const render::Pixel* p = raster.Data();
  const std::size_t n = static_cast<std::size_t>(render::kRasterWidth) * render::kRasterHeight;
  for (std::size_t i = 0; i < n; ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (p[i] >> shift) & 0xffu;
      hash *= 0x100000001b3u;
    }
  }
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) out[static_cast<std::size_t>(i)] = kHex[hash & 15];
  return out;
}

std::string StateLine(TForm1& form1, TForm2& form2) {
  const core::Scene& scene = form1.scene;
  std::string out = "panels=";
  Text(out, scene.status.Panels[0] + " " + scene.status.Panels[1] + " " + scene.status.Panels[2]);
  Field(out, "log", std::to_string(scene.log.LogPos) + " " + std::to_string(scene.log.LastIndex) +
                        " " + std::to_string(scene.log.AfterStep));
  Field(out, "cell", std::to_string(scene.CellX) + " " + std::to_string(scene.CellY) + " " +
                         std::to_string(scene.CurColor));
  static constexpr std::string_view kBoxNames[] = {"colour", "sizeX", "sizeY", "sizeZ",
                                                   "step",   "mode",  "part"};
  for (int b = 0; b <= static_cast<int>(BoxId::Part); ++b) {
    const ComboBox& box = BoxOf(form1, form2, static_cast<BoxId>(b));
    Field(out, kBoxNames[b], box.Text);
    out += ' ' + std::to_string(box.ItemIndex) + (box.Enabled ? " on" : " off");
  }
  Field(out, "partItems", Joined(form2.ComboBox1.Items, [](const std::string& s) { return s; }));
  Field(out, "sizeLabels",
        Joined(form1.SizeLabels(), [](const Label* l) { return ColourName(l->FontColor); }));
  Field(out, "file",
        std::string(form2.Visible ? "shown" : "hidden") + " page" +
            std::to_string(form2.ActivePage) + " mode" + std::to_string(form2.RadioGroup1ItemIndex) +
            (form2.GroupBox1Enabled ? " group1on" : " group1off"));
  std::string memo;
  for (const std::string& line : form2.Memo1Lines) memo += line + '\n';
  Field(out, "memo", memo);
  Field(out, "label11", form2.Label11.Caption + " " + ColourName(form2.Label11.FontColor));
  const auto label = [](const Label& l) { return ColourName(l.FontColor); };
  const auto bar = [](const Shape& s) { return ColourName(s.Brush); };
  Field(out, "saveIndicators", Joined(form2.SaveLabels, label) + " / " + Joined(form2.SaveBars, bar));
  Field(out, "loadIndicators", Joined(form2.LoadLabels, label) + " / " + Joined(form2.LoadBars, bar));
  Field(out, "parts", "write " + std::to_string(form2.WriteParts()) + " saved " +
                          Marks(form2.PartSaved()) + " read " + std::to_string(form2.ReadParts()) +
                          " loaded " + Marks(form2.PartLoaded()));
  Field(out, "raster", RasterDigest(scene.canvas.raster));
  return out;
}

}  // namespace palorin::forms
