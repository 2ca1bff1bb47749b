#include "cli/script.h"

#include <array>
#include <limits>
#include <utility>

#include "cli/escape.h"
#include "forms/actions.h"
#include "forms/tform1.h"

namespace palorin::cli {

namespace {

using Kind = Action::Kind;

// A keyword or field as it appears in a message, quoted, so that a stray
// control byte is visible.
std::string Shown(std::string_view text) {
  std::string out(1, '"');
  out += HexEscaped(text, "\"\\");
  out += '"';
  return out;
}

ParsedLine Fail(std::string message) { return {std::nullopt, std::move(message)}; }
ParsedLine Ok(Action action) { return {std::move(action), {}}; }

// Splits "A B" at its one blank into exactly two non-empty fields.
bool SplitTwo(std::string_view rest, std::string_view& a, std::string_view& b) {
  const auto blank = rest.find(' ');
  if (blank == std::string_view::npos) return false;
  a = rest.substr(0, blank);
  b = rest.substr(blank + 1);
  return !a.empty() && !b.empty() && b.find(' ') == std::string_view::npos;
}

bool ParseAxis(std::string_view text, int& axis) {
  for (std::size_t i = 0; i < forms::kAxisNames.size(); ++i) {
    if (text == forms::kAxisNames[i]) {
      axis = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

// play's own lines without an argument; the action table's verbs are the
// others.
struct NoArgument {
  std::string_view keyword;
  Kind kind;
};
constexpr std::array<NoArgument, 2> kNoArgument{{
    {"load-cancel", Kind::LoadCancel},
    {"save-cancel", Kind::SaveCancel},
}};

// Keywords whose whole rest is one free text (possibly empty).
struct FreeText {
  std::string_view keyword;
  Kind kind;
  bool mayBeEmpty;
};
constexpr std::array<FreeText, 10> kFreeText{{
    {"colour", Kind::Colour, false},
    {"colour-text", Kind::ColourText, true},
    {"mode", Kind::Mode, false},
    {"mode-text", Kind::ModeText, true},
    {"key", Kind::Key, false},
    {"area-key", Kind::AreaKey, false},
    {"step", Kind::Step, true},
    {"part", Kind::Part, true},
    {"load", Kind::Load, false},
    {"save", Kind::Save, false},
}};

// "A;B;C": the names as written, none of them empty.
bool SplitNames(std::string_view rest, std::vector<std::string>& names) {
  for (;;) {
    const auto semicolon = rest.find(';');
    const std::string_view name = rest.substr(0, semicolon);
    if (name.empty()) return false;
    names.emplace_back(name);
    if (semicolon == std::string_view::npos) return true;
    rest.remove_prefix(semicolon + 1);
  }
}

}  // namespace

bool IsPlayVerb(const forms::ActionRow& row) { return row.id != forms::ActionId::Execute; }

bool ParseDecimal(std::string_view text, int& out) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  if (i == text.size()) return false;
  // Accumulate as a negative number so that the lowest value fits too.
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 - (text[i] - '0');
    if (value < std::numeric_limits<int>::min()) return false;
  }
  if (!negative) {
    if (-value > std::numeric_limits<int>::max()) return false;
    value = -value;
  }
  out = static_cast<int>(value);
  return true;
}

ParsedLine ParseLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find_first_not_of(" \t") == std::string_view::npos) return {};
  if (line[0] == '#') return {};

  const auto blank = line.find(' ');
  const std::string_view keyword = line.substr(0, blank);
  if (keyword.empty()) return Fail("the line starts with a blank instead of an action");
  const bool hasRest = blank != std::string_view::npos;
  const std::string_view rest = hasRest ? line.substr(blank + 1) : std::string_view{};

  for (const NoArgument& entry : kNoArgument) {
    if (keyword != entry.keyword) continue;
    if (hasRest) return Fail(Shown(keyword) + " takes nothing after it");
    Action action;
    action.kind = entry.kind;
    return Ok(std::move(action));
  }

  if (const forms::ActionRow* row = forms::ActionForVerb(keyword)) {
    if (!IsPlayVerb(*row)) {
      return Fail(Shown(keyword) +
                  " asks for a file name: write load PATH, save PATH, load-cancel or save-cancel");
    }
    if (hasRest) return Fail(Shown(keyword) + " takes nothing after it");
    Action action;
    action.kind = Kind::Verb;
    action.id = row->id;
    return Ok(std::move(action));
  }

  for (const FreeText& entry : kFreeText) {
    if (keyword != entry.keyword) continue;
    if (rest.empty() && !entry.mayBeEmpty) {
      return Fail(Shown(keyword) + " needs a " +
                  (entry.kind == Kind::Load || entry.kind == Kind::Save ? "file name"
                   : entry.kind == Kind::Key || entry.kind == Kind::AreaKey ? "key"
                                                                     : "name"));
    }
    Action action;
    action.kind = entry.kind;
    action.text = std::string(rest);
    return Ok(std::move(action));
  }

  if (keyword == "open") {
    Action action;
    action.kind = Kind::Open;
    if (!SplitNames(rest, action.names)) {
      return Fail("\"open\" needs file names separated by \";\"");
    }
    return Ok(std::move(action));
  }

  if (keyword == "press" || keyword == "move") {
    std::string_view xs, ys;
    Action action;
    action.kind = keyword == "press" ? Kind::Press : Kind::Move;
    if (!SplitTwo(rest, xs, ys) || !ParseDecimal(xs, action.x) || !ParseDecimal(ys, action.y)) {
      return Fail(Shown(keyword) + " needs X and Y, two whole numbers separated by one blank");
    }
    return Ok(std::move(action));
  }

  if (keyword == "size") {
    std::string_view axis, n;
    Action action;
    action.kind = Kind::Size;
    int number = 0;
    if (!SplitTwo(rest, axis, n) || !ParseAxis(axis, action.axis) || !ParseDecimal(n, number) ||
        number < 1 || number > 50) {
      return Fail("\"size\" needs an axis (X, Y or Z) and an entry from 1 to 50");
    }
    action.entry = number - 1;
    return Ok(std::move(action));
  }

  if (keyword == "size-text") {
    const auto axisEnd = rest.find(' ');
    Action action;
    action.kind = Kind::SizeText;
    if (!ParseAxis(rest.substr(0, axisEnd), action.axis)) {
      return Fail("\"size-text\" needs an axis (X, Y or Z) before the text");
    }
    if (axisEnd != std::string_view::npos) action.text = std::string(rest.substr(axisEnd + 1));
    return Ok(std::move(action));
  }

  if (keyword == "page") {
    Action action;
    action.kind = Kind::Page;
    if (rest == "load") {
      action.entry = 0;
    } else if (rest == "save") {
      action.entry = 1;
    } else {
      return Fail("\"page\" needs load or save");
    }
    return Ok(std::move(action));
  }

  if (keyword == "save-mode") {
    static constexpr std::array<std::string_view, 3> kModes{"compat", "native", "bmp"};
    for (std::size_t i = 0; i < kModes.size(); ++i) {
      if (rest != kModes[i]) continue;
      Action action;
      action.kind = Kind::SaveMode;
      action.entry = static_cast<int>(i);
      return Ok(std::move(action));
    }
    return Fail("\"save-mode\" needs compat, native or bmp");
  }

  return Fail("unknown action " + Shown(keyword));
}

}  // namespace palorin::cli
