// palorin-cli render: the drawing area after loading, as BMP or PNG.
#include <memory>
#include <ostream>

#include "base/error.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/image_out.h"
#include "cli/load.h"
#include "cli/script.h"

namespace palorin::cli {

int RunRender(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs(
      "render", args, {{"output", 'o', true}, {"upto", 0, true}, {"scale", 0, true}}, io.err);
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
  const std::optional<int> scale =
      RangedOption(*parsed, "render", "scale", "a factor", kMinScale, kMaxScale, 1, io);
  if (!scale) return kExitUsage;

  auto session = std::make_unique<Session>();
  if (!LoadPicture(*session, parsed->operands, "render", io)) return kExitFailure;
  if (upto) {
    render::Cls(session->form1().raster());
    session->form1().ReDraw(*upto);
  }

  return DeliverImage(
      "render", output, [&] { return EncodeImage(session->raster(), format, *scale); }, io);
}

}  // namespace palorin::cli
