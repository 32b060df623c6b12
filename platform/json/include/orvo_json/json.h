#pragma once
// Entry points of the strict JSON layer. Include this (it brings codec, record, variant, internal).
//
//   std::string text = orvo_json::encode(op);                 // compact, fields in declaration order
//   std::expected<Op, orvo_json::Error> op = orvo_json::decode<Op>(text);
//   orvo_json::Error::text() is "<reason> at line L column C".
//
// The JSON value forms (nlohmann::ordered_json) are for callers that hold a parsed document; include
// <nlohmann/json.hpp> where you call them.
#include <expected>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "orvo_json/codec.h"
#include "orvo_json/error.h"
#include "orvo_json/internal.h"
#include "orvo_json/reader.h"
#include "orvo_json/record.h"
#include "orvo_json/variant.h"
#include "orvo_json/writer.h"

namespace orvo_json {

template <class T>
void encode_to(std::string& out, const T& value) {
  Writer w(out);
  Codec<T>::encode(w, value);
}

template <class T>
std::string encode(const T& value) {
  std::string out;
  encode_to(out, value);
  return out;
}

// Reads exactly one value of T from the text; only whitespace may follow it.
template <class T>
std::expected<T, Error> decode(std::string_view text, Reader::Mode mode = Reader::Mode::Text) {
  try {
    Reader r(text, mode);
    T value = Codec<T>::decode(r);
    r.finish();
    return value;
  } catch (DecodeFailure& failure) {
    return std::unexpected(std::move(failure.error));
  }
}

// Compact text <-> nlohmann value (implemented once, out of line).
nlohmann::ordered_json parse_value(std::string_view compact_text);
std::string value_text(const nlohmann::ordered_json& value);

template <class T, class Json = nlohmann::ordered_json>
Json encode_value(const T& value) {
  return parse_value(encode(value));
}

// Reads T from a parsed value: the same rules, errors without a position.
template <class T>
std::expected<T, Error> decode_value(const nlohmann::ordered_json& value) {
  return decode<T>(value_text(value), Reader::Mode::Value);
}

}  // namespace orvo_json
