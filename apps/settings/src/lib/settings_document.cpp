#include "lib/settings_document.h"

#include "orvo_log/log.h"

namespace settings::lib {

using orvo_doc::Document;
using orvo_doc::ObjectRef;
using orvo_doc::ObjId;
using orvo_doc::ObjType;
using orvo_doc::ScalarValue;

namespace {

// The value at the key, lent by the document until its next write; null when there is none or
// the document refuses the read.
const orvo_doc::Value* borrow(const Document& doc, ObjId obj, std::string_view key) {
  auto value = doc.lookup(obj, key);
  return value ? *value : nullptr;
}

const ScalarValue* borrow_scalar(const Document& doc, ObjId obj, std::string_view key) {
  const orvo_doc::Value* value = borrow(doc, obj, key);
  return value ? std::get_if<ScalarValue>(value) : nullptr;
}

}  // namespace

std::optional<ScalarValue> read_scalar(const Document& doc, ObjId obj, std::string_view key) {
  const ScalarValue* scalar = borrow_scalar(doc, obj, key);
  if (!scalar) return std::nullopt;
  return *scalar;
}

std::optional<std::string> read_text(const Document& doc, ObjId obj, std::string_view key) {
  const orvo_doc::Value* value = borrow(doc, obj, key);
  if (!value) return std::nullopt;
  if (const auto* scalar = std::get_if<ScalarValue>(value)) {
    if (const std::string* text = scalar->as_str()) return *text;
    return std::nullopt;
  }
  const auto& ref = std::get<ObjectRef>(*value);
  if (ref.type != ObjType::Text) return std::nullopt;
  auto content = doc.text(ref.id);
  if (!content) return std::nullopt;
  return std::move(*content);
}

std::optional<std::string> read_string(const Document& doc, ObjId obj, std::string_view key) {
  const ScalarValue* scalar = borrow_scalar(doc, obj, key);
  if (!scalar) return std::nullopt;
  if (const std::string* text = scalar->as_str()) return *text;
  return std::nullopt;
}

std::optional<double> read_f64(const Document& doc, ObjId obj, std::string_view key) {
  const ScalarValue* scalar = borrow_scalar(doc, obj, key);
  if (!scalar) return std::nullopt;
  return scalar->as_f64();
}

std::optional<bool> read_bool(const Document& doc, ObjId obj, std::string_view key) {
  const ScalarValue* scalar = borrow_scalar(doc, obj, key);
  if (!scalar) return std::nullopt;
  return scalar->as_bool();
}

std::expected<ObjId, orvo_doc::Error> ensure_text_object(Document& doc, ObjId obj, std::string_view key) {
  std::string previous;
  if (const orvo_doc::Value* current = borrow(doc, obj, key)) {
    if (const auto* ref = std::get_if<ObjectRef>(current); ref && ref->type == ObjType::Text) return ref->id;
    if (const auto* scalar = std::get_if<ScalarValue>(current); scalar && scalar->as_str()) previous = *scalar->as_str();
  }

  auto created = doc.put_object(obj, key, ObjType::Text);
  if (!created) {
    orvo_log::warn("broken invariant", {{"what", "seed a Text object for an editable field"},
                                        {"key", std::string(key)},
                                        {"error", created.error().message}});
    return std::unexpected(orvo_doc::Error{created.error().kind,
                                           "seed a Text object for an editable field: " + created.error().message});
  }
  // The previous text came out of the document, so it is valid UTF-8 and the splice cannot be
  // refused; were it refused, the field would simply start empty.
  if (!previous.empty()) (void)doc.splice_text(*created, 0, 0, previous);
  return *created;
}

std::expected<bool, orvo_doc::Error> put_if_changed(Document& doc, ObjId obj, std::string_view key,
                                                    ScalarValue value) {
  if (const ScalarValue* current = borrow_scalar(doc, obj, key); current && *current == value) return false;
  auto put = doc.put(obj, key, std::move(value));
  if (!put) return std::unexpected(put.error());
  return true;
}

}  // namespace settings::lib
