#include "cli/help.h"

#include "cli/script.h"
#include "forms/actions.h"

namespace palorin::cli {

const std::string_view kToolHelp =
    "Usage: palorin-cli COMMAND [OPTIONS] [ARGS]\n"
    "\n"
    "Renders, inspects, converts and scripts block pictures without a display,\n"
    "through the same code as the editor's windows.\n"
    "\n"
    "Commands:\n"
    "  render   draw block files into a BMP or PNG image\n"
    "  info     show the header and series state of block files\n"
    "  convert  save block files as a native file or a compatible series\n"
    "  play     run an editing session written as actions\n"
    "  animate  write an animated GIF of a picture being built\n"
    "  link     print a link that opens a picture in the page\n"
    "\n"
    "'palorin-cli COMMAND --help' describes each command; 'palorin-cli --version'\n"
    "prints the version.\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments\n"
    "or a script line that is not understood.\n";

const std::string_view kRenderHelp =
    "Usage: palorin-cli render [-o OUT] [--upto N] [--scale K] FILE...\n"
    "\n"
    "Starts from the editor's start-up state, loads each FILE in the order given\n"
    "through the file window's load page (a native file, or the parts of a\n"
    "compatible series) and writes the drawing area.\n"
    "\n"
    "  -o, --output OUT  write to OUT: a BMP when it ends in .bmp (the very bytes\n"
    "                    of the editor's BMP save mode), a PNG when it ends in\n"
    "                    .png; without it the BMP goes to standard output\n"
    "      --upto N      draw only log slots 0..N, the picture as it stood after\n"
    "                    entry N\n"
    "      --scale K     enlarge the picture K times (1 to 8): each pixel becomes\n"
    "                    a K x K block, with no smoothing; default 1\n"
    "  -h, --help        show this help\n"
    "\n"
    "A compatible series must be complete once all files are read.\n";

const std::string_view kInfoHelp =
    "Usage: palorin-cli info FILE...\n"
    "\n"
    "Loads each FILE in the order given, as 'render' does, and prints one line per\n"
    "file: its tag, count, for compatible files the part number and flag, the\n"
    "number of entries read, and whether the series the part belongs to is\n"
    "complete once all the given files are read.\n"
    "\n"
    "  -h, --help  show this help\n";

const std::string_view kConvertHelp =
    "Usage: palorin-cli convert --to native|compat -o OUT FILE...\n"
    "\n"
    "Loads the FILEs as 'render' does, then saves the picture through the file\n"
    "window's save page: one native file at OUT, or the compatible series at OUT\n"
    "for a one-part picture and at OUT with _1 ... _N before its extension for N\n"
    "parts. A name without an extension gets the save dialog's default one.\n"
    "Prints the name of every file written.\n"
    "\n"
    "      --to FORMAT   native or compat\n"
    "  -o, --output OUT  the file (or series) to write\n"
    "  -h, --help        show this help\n";

namespace {

constexpr std::string_view kPlayHelpHead =
    "Usage: palorin-cli play [--trace] [--state] [--bmp OUT] [SCRIPT]\n"
    "\n"
    "Runs an editing session written as actions, one per line, from SCRIPT (or\n"
    "standard input when SCRIPT is missing or '-'), through the editor's own\n"
    "handlers. Blank lines and lines starting with # are skipped; fields are\n"
    "separated by one blank, and TEXT is everything after the blank that follows\n"
    "the keyword.\n"
    "\n"
    "  press X Y            press on the drawing area at pixel (X, Y), 0..499 0..307\n"
    "  move X Y             move the pointer to (X, Y)\n"
    "  colour NAME          choose blue, green, red, yellow or white\n"
    "  colour-text TEXT     type TEXT into the colour box\n"
    "  mode NAME            choose Single, X, Y, Z, XY, XZ, YZ or XYZ\n"
    "  mode-text TEXT       type TEXT into the mode box\n"
    "  size AXIS N          choose entry N (1..50) of the size box X, Y or Z\n"
    "  size-text AXIS TEXT  type TEXT into that size box\n"
    "  step TEXT            type TEXT into the step box\n"
    "  page load|save       click that tab of the file window\n"
    "  save-mode compat|native|bmp          click that save mode\n"
    "  part TEXT            type TEXT into the part-number box\n"
    "  load PATH, save PATH execute on that page; the dialog answers PATH\n"
    "  load-cancel, save-cancel             execute, and cancel the dialog\n"
    "  open NAME;NAME;...   open the files in one go, as naming them to the editor\n"
    "                       does: each loaded as the load page loads it, an error\n"
    "                       box not stopping the next\n";

constexpr std::string_view kPlayHelpTail =
    "\n"
    "As in the windows, choosing an entry from a list (colour, mode, size) runs\n"
    "the box's change handler also when that entry is already shown, and typing\n"
    "into a box runs it whatever the box read before.\n"
    "\n"
    "The editor's error boxes are printed as 'error: TEXT'. At the end the state\n"
    "line is printed: the status panels, LogPos, LastIndex, AfterStep, whether the\n"
    "file window is shown, WriteParts, Saved, ReadParts and Loaded.\n"
    "\n"
    "      --trace     print the state line after every action instead\n"
    "      --state     after every action also print 'state: ' and everything both\n"
    "                  windows show: every box, the file window's page, mode,\n"
    "                  memo and indicators, and a digest of the picture\n"
    "      --bmp OUT   write the drawing area as a BMP at the end\n"
    "  -h, --help      show this help\n"
    "\n"
    "A line that is not understood, or an action a user could not do at that\n"
    "point (a disabled box, a hidden window), stops the script with status 2.\n";

constexpr std::size_t kHelpIndent = 23;
constexpr std::size_t kHelpWidth = 79;

// Columns a text takes on a terminal: the captions' Japanese is full width.
std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      ++columns;
    } else if (byte >= 0xc0) {
      columns += 2;
    }
  }
  return columns;
}

// "  TERM" and `text` beside it from the indent on, wrapped at blanks.
void AppendEntry(std::string& out, std::string_view term, std::string_view text) {
  std::string line = "  " + std::string(term);
  const auto pad = [&line] {
    line.append(kHelpIndent > Columns(line) ? kHelpIndent - Columns(line) : 1, ' ');
  };
  pad();
  bool first = true;
  while (!text.empty()) {
    const auto blank = text.find(' ');
    const std::string_view word = text.substr(0, blank);
    text = blank == std::string_view::npos ? std::string_view{} : text.substr(blank + 1);
    if (!first && Columns(line) + 1 + Columns(word) > kHelpWidth) {
      out += line + "\n";
      line.clear();
      pad();
      first = true;
    }
    if (!first) line += ' ';
    line += word;
    first = false;
  }
  out += line + "\n";
}

// The keys of the table's rows that act where `onDrawingArea` says.
std::string KeysWhere(bool onDrawingArea) {
  std::string keys;
  for (const forms::ActionRow& row : forms::Actions()) {
    if (row.keysOnDrawingArea != onDrawingArea || forms::KeysText(row).empty()) continue;
    if (!keys.empty()) keys += ", ";
    keys += forms::KeysText(row);
  }
  return keys;
}

}  // namespace

std::string PlayHelp() {
  std::string help(kPlayHelpHead);
  AppendEntry(help, "key KEYS",
              "press the editor's keys KEYS with the focus on no text field: " +
                  KeysWhere(false));
  AppendEntry(help, "area-key KEYS",
              "press KEYS with the focus on the drawing area: the keys above, and " +
                  KeysWhere(true));
  help +=
      "\n"
      "The editor's actions, each run as its button or its keys run it:\n"
      "\n";
  for (const forms::ActionRow& row : forms::Actions()) {
    if (!IsPlayVerb(row)) continue;
    std::string text(row.help);
    text += '.';
    const std::string keys = forms::KeysText(row);
    if (!row.caption.empty()) {
      text += " Button ";
      text += row.caption;
      if (!row.gloss.empty()) text += " (" + std::string(row.gloss) + ")";
      text += keys.empty() ? "." : ", keys ";
    } else if (!keys.empty()) {
      text += " Keys ";
    }
    if (!keys.empty()) {
      text += keys;
      text += row.keysOnDrawingArea ? " on the drawing area." : ".";
    }
    AppendEntry(help, row.verb, text);
  }
  help += kPlayHelpTail;
  return help;
}

const std::string_view kLinkHelp =
    "Usage: palorin-cli link --base URL FILE...\n"
    "\n"
    "Loads the FILEs as 'render' does (a native file, or a complete compatible\n"
    "series) and prints a link to the page at URL that opens exactly that\n"
    "picture, as loading the native file would. The picture travels in the\n"
    "link's fragment (after '#'), which the browser never sends to a server:\n"
    "'p2.' and the log's entries packed in bits, compressed (raw deflate) and\n"
    "written in base64url, each with a checksum, so that a link cut short or\n"
    "changed opens nothing. A full picture of 10001 blocks takes about 30,000\n"
    "characters.\n"
    "\n"
    "      --base URL  the page's address, e.g. https://example.org/palorin/\n"
    "  -h, --help      show this help\n";

const std::string_view kAnimateHelp =
    "Usage: palorin-cli animate [-o OUT.gif] [--every N] [--delay MS] [--hold MS]\n"
    "                           [--scale K] FILE...\n"
    "\n"
    "Loads the FILEs as 'render' does and writes an animated GIF of the picture\n"
    "being built in the order its blocks were drawn, step by step. Step k shows\n"
    "log slots 0..k*N-1 replayed into a cleared drawing area, as 'render --upto'\n"
    "shows them; the last step shows the whole picture, as 'render' shows it,\n"
    "and is held longer. The animation loops forever.\n"
    "\n"
    "  -o, --output OUT  write to OUT, which must end in .gif; without it the GIF\n"
    "                    goes to standard output\n"
    "      --every N     add N log slots per step (1 to 10004); default: the\n"
    "                    picture's slots / 200, rounded up, so that the build\n"
    "                    takes about ten seconds (a 2000-slot picture: 10)\n"
    "      --delay MS    show each step MS milliseconds (20 to 655350, rounded\n"
    "                    to hundredths of a second); default 50\n"
    "      --hold MS     show the last step MS milliseconds; default 2000\n"
    "      --scale K     enlarge the frames K times (1 to 8), as 'render' does\n"
    "  -h, --help        show this help\n"
    "\n"
    "All frames share one palette: black and the colours of the blocks the\n"
    "picture draws. Each frame after the first stores only the rectangle that\n"
    "changed. A step that changes nothing (its blocks hidden behind others,\n"
    "say) adds no frame: the frame before stays on screen for its time too.\n";

}  // namespace palorin::cli
