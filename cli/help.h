#pragma once

#include <string_view>

namespace palorin::cli {

// The texts of --help: the tool's and each command's.
extern const std::string_view kToolHelp;
extern const std::string_view kRenderHelp;
extern const std::string_view kInfoHelp;
extern const std::string_view kConvertHelp;
extern const std::string_view kPlayHelp;
extern const std::string_view kAnimateHelp;
extern const std::string_view kLinkHelp;

}  // namespace palorin::cli
