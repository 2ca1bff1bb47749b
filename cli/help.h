#pragma once

#include <string>
#include <string_view>

namespace palorin::cli {

// The texts of --help: the tool's and each command's.
extern const std::string_view kToolHelp;
extern const std::string_view kRenderHelp;
extern const std::string_view kInfoHelp;
extern const std::string_view kConvertHelp;
extern const std::string_view kAnimateHelp;
extern const std::string_view kLinkHelp;
// play's help: its own lines, then the editor's actions from the action table.
std::string PlayHelp();

}  // namespace palorin::cli
