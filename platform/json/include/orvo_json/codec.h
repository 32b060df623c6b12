#pragma once
// `Codec<T>`: how one C++ type is written to and read from JSON. The standard types are here;
// records and enumerations get theirs from a description (record.h, variant.h, internal.h) that the
// type's own namespace provides as
//
//   constexpr auto describe_json(orvo_json::Tag<MyType>) { return orvo_json::record<MyType>(...); }
//
// which is found by argument-dependent lookup. Decoding raises `DecodeFailure` through the reader;
// only the entry points in json.h turn it into an `Error` value.
#include <concepts>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "orvo_json/reader.h"
#include "orvo_json/writer.h"

namespace orvo_json {

template <class T>
struct Tag {};

template <class T>
struct Codec;

template <class T>
concept Described = requires { describe_json(Tag<T>{}); };

// Whether the layer can write T (a described type or one of the standard types below).
template <class T>
concept Encodable = requires { sizeof(Codec<T>); };

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <>
struct Codec<bool> {
  static void encode(Writer& w, bool v) { w.boolean(v); }
  static bool decode(Reader& r) {
    const int c = r.peek();
    if (c == 't' || c == 'f') return r.read_bool();
    r.invalid_type("a boolean");
  }
};

template <class T>
constexpr std::string_view integer_name() {
  constexpr bool s = std::is_signed_v<T>;
  switch (sizeof(T)) {
    case 1: return s ? "i8" : "u8";
    case 2: return s ? "i16" : "u16";
    case 4: return s ? "i32" : "u32";
    default: return s ? "i64" : "u64";
  }
}

template <class T>
  requires(std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char>)
struct Codec<T> {
  static void encode(Writer& w, T v) {
    if constexpr (std::is_signed_v<T>) {
      w.signed_integer(v);
    } else {
      w.unsigned_integer(v);
    }
  }
  static T decode(Reader& r) {
    const int c = r.peek();
    if (c != '-' && (c < '0' || c > '9')) r.invalid_type(integer_name<T>());
    const Number n = r.read_number();
    switch (n.kind) {
      case Number::Kind::Unsigned:
        if (n.u > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) {
          r.invalid_value(n, integer_name<T>());
        }
        return static_cast<T>(n.u);
      case Number::Kind::Signed:
        if constexpr (std::is_unsigned_v<T>) {
          r.invalid_value(n, integer_name<T>());
        } else {
          if (n.i < std::numeric_limits<T>::min()) r.invalid_value(n, integer_name<T>());
          return static_cast<T>(n.i);
        }
      case Number::Kind::Float: break;
    }
    r.fail("invalid type: " + describe_number(n) + ", expected " + std::string(integer_name<T>()));
  }
};

template <std::floating_point T>
struct Codec<T> {
  static void encode(Writer& w, T v) {
    if constexpr (sizeof(T) == sizeof(float)) {
      w.float32(v);
    } else {
      w.float64(static_cast<double>(v));
    }
  }
  static T decode(Reader& r) {
    const int c = r.peek();
    if (c != '-' && (c < '0' || c > '9')) r.invalid_type(sizeof(T) == sizeof(float) ? "f32" : "f64");
    const Number n = r.read_number();
    switch (n.kind) {
      case Number::Kind::Unsigned: return static_cast<T>(n.u);
      case Number::Kind::Signed: return static_cast<T>(n.i);
      case Number::Kind::Float: break;
    }
    if constexpr (sizeof(T) == sizeof(float)) {
      // Narrowing a double outside float's range is undefined in C++; like the usual JSON readers,
      // such a number reads as an infinity of its sign.
      if (n.f > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
      if (n.f < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    }
    return static_cast<T>(n.f);
  }
};

template <>
struct Codec<std::string> {
  static void encode(Writer& w, const std::string& v) { w.string(v); }
  static std::string decode(Reader& r) {
    if (r.peek() != '"') r.invalid_type("a string");
    std::string scratch;
    return std::string(r.read_string(scratch));
  }
};

// None is written as null; null reads as none. A missing key reads as none too (record.h).
template <class T>
struct Codec<std::optional<T>> {
  static void encode(Writer& w, const std::optional<T>& v) {
    if (v) {
      Codec<T>::encode(w, *v);
    } else {
      w.null();
    }
  }
  static std::optional<T> decode(Reader& r) {
    if (r.peek() == 'n') {
      r.read_null();
      return std::nullopt;
    }
    return Codec<T>::decode(r);
  }
};

template <class T>
struct Codec<std::vector<T>> {
  static void encode(Writer& w, const std::vector<T>& v) {
    w.begin_array();
    for (const auto& item : v) Codec<T>::encode(w, item);
    w.end_array();
  }
  static std::vector<T> decode(Reader& r) {
    if (r.peek() != '[') r.invalid_type("a sequence");
    r.begin_array();
    std::vector<T> out;
    bool first = true;
    while (r.next_element(first)) out.push_back(Codec<T>::decode(r));
    return out;
  }
};

// A map is written with its keys in ascending order; a repeated key keeps its last value.
template <class T>
struct Codec<std::map<std::string, T>> {
  static void encode(Writer& w, const std::map<std::string, T>& v) {
    w.begin_object();
    for (const auto& [key, item] : v) {
      w.key(key);
      Codec<T>::encode(w, item);
    }
    w.end_object();
  }
  static std::map<std::string, T> decode(Reader& r) {
    if (r.peek() != '{') r.invalid_type("a map");
    r.begin_object();
    std::map<std::string, T> out;
    bool first = true;
    std::string scratch;
    std::string_view key;
    while (r.next_key(first, scratch, key)) {
      std::string owned(key);
      out.insert_or_assign(std::move(owned), Codec<T>::decode(r));
    }
    return out;
  }
};

template <Described T>
struct Codec<T> {
  static constexpr auto kDescription = describe_json(Tag<T>{});
  static void encode(Writer& w, const T& v) { kDescription.encode(w, v); }
  static T decode(Reader& r) { return kDescription.decode(r); }
};

}  // namespace orvo_json
