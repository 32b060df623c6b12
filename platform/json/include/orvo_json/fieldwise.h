#pragma once
// Stored records read and written member by member, for files a person's settings live in: one bad
// value must not cost the others, and a save must not write defaults over what the program could not
// read.
//
//   decode_fields<T>(value)   reads a record field by field: a field that is missing or does not
//                             decode keeps the default of `T{}` (an absent optional `field` reads as
//                             none); every other field keeps its value. A nested record is read the
//                             same way, and each entry of a map of records on its own (an entry that
//                             is not an object or an array is left out).
//   merge_fields(existing, loaded, updated, encoded)
//                             the stored value to write: `existing` (the member as the file holds it)
//                             with `updated` merged in, where `loaded` is what `decode_fields` read
//                             from `existing` and `encoded` is `updated`'s JSON form. Only what
//                             differs between `loaded` and `updated` is written; every other member
//                             (one that did not decode, one the record has no field for) stays as the
//                             file holds it.
//
// Include this only in .cpp files: it brings the whole of nlohmann/json.
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

#include "orvo_json/json.h"

namespace orvo_json {

template <class D>
struct IsRecordDescription : std::false_type {};
template <class T, class... Fs>
struct IsRecordDescription<RecordDescription<T, Fs...>> : std::true_type {};

// A type described as a record (an object of named fields).
template <class T>
concept FieldRecord = Described<T> && IsRecordDescription<std::remove_cvref_t<decltype(describe_json(Tag<T>{}))>>::value;

template <class T>
struct IsStringMap : std::false_type {};
template <class V>
struct IsStringMap<std::map<std::string, V>> : std::true_type {};

namespace fieldwise_detail {

using Json = nlohmann::ordered_json;

template <class T>
std::optional<T> try_decode(const Json& value);

template <FieldRecord T>
T decode_record(const Json& value) {
  T out{};
  const auto& fields = Codec<T>::kDescription.fields;
  if (value.is_object()) {
    fields.each([&](auto, const auto& f) {
      using M = typename std::decay_t<decltype(f)>::Member;
      const auto it = value.find(f.name);
      if (it == value.end()) {
        if constexpr (IsOptional<M>::value) {
          if (f.presence == Presence::Optional) (out.*(f.member)).reset();
        }
        return;
      }
      if (auto decoded = try_decode<M>(*it)) out.*(f.member) = std::move(*decoded);
    });
  } else if (value.is_array()) {
    fields.each([&](auto index, const auto& f) {
      using M = typename std::decay_t<decltype(f)>::Member;
      const std::size_t at = index;
      if (at >= value.size()) return;
      if (auto decoded = try_decode<M>(value.at(at))) out.*(f.member) = std::move(*decoded);
    });
  }
  return out;
}

// None when the value cannot stand for a T at all; a record or a map of records that is an object
// reads with its bad parts replaced.
template <class T>
std::optional<T> try_decode(const Json& value) {
  if constexpr (FieldRecord<T>) {
    if (!value.is_object() && !value.is_array()) return std::nullopt;
    return decode_record<T>(value);
  } else if constexpr (IsStringMap<T>::value) {
    if (!value.is_object()) return std::nullopt;
    T out;
    for (const auto& [key, item] : value.items()) {
      if (auto decoded = try_decode<typename T::mapped_type>(item)) out.insert_or_assign(key, std::move(*decoded));
    }
    return out;
  } else {
    auto decoded = decode_value<T>(value);
    if (!decoded) return std::nullopt;
    return std::move(*decoded);
  }
}

template <class T>
bool same(const T& a, const T& b) {
  return encode(a) == encode(b);
}

template <class T>
Json merge_value(const Json& existing, const T& loaded, const T& updated, const Json& encoded);

template <FieldRecord T>
Json merge_record(const Json& existing, const T& loaded, const T& updated, const Json& encoded) {
  const auto& fields = Codec<T>::kDescription.fields;
  Json out;
  if (existing.is_object()) {
    out = existing;
  } else if (existing.is_array()) {
    // The array form names its members by position; written back as the object form.
    out = Json::object();
    fields.each([&](auto index, const auto& f) {
      const std::size_t at = index;
      if (at < existing.size()) out[std::string(f.name)] = existing.at(at);
    });
  } else {
    return encoded;
  }
  fields.each([&](auto, const auto& f) {
    const std::string key(f.name);
    const auto written = encoded.find(key);
    const auto stored = out.find(key);
    if (written == encoded.end()) {
      // An optional member written only when set: now unset where the user cleared it.
      if (stored != out.end() && !same(loaded.*(f.member), updated.*(f.member))) out.erase(stored);
      return;
    }
    if (stored == out.end()) {
      out[key] = *written;
      return;
    }
    *stored = merge_value(*stored, loaded.*(f.member), updated.*(f.member), *written);
  });
  return out;
}

// Entries in ascending byte order of their keys, as a map is written. An entry the user removed goes;
// an entry that did not decode stays unless the user set that key.
template <class V>
Json merge_map(const Json& existing, const std::map<std::string, V>& loaded, const std::map<std::string, V>& updated,
               const Json& encoded) {
  if (!existing.is_object()) return encoded;
  std::set<std::string> keys;
  for (const auto& [key, _] : existing.items()) keys.insert(key);
  for (const auto& [key, _] : updated) keys.insert(key);
  Json out = Json::object();
  for (const auto& key : keys) {
    const auto now = updated.find(key);
    const auto before = loaded.find(key);
    const auto stored = existing.find(key);
    if (now == updated.end()) {
      if (before == loaded.end()) out[key] = *stored;
      continue;
    }
    if (before != loaded.end() && stored != existing.end()) {
      out[key] = merge_value(*stored, before->second, now->second, encoded.at(key));
    } else {
      out[key] = encoded.at(key);
    }
  }
  return out;
}

template <class T>
Json merge_value(const Json& existing, const T& loaded, const T& updated, const Json& encoded) {
  if (same(loaded, updated)) return existing;
  if constexpr (FieldRecord<T>) {
    return merge_record(existing, loaded, updated, encoded);
  } else if constexpr (IsStringMap<T>::value) {
    return merge_map(existing, loaded, updated, encoded);
  } else {
    return encoded;
  }
}

}  // namespace fieldwise_detail

template <FieldRecord T>
T decode_fields(const nlohmann::ordered_json& value) {
  return fieldwise_detail::decode_record<T>(value);
}

template <FieldRecord T>
nlohmann::ordered_json merge_fields(const nlohmann::ordered_json& existing, const T& loaded, const T& updated,
                                    const nlohmann::ordered_json& encoded) {
  return fieldwise_detail::merge_value(existing, loaded, updated, encoded);
}

}  // namespace orvo_json
