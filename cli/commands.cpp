#include "cli/commands.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "base/error.h"
#include "base/file_write.h"
#include "base/int_parse.h"
#include "cli/image_out.h"
#include "cli/session.h"
#include "fileio/block_text.h"
#include "render/bmp.h"

namespace palorin::cli {

namespace {

constexpr std::string_view kRenderHelp =
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

constexpr std::string_view kInfoHelp =
    "Usage: palorin-cli info FILE...\n"
    "\n"
    "Loads each FILE in the order given, as 'render' does, and prints one line per\n"
    "file: its tag, count, for compatible files the part number and flag, the\n"
    "number of entries read, and whether the series the part belongs to is\n"
    "complete once all the given files are read.\n"
    "\n"
    "  -h, --help  show this help\n";

constexpr std::string_view kConvertHelp =
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

constexpr std::string_view kPlayHelp =
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
// \xHH, so that a binary header cannot garble the output.
std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7f && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    }
  }
  return out;
}

void WriteOutputFile(const std::string& path, std::string_view bytes) {
  WriteFileReplacing(path, bytes, "cannot create " + path, "writing " + path + " failed");
}

// What loading the files of a command left behind.
struct LoadReport {
  struct File {
    std::string name;
    std::vector<std::string> errorBoxes;
    std::string tag;
    std::int32_t count = 0;
    std::string part;                 // compatible files: the part text read
    std::optional<std::string> flag;  // compatible files: the "[fflug]:" value
    std::int64_t entries = 0;
    bool seriesComplete = false;  // compatible files: their series was completed
  };
  std::vector<File> files;
  // Compatible files loaded since the last series was completed.
  std::vector<std::size_t> pending;
  std::int32_t pendingParts = 0;  // parts the last compatible header asks for
};

bool IsCompatible(const std::string& tag) { return tag == fileio::kCompatibleTag; }
bool IsNative(const std::string& tag) { return tag == fileio::kNativeTag; }

// The slot a compatible part's entries start at, as the reader puts them.
std::int64_t FirstSlotOfPart(const std::string& partText) {
  std::int32_t p = 0;
  if (!TryStrToInt(partText, p) || p < 1 || p > fileio::kMaxParts) return 0;
  return fileio::PartFirstSlot(p);
}

std::optional<std::string> FlagLine(const fileio::TextBuffer& buffer) {
  constexpr std::string_view kKey = "[fflug]:";
  for (const std::string& line : buffer.Lines) {
    if (line.rfind(kKey, 0) == 0) return line.substr(kKey.size());
  }
  return std::nullopt;
}

// Loads one file through the file window's load page and records what the
// window shows about it. Returns false when the load raised an error.
bool LoadOne(Session& session, const std::string& name, LoadReport& report) {
  Action load;
  load.kind = Action::Kind::Load;
  load.text = name;
  Outcome outcome = session.Apply(load);
  const std::size_t index = report.files.size();
  LoadReport::File& file = report.files.emplace_back();
  file.name = name;
  file.errorBoxes = std::move(outcome.errorBoxes);
  if (!file.errorBoxes.empty()) return false;

  const forms::TForm2& form2 = session.form2();
  file.tag = form2.HeaderVar;
  file.count = session.form1().log().LogPos;
  if (IsCompatible(file.tag)) {
    file.part = form2.Label11.Caption;
    file.flag = FlagLine(form2.RichEdit1);
    file.entries = form2.LoadPos - FirstSlotOfPart(file.part);
    report.pending.push_back(index);
    report.pendingParts = form2.ReadParts;
    // The window hides exactly when this part completed its series.
    if (!form2.Visible) {
      for (const std::size_t i : report.pending) report.files[i].seriesComplete = true;
      report.pending.clear();
    }
  } else if (IsNative(file.tag)) {
    file.entries = form2.LoadPos;
  }
  return true;
}

// Loads every file as render and convert need them: each must load without
// an error box and be a block file, and every compatible series must be
// complete at the end. Prints the reason and returns false otherwise.
bool LoadPicture(Session& session, const std::vector<std::string>& names, std::string_view command,
                 Io& io) {
  LoadReport report;
  for (const std::string& name : names) {
    if (!LoadOne(session, name, report)) {
      for (const std::string& box : report.files.back().errorBoxes) {
        io.err << "palorin-cli " << command << ": error: " << box << "\n";
      }
      return false;
    }
    const std::string& tag = report.files.back().tag;
    if (!IsCompatible(tag) && !IsNative(tag)) {
      io.err << "palorin-cli " << command << ": " << name << ": not a block picture file (tag "
             << Printable(tag) << ")\n";
      return false;
    }
  }
  if (!report.pending.empty()) {
    const forms::TForm2& form2 = session.form2();
    io.err << "palorin-cli " << command << ": incomplete series: loaded";
    for (const std::size_t i : report.pending) io.err << " " << report.files[i].name;
    io.err << "; missing part";
    for (std::int32_t k = 1; k <= report.pendingParts && k <= fileio::kMaxParts; ++k) {
      if (form2.PartLoaded[static_cast<std::size_t>(k)] == 0) io.err << " " << k;
    }
    io.err << " of " << report.pendingParts << "\n";
    return false;
  }
  return true;
}

bool PrintErrorBoxes(const Outcome& outcome, std::string_view command, Io& io) {
  for (const std::string& box : outcome.errorBoxes) {
    io.err << "palorin-cli " << command << ": error: " << box << "\n";
  }
  return outcome.errorBoxes.empty();
}

int Usage(std::string_view command, const std::string& reason, Io& io) {
  io.err << "palorin-cli " << command << ": " << reason << "\n"
         << "Try 'palorin-cli " << command << " --help'.\n";
  return kExitUsage;
}

}  // namespace

int RunRender(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("render", args, {{"output", 'o', true}, {"upto", 0, true}}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kRenderHelp;
    return kExitOk;
  }
  if (parsed->operands.empty()) return Usage("render", "no FILE given", io);

  const std::optional<std::string> output = parsed->Value("output");
  ImageFormat format = ImageFormat::Bmp;
  if (output) {
    const auto chosen = FormatForName(*output);
    if (!chosen) return Usage("render", "OUT must end in .bmp or .png: " + *output, io);
    format = *chosen;
  } else if (io.outIsTerminal) {
    return Usage("render", "standard output is a terminal; give -o OUT", io);
  }
  std::optional<int> upto;
  if (const auto text = parsed->Value("upto")) {
    int n = 0;
    if (!ParseDecimal(*text, n) || n < 0) {
      return Usage("render", "--upto needs a slot number of 0 or more: " + *text, io);
    }
    upto = n;
  }

  auto session = std::make_unique<Session>();
  if (!LoadPicture(*session, parsed->operands, "render", io)) return kExitFailure;
  if (upto) {
    render::Cls(session->form1().raster());
    session->form1().ReDraw(*upto);
  }

  try {
    const std::string bytes = EncodeImage(session->raster(), format);
    if (output) {
      WriteOutputFile(*output, bytes);
    } else {
      io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      io.out.flush();
      if (!io.out) throw Error("writing to standard output failed");
    }
  } catch (const Error& e) {
    io.err << "palorin-cli render: " << e.what() << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

int RunInfo(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("info", args, {}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kInfoHelp;
    return kExitOk;
  }
  if (parsed->operands.empty()) return Usage("info", "no FILE given", io);

  auto session = std::make_unique<Session>();
  LoadReport report;
  for (const std::string& name : parsed->operands) LoadOne(*session, name, report);

  int status = kExitOk;
  for (const LoadReport::File& file : report.files) {
    io.out << file.name << ":";
    if (!file.errorBoxes.empty()) {
      for (const std::string& box : file.errorBoxes) io.out << " error: " << box;
      io.out << "\n";
      status = kExitFailure;
      continue;
    }
    io.out << " tag=" << Printable(file.tag);
    if (!IsCompatible(file.tag) && !IsNative(file.tag)) {
      io.out << " not a block picture file\n";
      status = kExitFailure;
      continue;
    }
    io.out << " count=" << file.count;
    if (IsCompatible(file.tag)) {
      io.out << " part=" << Printable(file.part)
             << " flag=" << (file.flag ? Printable(*file.flag) : "none");
    }
    io.out << " entries=" << file.entries;
    if (IsCompatible(file.tag)) {
      io.out << " series=" << (file.seriesComplete ? "complete" : "incomplete");
    }
    io.out << "\n";
  }
  return status;
}

int RunConvert(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("convert", args, {{"to", 0, true}, {"output", 'o', true}}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kConvertHelp;
    return kExitOk;
  }
  const std::optional<std::string> to = parsed->Value("to");
  if (!to) return Usage("convert", "--to native|compat is required", io);
  if (*to != "native" && *to != "compat") {
    return Usage("convert", "--to must be native or compat, not '" + *to + "'", io);
  }
  const std::optional<std::string> output = parsed->Value("output");
  if (!output || output->empty()) return Usage("convert", "-o OUT is required", io);
  if (parsed->operands.empty()) return Usage("convert", "no FILE given", io);

  auto session = std::make_unique<Session>();
  if (!LoadPicture(*session, parsed->operands, "convert", io)) return kExitFailure;

  // As a user would: "File", the save page, the save mode.
  const bool native = *to == "native";
  Action action;
  action.kind = Action::Kind::File;
  if (!PrintErrorBoxes(session->Apply(action), "convert", io)) return kExitFailure;
  action.kind = Action::Kind::Page;
  action.entry = forms::TForm2::kSavePage;
  if (!PrintErrorBoxes(session->Apply(action), "convert", io)) return kExitFailure;
  action.kind = Action::Kind::SaveMode;
  action.entry = native ? forms::kNativeMode : forms::kCompatibleMode;
  if (!PrintErrorBoxes(session->Apply(action), "convert", io)) return kExitFailure;

  forms::TForm2& form2 = session->form2();
  const auto save = [&](const std::string& name) {
    Action saveAction;
    saveAction.kind = Action::Kind::Save;
    saveAction.text = name;
    if (!PrintErrorBoxes(session->Apply(saveAction), "convert", io)) return false;
    io.out << form2.SaveFileName << "\n";
    return true;
  };

  if (native) return save(*output) ? kExitOk : kExitFailure;

  // The save page's set-up has classified the picture into its parts.
  const std::int32_t parts = form2.WriteParts;
  for (std::int32_t k = 1; k <= parts; ++k) {
    Action part;
    part.kind = Action::Kind::Part;
    part.text = std::to_string(k);
    const Outcome typed = session->Apply(part);
    if (!typed.refusal.empty()) {
      io.err << "palorin-cli convert: " << typed.refusal << "\n";
      return kExitFailure;
    }
    const std::string name =
        parts == 1 ? *output
                   : InsertBeforeExtension(*output, std::string("_").append(std::to_string(k)));
    if (!save(name)) return kExitFailure;
  }
  // The last part completes the series and hides the window.
  if (form2.Visible) {
    io.err << "palorin-cli convert: the series was not completed\n";
    return kExitFailure;
  }
  return kExitOk;
}

int RunPlay(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("play", args, {{"trace", 0, false}, {"bmp", 0, true}}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kPlayHelp;
    return kExitOk;
  }
  if (parsed->operands.size() > 1) return Usage("play", "more than one SCRIPT given", io);
  const bool trace = parsed->Has("trace");
  const std::optional<std::string> bmp = parsed->Value("bmp");
  if (bmp && bmp->empty()) return Usage("play", "--bmp needs a file name", io);

  std::ifstream file;
  std::istream* script = &io.in;
  if (!parsed->operands.empty() && parsed->operands[0] != "-") {
    const std::string& name = parsed->operands[0];
    file.open(name, std::ios::binary);
    if (!file) {
      io.err << "palorin-cli play: cannot read " << name << "\n";
      return kExitFailure;
    }
    script = &file;
  }

  auto session = std::make_unique<Session>();
  std::string line;
  for (long lineNumber = 1; !session->Ended() && std::getline(*script, line); ++lineNumber) {
    const ParsedLine parsedLine = ParseLine(line);
    if (!parsedLine.error.empty()) {
      io.err << "palorin-cli play: line " << lineNumber << ": " << parsedLine.error << "\n";
      return kExitUsage;
    }
    if (!parsedLine.action) continue;
    const Outcome outcome = session->Apply(*parsedLine.action);
    if (!outcome.refusal.empty()) {
      io.err << "palorin-cli play: line " << lineNumber << ": " << outcome.refusal << "\n";
      return kExitUsage;
    }
    for (const std::string& box : outcome.errorBoxes) io.out << "error: " << box << "\n";
    if (trace) io.out << session->TraceLine() << "\n";
  }
  if (script->bad()) {
    io.err << "palorin-cli play: reading the script failed\n";
    return kExitFailure;
  }
  if (!trace) io.out << session->TraceLine() << "\n";

  if (bmp) {
    try {
      WriteOutputFile(*bmp, render::EncodeBmp(session->raster()));
    } catch (const Error& e) {
      io.err << "palorin-cli play: " << e.what() << "\n";
      return kExitFailure;
    }
  }
  return kExitOk;
}

}  // namespace palorin::cli
