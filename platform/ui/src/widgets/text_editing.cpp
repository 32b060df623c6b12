#include "widgets/text_editing.h"

#include "orvo_json/utf8.h"
#include "widgets/control_support.h"

namespace orvo_ui::text_editing {
namespace {

using control_support::next_boundary;
using control_support::previous_boundary;

// Letters, digits and every non-ASCII character belong to words; spaces and ASCII punctuation
// separate them.
bool is_word_byte(unsigned char c) {
  return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool word_before(std::string_view text, std::size_t offset) {
  return offset > 0 && is_word_byte(static_cast<unsigned char>(text[previous_boundary(text, offset)]));
}

bool word_after(std::string_view text, std::size_t offset) {
  return offset < text.size() && is_word_byte(static_cast<unsigned char>(text[offset]));
}

Edit removal(std::size_t start, std::size_t end) { return Edit{start, end, {}, Selection::at(start)}; }

// Where a caret step lands. Without Shift a selection collapses to its edge in the step's direction
// instead of moving.
std::optional<Selection> step(std::string_view text, Selection selection, const event::Key& key, const Rules& rules) {
  const bool shift = key.modifiers.shift;
  const bool word = key.modifiers.ctrl;
  std::size_t target = selection.caret;
  switch (key.key) {
    case NamedKey::Left:
      if (!shift && !selection.empty()) return Selection::at(selection.start());
      target = word ? (rules.secret ? 0 : previous_word(text, target)) : previous_boundary(text, target);
      break;
    case NamedKey::Right:
      if (!shift && !selection.empty()) return Selection::at(selection.end());
      target = word ? (rules.secret ? text.size() : next_word(text, target)) : next_boundary(text, target);
      break;
    case NamedKey::Home: target = 0; break;
    case NamedKey::End: target = text.size(); break;
    default: return std::nullopt;
  }
  return shift ? Selection{selection.anchor, target} : Selection::at(target);
}

}  // namespace

std::string clean(std::string_view text, std::size_t max_bytes) {
  const std::string valid = orvo_json::utf8::to_valid(text);
  std::string out;
  for (std::size_t i = 0; i < valid.size();) {
    const std::size_t n = orvo_json::utf8::sequence_length(std::string_view(valid).substr(i));
    const auto lead = static_cast<unsigned char>(valid[i]);
    const bool control = n == 1 && (lead < 0x20 || lead == 0x7F);
    if (!control) {
      if (out.size() + n > max_bytes) break;
      out.append(valid, i, n);
    }
    i += n;
  }
  return out;
}

std::optional<Edit> type(std::string_view text, Selection selection, std::string_view typed, const Rules& rules) {
  const std::size_t kept = text.size() - (selection.end() - selection.start());
  const std::size_t room = rules.max_bytes > kept ? rules.max_bytes - kept : 0;
  std::string insert = clean(typed, room);
  if (insert.empty()) return std::nullopt;
  const std::size_t caret = selection.start() + insert.size();
  return Edit{selection.start(), selection.end(), std::move(insert), Selection::at(caret)};
}

KeyOutcome press(std::string_view text, Selection selection, const event::Key& key, const Rules& rules) {
  if (!key.pressed || key.modifiers.alt || key.modifiers.super) return {};
  if (key.key == NamedKey::None) {
    if (key.modifiers.ctrl && !key.modifiers.shift && (key.text == "a" || key.text == "A")) {
      const Selection all{0, text.size()};
      if (all == selection) return {};
      return all;
    }
    return {};
  }
  if (key.key == NamedKey::Backspace || key.key == NamedKey::Delete) {
    if (!selection.empty()) return removal(selection.start(), selection.end());
    const std::size_t at = selection.caret;
    const bool word = key.modifiers.ctrl;
    if (key.key == NamedKey::Backspace) {
      if (at == 0) return {};
      return removal(word ? (rules.secret ? 0 : previous_word(text, at)) : previous_boundary(text, at), at);
    }
    if (at >= text.size()) return {};
    const std::size_t end = word ? (rules.secret ? text.size() : next_word(text, at)) : next_boundary(text, at);
    return Edit{at, end, {}, Selection::at(at)};
  }
  auto moved = step(text, selection, key, rules);
  if (!moved || *moved == selection) return {};
  return *moved;
}

std::size_t previous_word(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  while (offset > 0 && !word_before(text, offset)) offset = previous_boundary(text, offset);
  while (offset > 0 && word_before(text, offset)) offset = previous_boundary(text, offset);
  return offset;
}

std::size_t next_word(std::string_view text, std::size_t offset) {
  while (offset < text.size() && !word_after(text, offset)) offset = next_boundary(text, offset);
  while (offset < text.size() && word_after(text, offset)) offset = next_boundary(text, offset);
  return offset;
}

}  // namespace orvo_ui::text_editing
