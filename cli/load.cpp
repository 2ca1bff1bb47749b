#include "cli/load.h"

#include <ostream>

#include "base/error.h"
#include "base/file_write.h"
#include "cli/escape.h"
#include "fileio/block_text.h"

namespace palorin::cli {

bool IsBlockPicture(std::string_view tag) {
  return tag == fileio::kCompatibleTag || tag == fileio::kNativeTag;
}

bool LoadOne(Session& session, const std::string& name, LoadReport& report) {
  Action load;
  load.kind = Action::Kind::Load;
  load.text = name;
  Outcome outcome = session.Apply(load);
  const std::size_t index = report.files.size();
  LoadReport::File& file = report.files.emplace_back();
  file.load.fileName = name;
  file.errorBoxes = std::move(outcome.errorBoxes);
  if (!file.errorBoxes.empty()) return false;

  const forms::TForm2& form2 = session.form2();
  if (form2.LastLoad()) file.load = *form2.LastLoad();
  file.load.fileName = name;
  if (file.load.tag == fileio::kCompatibleTag) {
    report.pending.push_back(index);
    report.pendingParts = form2.ReadParts();
    if (file.load.completed) {
      for (const std::size_t i : report.pending) report.files[i].seriesComplete = true;
      report.pending.clear();
    }
  }
  return true;
}

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
    const std::string& tag = report.files.back().load.tag;
    if (!IsBlockPicture(tag)) {
      io.err << "palorin-cli " << command << ": " << name << ": not a block picture file (tag "
             << Printable(tag) << ")\n";
      return false;
    }
  }
  if (!report.pending.empty()) {
    const fileio::PartMarks& loaded = session.form2().PartLoaded();
    io.err << "palorin-cli " << command << ": incomplete series: loaded";
    for (const std::size_t i : report.pending) io.err << " " << report.files[i].load.fileName;
    io.err << "; missing part";
    for (std::int32_t k = 1; k <= report.pendingParts && k <= fileio::kMaxParts; ++k) {
      if (loaded[k] == 0) io.err << " " << k;
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

int DeliverImage(std::string_view command, const std::optional<std::string>& output,
                 const std::function<std::string()>& encode, Io& io) {
  try {
    const std::string bytes = encode();
    if (output) {
      WriteOutputFile(*output, bytes);
    } else {
      io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      io.out.flush();
      if (!io.out) throw Error("writing to standard output failed");
    }
  } catch (const Error& e) {
    io.err << "palorin-cli " << command << ": " << e.what() << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

void WriteOutputFile(const std::string& path, std::string_view bytes) {
  WriteFileReplacing(path, bytes, "cannot create " + path, "writing " + path + " failed");
}

}  // namespace palorin::cli
