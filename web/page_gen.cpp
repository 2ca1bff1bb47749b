// Writes the page's index.html from its template at build time: both
// windows' elements made from the layout table, so that the page shows the
// windows before its WebAssembly has loaded, and nothing of their layout is
// written twice; and the page's styles and icon inside it, so that its
// first paint waits for no other file and a visit asks for no icon. Built
// with emscripten for node, run by the build:
//   node page_gen.js TEMPLATE STYLES ICON OUTPUT
// The template's lines "@PALORIN_WINDOW:Form1@" (each window by its name)
// and "@PALORIN_KEYS@" (the key list), and the texts "@PALORIN_TITLE@",
// "@PALORIN_FACES@", "@PALORIN_STYLE@" (the minified styles) and
// "@PALORIN_ICON@" (the PNG icon as a data: address) are replaced.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "forms/actions.h"
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
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
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

// The English of a Japanese caption: the element's tooltip, and its
// description for screen readers through a hidden span of that text.
std::string GlossAttributes(const ControlRow& row) {
  if (row.gloss.empty()) return "";
  return " title=\"" + Escape(row.gloss) + "\" aria-describedby=\"" + ElementId(row) + "-Gloss\"";
}

std::string GlossSpan(const ControlRow& row) {
  if (row.gloss.empty()) return "";
  return "<span class=\"gloss\" id=\"" + ElementId(row) + "-Gloss\" lang=\"en\" hidden>" +
         Escape(row.gloss) + "</span>";
}

std::string Named(std::string_view name) {
  return name.empty() ? "" : " aria-label=\"" + Escape(name) + "\"";
}

class Writer {
 public:
  explicit Writer(std::ostream& out) : out_(out) {}

  void Window(const forms::WindowRow& w) {
    const std::string name(w.name);
    out_ << "<div class=\"window\" id=\"" << name << "\" role=\"region\" lang=\"" << w.lang << "\""
         << Named(w.accessibleName) << (w.id == forms::WindowId::Main ? "" : " hidden") << ">\n"
         << "  <div class=\"caption\"><span id=\"" << name << "-Caption\">" << Escape(w.caption)
         << "</span><button type=\"button\" class=\"close\" id=\"" << name
         << "-Close\" title=\"Close\" aria-label=\"Close\" lang=\"en\">×</button></div>\n"
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
      case ControlKind::Button: {
        const forms::ActionRow& action = forms::ActionOf(*c.action);
        // The tooltip says what the button does, or the English of its caption.
        const std::string tip = c.gloss.empty() ? " title=\"" + Escape(action.help) + "\"" : "";
        Line(depth, "<button type=\"button\" " + id + " data-action=\"" + std::string(action.verb) +
                        "\"" + tip + GlossAttributes(c) + style + ">" + Condensed(c.caption) +
                        "</button>" + GlossSpan(c));
        return;
      }
      case ControlKind::ComboBox:
        // The text field is the box for the keyboard and screen readers (its
        // value the box's text, the arrows choosing its entries); the list
        // is seen only through its arrow button, for the pointer.
        Line(depth, "<div class=\"combo\" id=\"" + ElementId(c) + "-Frame\"" + style + ">" +
                        "<select id=\"" + ElementId(c) + "-List\" tabindex=\"-1\" " +
                        "aria-hidden=\"true\"></select>" + "<input " + id + " data-box=\"" +
                        std::string(BoxName(*c.box)) + "\" role=\"combobox\" " +
                        "aria-expanded=\"false\" aria-autocomplete=\"none\"" +
                        Named(c.accessibleName) +
                        " autocomplete=\"off\" spellcheck=\"false\"></div>");
        return;
      case ControlKind::Label:
        if (!c.labelFor.empty()) {
          const ControlRow* buddy = forms::ControlOf(c.window, c.labelFor);
          Line(depth, "<label class=\"axis\" " + id + " for=\"" +
                          (buddy ? ElementId(*buddy) : std::string()) + "\"" + style + ">" +
                          Condensed(c.caption) + "</label>");
        } else if (c.item > 0) {
          // A part's digit: its bar says the same to a screen reader.
          Line(depth, "<span class=\"digit\" " + id + " aria-hidden=\"true\"" + style + ">" +
                          Condensed(c.caption) + "</span>");
        } else {
          Line(depth,
               "<span class=\"readout\" " + id + style + ">" + Condensed(c.caption) + "</span>");
        }
        return;
      case ControlKind::GroupBox:
      case ControlKind::RadioGroup:
        Line(depth, "<fieldset class=\"" + std::string(KindName(c.kind)) + "\" " + id +
                        GlossAttributes(c) + style + "><legend>" + Condensed(c.caption) +
                        "</legend>" + GlossSpan(c));
        Children(c.window, c.name, depth);
        Line(depth, "</fieldset>");
        return;
      case ControlKind::RadioItem: {
        const ControlRow* group = forms::ControlOf(c.window, c.parent);
        Line(depth,
             "<label class=\"radio\" " + id + style +
                 (c.gloss.empty() ? "" : " title=\"" + Escape(c.gloss) + "\"") +
                 "><input type=\"radio\" name=\"" + (group ? ElementId(*group) : std::string()) +
                 "\" value=\"" + std::to_string(c.item) + "\"" +
                 (c.gloss.empty() ? "" : " aria-describedby=\"" + ElementId(c) + "-Gloss\"") + ">" +
                 Condensed(c.caption) + "</label>" + GlossSpan(c));
        return;
      }
      case ControlKind::DrawingArea:
        // Focusable, for the drawing area's keys; the cell cursor is drawn
        // over the picture while it has the focus.
        Line(depth, "<canvas " + id + " tabindex=\"0\" role=\"application\"" +
                        Named(c.accessibleName) + " aria-describedby=\"AreaKeys\" width=\"" +
                        std::to_string(c.rect.width) + "\" height=\"" +
                        std::to_string(c.rect.height) + "\"" + style + "></canvas>" +
                        "<div class=\"cell-cursor\" id=\"" + ElementId(c) +
                        "-Cursor\" aria-hidden=\"true\"></div>");
        return;
      case ControlKind::StatusBar:
        Line(depth, "<div class=\"status\" " + id + " role=\"status\" aria-live=\"polite\"" +
                        Named(c.accessibleName) + style + ">");
        Children(c.window, c.name, depth);
        Line(depth, "</div>");
        return;
      case ControlKind::StatusPanel:
        Line(depth, "<span class=\"panel\" " + id + style + ">" + Condensed("") + "</span>");
        return;
      case ControlKind::PageControl: {
        Line(depth, "<div class=\"pages\" " + id + style + ">");
        std::string tabs = "<div class=\"tabs\" role=\"tablist\">";
        for (const ControlRow* sheet : forms::ChildrenOf(c.window, c.name)) {
          tabs += "<button type=\"button\" role=\"tab\" id=\"" + ElementId(*sheet) +
                  "-Tab\" aria-controls=\"" + ElementId(*sheet) + "\" data-page=\"" +
                  std::to_string(sheet->item) + "\"" + GlossAttributes(*sheet) + ">" +
                  Condensed(sheet->caption) + "</button>" + GlossSpan(*sheet);
        }
        Line(depth + 1, tabs + "</div>");
        Children(c.window, c.name, depth);
        Line(depth, "</div>");
        return;
      }
      case ControlKind::TabSheet:
        Line(depth, "<div class=\"sheet\" " + id + " role=\"tabpanel\" aria-labelledby=\"" +
                        ElementId(c) + "-Tab\" data-page=\"" + std::to_string(c.item) + "\">");
        Children(c.window, c.name, depth);
        Line(depth, "</div>");
        return;
      case ControlKind::Memo:
        Line(depth, "<div class=\"memo\" id=\"" + ElementId(c) + "-Frame\"" + style +
                        "><textarea " + id + Named(c.accessibleName) +
                        " wrap=\"off\" spellcheck=\"false\"></textarea></div>");
        return;
      case ControlKind::Shape:
        Line(depth, "<span class=\"bar\" " + id + " role=\"img\"" + Named(c.accessibleName) +
                        " data-name=\"" + Escape(c.accessibleName) + "\"" + style + "></span>");
        return;
      case ControlKind::TextBuffer:
        return;  // never seen
    }
  }

  std::ostream& out_;
};

// The keys of the drawing area, said to a screen reader when it takes the
// focus; and the list of every key, reachable from the keyboard.
std::string AreaKeys() {
  std::string out = "<span id=\"AreaKeys\" hidden>";
  for (const forms::ActionRow& a : forms::Actions()) {
    if (!a.keysOnDrawingArea) continue;
    out += Escape(forms::KeysText(a)) + ": " + Escape(a.help) + ". ";
  }
  return out + "</span>";
}

std::string KeyList() {
  std::string out =
      "<details id=\"KeyList\"><summary>Keys</summary>\n<table>\n"
      "<thead><tr><th scope=\"col\">Keys</th><th scope=\"col\">Action</th></tr></thead>\n<tbody>\n";
  for (const forms::ActionRow& a : forms::Actions()) {
    const std::string keys = forms::KeysText(a);
    if (keys.empty()) continue;
    std::string what = Escape(a.help);
    if (a.keysOnDrawingArea) what += " (in the drawing area)";
    if (a.keysEditText) what += " (in a text field, the text's own)";
    out += "<tr><td>" + Escape(keys) + "</td><td>" + what + "</td></tr>\n";
  }
  return out + "</tbody></table></details>\n" + AreaKeys();
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - at);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 3; ++i) {
      group <<= 8;
      if (i < n) group |= static_cast<unsigned char>(bytes[at + i]);
    }
    for (std::size_t i = 0; i < 4; ++i) {
      out += i <= n ? kDigits[(group >> (18 - 6 * i)) & 63] : '=';
    }
  }
  return out;
}

bool ReadFile(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    std::cerr << "page_gen: cannot read " << path << "\n";
    return false;
  }
  text = bytes.str();
  return true;
}

}  // namespace

}  // namespace palorin::web

int main(int argc, char** argv) {
  using namespace palorin::web;
  if (argc != 5) {
    std::cerr << "usage: page_gen TEMPLATE STYLES ICON OUTPUT\n";
    return 2;
  }
  std::string text;
  std::string style;
  std::string icon;
  if (!ReadFile(argv[1], text) || !ReadFile(argv[2], style) || !ReadFile(argv[3], icon)) return 1;
  // Inside <style> nothing is escaped: a "</" would end the element early.
  if (style.find("</") != std::string::npos) {
    std::cerr << "page_gen: " << argv[2] << " holds \"</\", which would end the page's <style>\n";
    return 1;
  }
  while (!style.empty() && (style.back() == '\n' || style.back() == '\r')) style.pop_back();
  for (const palorin::forms::WindowRow& w : palorin::forms::Windows()) {
    std::ostringstream window;
    Writer(window).Window(w);
    ReplaceAll(text, "@PALORIN_WINDOW:" + std::string(w.name) + "@\n", window.str());
  }
  ReplaceAll(text, "@PALORIN_TITLE@", Escape(palorin::forms::kMainCaption));
  ReplaceAll(text, "@PALORIN_FACES@", Escape(FontFamilies()));
  ReplaceAll(text, "@PALORIN_KEYS@\n", KeyList());
  ReplaceAll(text, "@PALORIN_STYLE@", style);
  ReplaceAll(text, "@PALORIN_ICON@", "data:image/png;base64," + Base64(icon));
  std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "page_gen: cannot write " << argv[4] << "\n";
    return 1;
  }
  return 0;
}
