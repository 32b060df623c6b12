#pragma once
// The editing rules of a one-line text field, apart from where its text is kept: what typed text
// and each editing key do to a text and its selection. A field applies the answer to its own
// storage (an ordinary string, or a wiping buffer for a secret).
//
// Offsets are bytes on code-point boundaries. Text that enters a field is made valid UTF-8 first
// (every invalid part becomes U+FFFD), loses control characters (the field is one line), and is cut
// to whole characters that fit under the field's cap; typing that does not fit changes nothing.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "orvo_ui/event.h"

namespace orvo_ui::text_editing {

// The caret and the other end of the selection; equal when nothing is selected.
struct Selection {
  std::size_t anchor = 0;
  std::size_t caret = 0;

  static Selection at(std::size_t offset) { return {offset, offset}; }
  bool empty() const { return anchor == caret; }
  std::size_t start() const { return anchor < caret ? anchor : caret; }
  std::size_t end() const { return anchor < caret ? caret : anchor; }
  friend bool operator==(const Selection&, const Selection&) = default;
};

// The bytes [start, end) give way to `insert`; `after` is the selection once that is done.
struct Edit {
  std::size_t start = 0;
  std::size_t end = 0;
  std::string insert;
  Selection after;
};

struct Rules {
  std::size_t max_bytes = 0;
  // A secret's words are not told apart: word steps and word deletion reach the ends of the text.
  bool secret = false;
};

// `text` made fit for a field: valid UTF-8, no control characters, at most `max_bytes` (cut before
// a character that would not fit).
std::string clean(std::string_view text, std::size_t max_bytes);

// What typing `typed` does; nothing when no character of it fits.
std::optional<Edit> type(std::string_view text, Selection selection, std::string_view typed, const Rules& rules);

// What a key press does: a new selection, an edit, or nothing at all (not an editing key, or one
// with nothing to do, such as Backspace at the start).
using KeyOutcome = std::variant<std::monostate, Selection, Edit>;
KeyOutcome press(std::string_view text, Selection selection, const event::Key& key, const Rules& rules);

// Word steps: to the start of the word before `offset`, and to the end of the word after it.
std::size_t previous_word(std::string_view text, std::size_t offset);
std::size_t next_word(std::string_view text, std::size_t offset);

}  // namespace orvo_ui::text_editing
