#include "cli/help.h"

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
    "\n"
    "'palorin-cli COMMAND --help' describes each command; 'palorin-cli --version'\n"
    "prints the version.\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments\n"
    "or a script line that is not understood.\n";

const std::string_view kRenderHelp =
    "Usage: palorin-cli render [-o OUT] [--upto N] FILE...\n"
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

const std::string_view kPlayHelp =
    "Usage: palorin-cli play [--trace] [--bmp OUT] [SCRIPT]\n"
    "\n"
    "Runs an editing session written as actions, one per line, from SCRIPT (or\n"
    "standard input when SCRIPT is missing or '-'), through the editor's own\n"
    "handlers. Blank lines and lines starting with # are skipped; fields are\n"
    "separated by one blank, and TEXT is everything after the blank that follows\n"
    "the keyword.\n"
    "\n"
    "  press X Y            press on the drawing area at pixel (X, Y)\n"
    "  move X Y             move the pointer to (X, Y)\n"
    "  colour NAME          choose blue, green, red, yellow or white\n"
    "  colour-text TEXT     type TEXT into the colour box\n"
    "  mode NAME            choose Single, X, Y, Z, XY, XZ, YZ or XYZ\n"
    "  size AXIS N          choose entry N (1..50) of the size box X, Y or Z\n"
    "  size-text AXIS TEXT  type TEXT into that size box\n"
    "  step TEXT            type TEXT into the step box\n"
    "  undo, redo, reset, clip, file, end   click that button\n"
    "  page load|save       click that tab of the file window\n"
    "  save-mode compat|native|bmp          click that save mode\n"
    "  part TEXT            type TEXT into the part-number box\n"
    "  load PATH, save PATH execute on that page; the dialog answers PATH\n"
    "  load-cancel, save-cancel             execute, and cancel the dialog\n"
    "  cancel               click the file window's cancel button\n"
    "\n"
    "The editor's error boxes are printed as 'error: TEXT'. At the end the state\n"
    "line is printed: the status panels, LogPos, LastIndex, AfterStep, whether the\n"
    "file window is shown, WriteParts, Saved, ReadParts and Loaded.\n"
    "\n"
    "      --trace     print the state line after every action instead\n"
    "      --bmp OUT   write the drawing area as a BMP at the end\n"
    "  -h, --help      show this help\n"
    "\n"
    "A line that is not understood, or an action a user could not do at that\n"
    "point (a disabled box, a hidden window), stops the script with status 2.\n";

// Bytes of a file's own texts as printed: printable ASCII as is, the rest as

}  // namespace palorin::cli
