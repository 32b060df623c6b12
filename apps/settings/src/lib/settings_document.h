#pragma once
// Typed reads of a settings document, and the two writes the panes share.
//
// Every pane keeps the live values of its controls in a document map under dotted keys
// ("bluetooth.enabled", "audio.volume", "users.form.full_name"). The reads never fail: a missing
// key, a value of another kind, an object where a scalar was expected, or a refused read all give
// no value, and the caller keeps its previous state. Only the exact kind counts: an Int is not a
// number for `read_f64`, the text "true" is not a boolean.
#include "orvo_doc/document.h"

#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace settings::lib {

// A copy of the scalar at the key; none for an object, an absent key or a refused read.
std::optional<orvo_doc::ScalarValue> read_scalar(const orvo_doc::Document& doc, orvo_doc::ObjId obj,
                                                 std::string_view key);

// A Str scalar, or the whole content of a Text object: what a choice or a text field holds.
std::optional<std::string> read_text(const orvo_doc::Document& doc, orvo_doc::ObjId obj, std::string_view key);

// Only a Str scalar; a Text object gives none.
std::optional<std::string> read_string(const orvo_doc::Document& doc, orvo_doc::ObjId obj, std::string_view key);

// Only an F64 scalar (what a slider writes).
std::optional<double> read_f64(const orvo_doc::Document& doc, orvo_doc::ObjId obj, std::string_view key);

// Only a Boolean scalar (what a toggle or a button flag writes).
std::optional<bool> read_bool(const orvo_doc::Document& doc, orvo_doc::ObjId obj, std::string_view key);

// Makes the key hold a Text object that a text field can edit, and returns its id. A Text object
// already there is kept and nothing is written; anything else is replaced by a new Text object
// seeded with the key's previous Str (empty for any other value). `obj` must be a map of the
// document: anything else is a broken invariant, logged and returned as the error.
std::expected<orvo_doc::ObjId, orvo_doc::Error> ensure_text_object(orvo_doc::Document& doc, orvo_doc::ObjId obj,
                                                                   std::string_view key);

// Compare-then-write: puts the scalar only when the key does not already hold exactly this value
// (same kind, same value), so an unchanged value records no change. Answers whether it wrote.
std::expected<bool, orvo_doc::Error> put_if_changed(orvo_doc::Document& doc, orvo_doc::ObjId obj,
                                                    std::string_view key, orvo_doc::ScalarValue value);

}  // namespace settings::lib
