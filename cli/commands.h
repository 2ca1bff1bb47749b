#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"

namespace palorin::cli {

// The commands; `args` are the arguments after the command name.
int RunRender(const std::vector<std::string>& args, Io& io);
int RunInfo(const std::vector<std::string>& args, Io& io);
int RunConvert(const std::vector<std::string>& args, Io& io);
int RunPlay(const std::vector<std::string>& args, Io& io);
int RunAnimate(const std::vector<std::string>& args, Io& io);
int RunLink(const std::vector<std::string>& args, Io& io);

}  // namespace palorin::cli
