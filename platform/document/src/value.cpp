#include "orvo_doc/value.h"

#include <bit>

namespace orvo_doc {

std::string_view to_string(ObjType type) {
  switch (type) {
    case ObjType::Map: return "map";
    case ObjType::List: return "list";
    case ObjType::Text: return "text";
    case ObjType::Table: return "table";
  }
  return "unknown";
}

std::string_view to_string(ScalarKind kind) {
  switch (kind) {
    case ScalarKind::Str: return "str";
    case ScalarKind::Int: return "int";
    case ScalarKind::Uint: return "uint";
    case ScalarKind::F64: return "f64";
    case ScalarKind::Counter: return "counter";
    case ScalarKind::Timestamp: return "timestamp";
    case ScalarKind::Boolean: return "boolean";
    case ScalarKind::Null: return "null";
    case ScalarKind::Bytes: return "bytes";
    case ScalarKind::Unknown: return "unknown";
  }
  return "unknown";
}

ScalarValue ScalarValue::str(std::string text) { return {ScalarKind::Str, std::move(text)}; }
ScalarValue ScalarValue::int64(std::int64_t value) { return {ScalarKind::Int, value}; }
ScalarValue ScalarValue::uint64(std::uint64_t value) { return {ScalarKind::Uint, value}; }
ScalarValue ScalarValue::f64(double value) { return {ScalarKind::F64, value}; }
ScalarValue ScalarValue::counter(std::int64_t value) { return {ScalarKind::Counter, value}; }
ScalarValue ScalarValue::timestamp(std::int64_t millis) { return {ScalarKind::Timestamp, millis}; }
ScalarValue ScalarValue::boolean(bool value) { return {ScalarKind::Boolean, value}; }
ScalarValue ScalarValue::null() { return {ScalarKind::Null, std::monostate{}}; }
ScalarValue ScalarValue::bytes(std::vector<std::uint8_t> data) { return {ScalarKind::Bytes, std::move(data)}; }
ScalarValue ScalarValue::unknown(std::uint8_t type_code, std::vector<std::uint8_t> data) {
  return {ScalarKind::Unknown, UnknownScalar{type_code, std::move(data)}};
}

const std::string* ScalarValue::as_str() const {
  return kind_ == ScalarKind::Str ? std::get_if<std::string>(&storage_) : nullptr;
}

std::optional<std::int64_t> ScalarValue::as_int() const {
  if (kind_ != ScalarKind::Int) return std::nullopt;
  return std::get<std::int64_t>(storage_);
}

std::optional<std::uint64_t> ScalarValue::as_uint() const {
  if (kind_ != ScalarKind::Uint) return std::nullopt;
  return std::get<std::uint64_t>(storage_);
}

std::optional<double> ScalarValue::as_f64() const {
  if (kind_ != ScalarKind::F64) return std::nullopt;
  return std::get<double>(storage_);
}

std::optional<std::int64_t> ScalarValue::as_counter() const {
  if (kind_ != ScalarKind::Counter) return std::nullopt;
  return std::get<std::int64_t>(storage_);
}

std::optional<std::int64_t> ScalarValue::as_timestamp() const {
  if (kind_ != ScalarKind::Timestamp) return std::nullopt;
  return std::get<std::int64_t>(storage_);
}

std::optional<bool> ScalarValue::as_bool() const {
  if (kind_ != ScalarKind::Boolean) return std::nullopt;
  return std::get<bool>(storage_);
}

const std::vector<std::uint8_t>* ScalarValue::as_bytes() const {
  return kind_ == ScalarKind::Bytes ? std::get_if<std::vector<std::uint8_t>>(&storage_) : nullptr;
}

const UnknownScalar* ScalarValue::as_unknown() const {
  return kind_ == ScalarKind::Unknown ? std::get_if<UnknownScalar>(&storage_) : nullptr;
}

bool operator==(const ScalarValue& a, const ScalarValue& b) {
  if (a.kind_ != b.kind_) return false;
  if (a.kind_ == ScalarKind::F64) {
    return std::bit_cast<std::uint64_t>(std::get<double>(a.storage_)) ==
           std::bit_cast<std::uint64_t>(std::get<double>(b.storage_));
  }
  return a.storage_ == b.storage_;
}

}  // namespace orvo_doc
