#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/session.h"

namespace palorin::cli {

// What loading the files of a command left behind, file by file.
struct LoadReport {
  struct File {
    std::vector<std::string> errorBoxes;
    forms::LoadResult load;       // what the file window read (name and all)
    bool seriesComplete = false;  // compatible files: their series was completed
  };
  std::vector<File> files;
  // Compatible files loaded since the last series was completed.
  std::vector<std::size_t> pending;
  std::int32_t pendingParts = 0;  // parts the last compatible header asks for
};

bool IsBlockPicture(std::string_view tag);

// Loads one file through the file window's load page, as a user would, and
// records what the window reports about it. Returns false when the load
// raised an error.
bool LoadOne(Session& session, const std::string& name, LoadReport& report);

// Loads every file as render, convert and animate need them: each must load
// without an error box and be a block file, and every compatible series must
// be complete at the end. Prints the reason and returns false otherwise.
bool LoadPicture(Session& session, const std::vector<std::string>& names, std::string_view command,
                 Io& io);

// Prints the error boxes of an action as "palorin-cli COMMAND: error: TEXT";
// true when there were none.
bool PrintErrorBoxes(const Outcome& outcome, std::string_view command, Io& io);

// Encodes an image and writes it to `output`, or to standard output without
// one; an encoding or writing failure is printed as "palorin-cli COMMAND: …".
// Returns the exit status.
int DeliverImage(std::string_view command, const std::optional<std::string>& output,
                 const std::function<std::string()>& encode, Io& io);

// Writes an output file whole, replacing it only once complete.
void WriteOutputFile(const std::string& path, std::string_view bytes);

}  // namespace palorin::cli
