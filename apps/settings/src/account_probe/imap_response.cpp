#include "account_probe/imap_response.h"

#include <cctype>

namespace settings::account_probe {
namespace {

// The line starts with the (upper-case) word, followed by a space or the end of the line.
bool starts_with_word(std::string_view line, std::string_view word) {
  if (line.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) != word[i]) return false;
  }
  return line.size() == word.size() || line[word.size()] == ' ';
}

}  // namespace

bool is_ok_greeting(std::string_view line) { return line.starts_with("* ") && starts_with_word(line.substr(2), "OK"); }

ResponseKind classify_response(std::string_view line, std::string_view tag) {
  if (line.starts_with("* ")) return ResponseKind::Untagged;
  if (tag.empty() || line.size() <= tag.size() || !line.starts_with(tag) || line[tag.size()] != ' ') {
    return ResponseKind::Unexpected;
  }
  const std::string_view status = line.substr(tag.size() + 1);
  if (starts_with_word(status, "OK")) return ResponseKind::TaggedOk;
  if (starts_with_word(status, "NO")) return ResponseKind::TaggedNo;
  if (starts_with_word(status, "BAD")) return ResponseKind::TaggedBad;
  return ResponseKind::Unexpected;
}

}  // namespace settings::account_probe
