// palorin-cli info: what the file window reads from each file.
#include <memory>
#include <ostream>

#include "base/error.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/escape.h"
#include "cli/help.h"
#include "cli/load.h"
#include "fileio/block_text.h"

namespace palorin::cli {

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
    io.out << file.load.fileName << ":";
    if (!file.errorBoxes.empty()) {
      for (const std::string& box : file.errorBoxes) io.out << " error: " << box;
      io.out << "\n";
      status = kExitFailure;
      continue;
    }
    const forms::LoadResult& load = file.load;
    io.out << " tag=" << Printable(load.tag);
    if (!IsBlockPicture(load.tag)) {
      io.out << " not a block picture file\n";
      status = kExitFailure;
      continue;
    }
    const bool compatible = load.tag == fileio::kCompatibleTag;
    io.out << " count=" << load.count;
    if (compatible) {
      io.out << " part=" << Printable(load.part)
             << " flag=" << (load.flag ? Printable(*load.flag) : "none");
    }
    io.out << " entries=" << load.entries;
    if (compatible) {
      io.out << " series=" << (file.seriesComplete ? "complete" : "incomplete");
    }
    io.out << "\n";
  }
  return status;
}

}  // namespace palorin::cli
