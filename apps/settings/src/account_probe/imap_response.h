#pragma once
// Reading the few IMAP server responses the sign-in check needs: the greeting and the tagged
// answer to a command. A line arrives without its CR LF.
#include <string_view>

namespace settings::account_probe {

// "* OK" followed by a space or nothing (status words are case-insensitive). PREAUTH, BYE and
// anything else do not count as a usable greeting.
bool is_ok_greeting(std::string_view line);

enum class ResponseKind { Untagged, TaggedOk, TaggedNo, TaggedBad, Unexpected };

// What one line means while waiting for the answer to the command with `tag`. Untagged lines
// ("* ...") come before the answer; a continuation request or a line with another tag or an
// unknown status is unexpected.
ResponseKind classify_response(std::string_view line, std::string_view tag);

}  // namespace settings::account_probe
