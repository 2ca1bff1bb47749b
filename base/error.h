#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace palorin {

// An error raised inside an event handler. It ends the handler where it is
// raised; whatever the handler changed before stays changed. The front end
// turns message() into the error box's text (see forms/dispatch.h).
class Error : public std::runtime_error {
 public:
  explicit Error(std::string message) : std::runtime_error(message), message_(std::move(message)) {}

  // The whole message. It can quote bytes read from a file, NUL included,
  // where what() would stop.
  const std::string& message() const noexcept { return message_; }

 private:
  std::string message_;
};

// Replaces the first "%s" of a message template with `value`.
std::string FormatMessage(std::string_view pattern, std::string_view value);

// Message texts the program raises, byte for byte.
namespace messages {
inline constexpr std::string_view kNotAnInteger = "'%s' は整数ではありません";
inline constexpr std::string_view kCannotOpen = "ﾌｧｲﾙ %s は開けません";
inline constexpr std::string_view kCannotCreate = "ﾌｧｲﾙ %s を作成できません";
inline constexpr std::string_view kStreamWriteFailed = "ｽﾄﾘｰﾑへの書き込みに失敗しました";
inline constexpr std::string_view kBmpWriteError = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ";
}  // namespace messages

}  // namespace palorin
