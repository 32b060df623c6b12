#include "orvo_actions/context.h"

#include <cctype>

namespace orvo_actions {
namespace {

bool is_upper(char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; }
bool is_lower(char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }
bool is_separator(char c) { return c == '-' || c == '_' || c == '.' || c == ' ' || c == ':' || c == '/'; }

std::vector<std::string> split_words(std::string_view identifier) {
  std::vector<std::string> words;
  std::string word;
  auto flush = [&] {
    if (!word.empty()) words.push_back(std::move(word));
    word.clear();
  };
  for (std::size_t i = 0; i < identifier.size(); ++i) {
    const char c = identifier[i];
    if (is_separator(c)) {
      flush();
      continue;
    }
    if (is_upper(c) && !word.empty()) {
      const bool after_lower = is_lower(word.back()) || std::isdigit(static_cast<unsigned char>(word.back()));
      const bool ends_acronym = is_upper(word.back()) && i + 1 < identifier.size() && is_lower(identifier[i + 1]);
      if (after_lower || ends_acronym) flush();
    }
    word += c;
  }
  flush();
  return words;
}

bool is_acronym(const std::string& word) {
  if (word.size() < 2) return false;
  for (char c : word) {
    if (is_lower(c)) return false;
  }
  return true;
}

}  // namespace

ActionContext ActionContext::enriched_by(const ActionContext& host) const {
  ActionContext out = *this;
  if (out.title.empty()) out.title = host.title;
  if (out.resource_ids.empty()) out.resource_ids = host.resource_ids;
  if (!out.application) out.application = host.application;
  if (!out.source) out.source = host.source;
  if (!out.reason) out.reason = host.reason;
  return out;
}

std::string humanize_identifier(std::string_view identifier) {
  std::string out;
  for (const auto& word : split_words(identifier)) {
    std::string shown = word;
    if (!is_acronym(word)) {
      for (auto& c : shown) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (out.empty()) {
      shown[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(shown[0])));
    } else {
      out += ' ';
    }
    out += shown;
  }
  return out;
}

}  // namespace orvo_actions
