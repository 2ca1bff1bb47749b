#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "forms/actions.h"
#include "forms/input.h"

namespace palorin::forms {

// The two windows' layout, once, as plain data: every control's window,
// parent, kind, rectangle, caption and tab order. The desktop windows place
// their widgets from it, the page builds its elements from it, and tests
// read it instead of restating rectangles.

enum class WindowId : std::uint8_t { Main, File };

enum class ControlKind : std::uint8_t {
  Button,
  ComboBox,
  Label,
  GroupBox,
  DrawingArea,
  StatusBar,
  StatusPanel,
  PageControl,
  TabSheet,
  Memo,
  RadioGroup,
  RadioItem,
  Shape,
  TextBuffer,  // the file window's hidden text buffer: never seen, never reached
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct WindowRow {
  WindowId id;
  std::string_view name;     // "Form1", "Form2"
  std::string_view caption;  // the title bar's text
  int clientWidth, clientHeight;
  int firstLeft, firstTop;  // the outer top-left corner when first shown
  std::string_view lang;    // the language of the window's own texts
  std::string_view accessibleName;
};

struct ControlRow {
  WindowId window;
  std::string_view name;    // the control's name, unique within its window
  std::string_view parent;  // a control of the same window; empty: the window
  ControlKind kind;
  // Relative to the parent's client area; a tab sheet fills its page control
  // and has none.
  Rect rect;
  std::string_view caption;  // caption, label text or start text
  std::string_view gloss;    // the English of a Japanese caption; empty otherwise
  // Place among the parent's children when Tab moves the focus; -1: none.
  int tabOrder = -1;
  std::optional<ActionId> action;  // a button's click
  std::optional<BoxId> box;        // a combo box's data
  int item = -1;                   // a radio item's index, a status panel's, a part's (1..5)
  // What a screen reader calls the control where its caption does not name
  // it (a box, whose text is its value; the drawing area; the part
  // indicators); empty: the caption.
  std::string_view accessibleName;
  // A label that names another control (its buddy): that control's name.
  std::string_view labelFor;
};

std::span<const WindowRow> Windows();
const WindowRow& WindowOf(WindowId id);

// Every control of both windows: the main window's first, each window's in
// the order the controls are created (a parent before its children).
std::span<const ControlRow> Controls();

// The control `name` of `window`, or null.
const ControlRow* ControlOf(WindowId window, std::string_view name);

// The control's rectangle with its parents' offsets added, up to the window
// or, inside a tabbed page, up to that page's area (where a page control
// draws its pages is the toolkit's).
Rect OuterRect(const ControlRow& control);

// The children of `parent` ("" for the window's own) in `window`, in
// creation order.
std::vector<const ControlRow*> ChildrenOf(WindowId window, std::string_view parent);

// The controls Tab visits in `window`, in order: every control with a tab
// order, by each parent's order, a group box's controls in the group box's
// place and each tabbed page's controls after the page control (a radio
// group is one stop; its items are chosen with the arrows).
std::vector<const ControlRow*> TabChain(WindowId window);

}  // namespace palorin::forms
