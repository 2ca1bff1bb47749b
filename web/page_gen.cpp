// Writes the page's index.html from its template at build time: both
// windows' elements made from the layout table, so that the page shows the
// windows before its WebAssembly has loaded, and nothing of their layout is
// written twice. Built with emscripten for node, run by the build:
//   node page_gen.js TEMPLATE OUTPUT
// The template's lines "@PALORIN_WINDOW:Form1@" (each window by its name)
// and the texts "@PALORIN_TITLE@", "@PALORIN_FACES@" are replaced.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "forms/layout.h"
#include "forms/tform1.h"
#include "web/tables.h"

namespace palorin::web {

namespace {

using forms::ControlKind;
using forms::ControlRow;

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Style(const forms::Rect& r) {
  return " style=\"left:" + std::to_string(r.left) + "px;top:" + std::to_string(r.top) +
         "px;width:" + std::to_string(r.width) + "px;height:" + std::to_string(r.height) + "px\"";
}

// A caption in a span of its own, which the page condenses to the form
// face's widths.
std::string Condensed(std::string_view text) {
  return "<span class=\"cx\">" + Escape(text) + "</span>";
}

std::string IdOf(const ControlRow& row) { return "id=\"" + ElementId(row) + "\""; }

class Writer {
 public:
  explicit Writer(std::ostream& out) : out_(out) {}

  void Window(const forms::WindowRow& w) {
    const std::string name(w.name);
    out_ << "<div class=\"window\" id=\"" << name << "\""
         << (w.id == forms::WindowId::Main ? "" : " hidden") << ">\n"
         << "  <div class=\"caption\"><span id=\"" << name << "-Caption\">" << Escape(w.caption)
         << "</span><button type=\"button\" class=\"close\" id=\"" << name
         << "-Close\" title=\"Close\">×</button></div>\n"
         << "  <div class=\"client\" id=\"" << name << "-Client\" style=\"width:" << w.clientWidth
         << "px;height:" << w.clientHeight << "px\">\n";
    Children(w.id, "", 1);
    out_ << "  </div>\n</div>\n";
  }

 private:
  void Children(forms::WindowId window, std::string_view parent, int depth) {
    for (const ControlRow* c : forms::ChildrenOf(window, parent)) Control(*c, depth + 1);
  }

  void Line(int depth, const std::string& text) {
    out_ << std::string(static_cast<std::size_t>(depth) * 2, ' ') << text << "\n";
  }

  void Control(const ControlRow& c, int depth) {
    const std::string id = IdOf(c);
    const std::string style = Style(c.rect);
    switch (c.kind) {
      case ControlKind::Button:
        Line(depth, "<button type=\"button\" " + id + " data-action=\"" +
                        std::string(forms::ActionOf(*c.action).verb) + "\"" + style + ">" +
                        Condensed(c.caption) + "</button>");
        return;
      case ControlKind::ComboBox:
        // The list is seen only through its arrow button; the text field
        // covers the rest of the frame.
        Line(depth, "<div class=\"combo\" id=\"" + ElementId(c) + "-Frame\"" + style + ">" +
                        "<select id=\"" + ElementId(c) + "-List\"></select>" + "<input " + id +
                        " data-box=\"" + std::string(BoxName(*c.box)) +
                        "\" autocomplete=\"off\" spellcheck=\"false\"></div>");
        return;
      case ControlKind::Label:
        if (!c.labelFor.empty()) {
          const ControlRow* buddy = forms::ControlOf(c.window, c.labelFor);
          Line(depth, "<label class=\"axis\" " + id + " for=\"" +
                          (buddy ? ElementId(*buddy) : std::string()) + "\"" + style + ">" +
                          Condensed(c.caption) + "</label>");
        } else {
          Line(depth, "<span class=\"" + std::string(c.item > 0 ? "digit" : "readout") + "\" " +
                          id + style + ">" + Condensed(c.caption) + "</span>");
        }
        return;
      case ControlKind::GroupBox:
      case ControlKind::RadioGroup:
        Line(depth, "<fieldset class=\"" + std::string(KindName(c.kind)) + "\" " + id + style +
                        "><legend>" + Condensed(c.caption) + "</legend>");
        Children(c.window, c.name, depth);
        Line(depth, "</fieldset>");
        return;
      case ControlKind::RadioItem: {
        const ControlRow* group = forms::ControlOf(c.window, c.parent);
        Line(depth, "<label class=\"radio\" " + id + style + "><input type=\"radio\" name=\"" +
                        (group ? ElementId(*group) : std::string()) + "\" value=\"" +
                        std::to_string(c.item) + "\">" + Condensed(c.caption) + "</label>");
        return;
      }
      case ControlKind::DrawingArea:
        // Focusable, for the drawing area's keys.
        Line(depth, "<canvas " + id + " tabindex=\"0\" width=\"" + std::to_string(c.rect.width) +
                        "\" height=\"" + std::to_string(c.rect.height) + "\"" + style +
                        "></canvas>");
        return;
      case ControlKind::StatusBar:
        Line(depth, "<div class=\"status\" " + id + style + ">");
        Children(c.window, c.name, depth);
        Line(depth, "</div>");
        return;
      case ControlKind::StatusPanel:
        Line(depth, "<span class=\"panel\" " + id + style + ">" + Condensed("") + "</span>");
        return;
      case ControlKind::PageControl: {
        Line(depth, "<div class=\"pages\" " + id + style + ">");
        std::string tabs = "<div class=\"tabs\">";
        for (const ControlRow* sheet : forms::ChildrenOf(c.window, c.name)) {
          tabs += "<button type=\"button\" id=\"" + ElementId(*sheet) + "-Tab\" data-page=\"" +
                  std::to_string(sheet->item) + "\">" + Condensed(sheet->caption) + "</button>";
        }
        Line(depth + 1, tabs + "</div>");
        Children(c.window, c.name, depth);
        Line(depth, "</div>");
        return;
      }
      case ControlKind::TabSheet:
        Line(depth, "<div class=\"sheet\" " + id + " data-page=\"" + std::to_string(c.item) +
                        "\">");
        Children(c.window, c.name, depth);
        Line(depth, "</div>");
        return;
      case ControlKind::Memo:
        Line(depth, "<div class=\"memo\" id=\"" + ElementId(c) + "-Frame\"" + style +
                        "><textarea " + id + " wrap=\"off\" spellcheck=\"false\"></textarea></div>");
        return;
      case ControlKind::Shape:
        Line(depth, "<span class=\"bar\" " + id + style + "></span>");
        return;
      case ControlKind::TextBuffer:
        return;  // never seen
    }
  }

  std::ostream& out_;
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

}  // namespace palorin::web

int main(int argc, char** argv) {
  using namespace palorin::web;
  if (argc != 3) {
    std::cerr << "usage: page_gen TEMPLATE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream page;
  page << in.rdbuf();
  if (!in) {
    std::cerr << "page_gen: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string text = page.str();
  for (const palorin::forms::WindowRow& w : palorin::forms::Windows()) {
    std::ostringstream window;
    Writer(window).Window(w);
    ReplaceAll(text, "@PALORIN_WINDOW:" + std::string(w.name) + "@\n", window.str());
  }
  ReplaceAll(text, "@PALORIN_TITLE@", Escape(palorin::forms::kMainCaption));
  ReplaceAll(text, "@PALORIN_FACES@", Escape(FontFamilies()));
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "page_gen: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
