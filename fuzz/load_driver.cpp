#include "fuzz/load_driver.h"

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

#include "forms/dispatch.h"
#include "forms/tform2.h"

namespace palorin::fuzz {

namespace {

// The open dialog answers an in-memory file holding the current bytes, so the
// load runs the real file read without touching the disk.
class MemoryFileServices : public forms::Services {
 public:
  MemoryFileServices() : fd_(::memfd_create("palorin-load", MFD_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error("memfd_create failed");
  }
  ~MemoryFileServices() override { ::close(fd_); }
  MemoryFileServices(const MemoryFileServices&) = delete;
  MemoryFileServices& operator=(const MemoryFileServices&) = delete;

  void SetContent(std::string_view bytes) {
    if (::ftruncate(fd_, 0) != 0) throw std::runtime_error("ftruncate failed");
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n <= 0) throw std::runtime_error("pwrite failed");
      done += static_cast<std::size_t>(n);
    }
  }

  void CopyToClipboard(const render::Raster&) override {}
  void ShowFileWindow() override {}
  void CloseMainWindow() override {}
  std::optional<std::string> RunOpenDialog(forms::FileDialog&) override {
    return "/proc/self/fd/" + std::to_string(fd_);
  }
  std::optional<std::string> RunSaveDialog(forms::FileDialog&) override { return std::nullopt; }

 private:
  int fd_;
};

bool KnownErrorText(const std::string& text) {
  for (const std::string_view stem :
       {std::string_view("は整数ではありません"), std::string_view("は開けません"),
        std::string_view("のﾃﾞｰﾀ数が範囲外です"), std::string_view("のﾃﾞｰﾀが多すぎます")}) {
    if (text.find(stem) != std::string::npos) return true;
  }
  return false;
}

std::string CheckInvariants(const forms::TForm1& form1, const forms::TForm2& form2) {
  const core::PlacementLog& log = form1.scene.log;
  if (log.LogPos < -1 || log.LogPos >= core::kLogSlots) return "LogPos outside the log";
  if (log.LastIndex < -1 || log.LastIndex >= core::kLogSlots) return "LastIndex outside the log";
  if (form2.LoadPos() < 0 || form2.LoadPos() > core::kLogSlots) return "LoadPos outside the log";
  if (form2.ReadParts() < 0 || form2.ReadParts() > fileio::kMaxParts) {
    return "ReadParts out of range";
  }
  for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) {
    const std::int32_t mark = form2.PartLoaded()[k];
    if (mark != 0 && mark != fileio::kMarked) return "part mark out of range";
  }
  // A load that completed the picture hides the window; any other leaves it.
  const bool completed = form2.LastLoad() && form2.LastLoad()->completed;
  if (completed == form2.Visible)
    return "window shown after a completed load, or hidden after none";
  return {};
}

}  // namespace

LoadReport LoadThroughFileWindow(std::string_view bytes) {
  // One main window for every call, its shared state reset each time: the
  // raster and the combo box lists are costly to build for every input.
  static MemoryFileServices services;
  static forms::TForm1 form1 = [] {
    forms::TForm1 form(services);
    form.FormCreate();
    return form;
  }();
  form1.scene.log = core::PlacementLog{};
  form1.scene.status = core::StatusBar{};
  render::Cls(form1.scene.canvas.raster);
  forms::TForm2 form2(form1, services);
  form2.FormCreate();
  form2.Visible = true;
  for (const auto& [x, y, colour] :
       {std::array<std::uint8_t, 3>{10, 20, 1}, {11, 21, 3}, {80, 98, 5}}) {
    core::PrepareAppend(form1.scene.log);
    core::AppendBlock(form1.scene, x, y, colour);
  }

  LoadReport report;
  std::size_t begin = 0;
  while (report.loads < static_cast<int>(kMaxFiles)) {
    std::size_t end = bytes.find('\f', begin);
    if (end == std::string_view::npos) end = bytes.size();
    services.SetContent(bytes.substr(begin, end - begin));
    form2.ActivePage = forms::TForm2::kLoadPage;
    form2.Visible = true;
    ++report.loads;
    if (auto error = forms::Dispatch([&] { form2.Button1Click(); })) {
      if (!KnownErrorText(*error)) report.violation = "unexpected error text: " + *error;
      report.errorBoxes.push_back(std::move(*error));
    }
    if (report.violation.empty()) report.violation = CheckInvariants(form1, form2);
    if (!report.violation.empty() || end == bytes.size()) break;
    begin = end + 1;
  }
  report.completed = form2.LastLoad() && form2.LastLoad()->completed;
  report.logPos = form1.scene.log.LogPos;
  report.lastIndex = form1.scene.log.LastIndex;
  return report;
}

}  // namespace palorin::fuzz
