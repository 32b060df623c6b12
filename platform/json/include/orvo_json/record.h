#pragma once
// Records: a struct declares its fields once and gets both directions.
//
//   struct OutputMode { std::uint32_t width = 0; std::uint32_t height = 0; std::uint32_t refresh_mhz = 0; };
//   constexpr auto describe_json(orvo_json::Tag<OutputMode>) {
//     return orvo_json::record<OutputMode>("OutputMode",
//         orvo_json::field("width", &OutputMode::width), ...);
//   }
//
// Written as an object with the fields in declaration order. Read from an object (keys in any order,
// unknown keys dropped, "duplicate field `x`", "missing field `x`" for the first absent required field
// in declaration order) or from an array of the fields in declaration order ("invalid length N,
// expected struct OutputMode with 3 elements" when it ends early; an extra element is refused).
//
// `strict_record` (and `strict_struct_variant`, variant.h) refuses a key that names no field:
// "unknown field `x`, expected one of `a`, `b`".
//
// Presence of a field when its key or element is absent:
//   field(...)            required; a std::optional member is the exception: an absent key reads as
//                         none (in the array form every element must still be there)
//   defaulted_field(...)  keeps the value of the default-constructed record (`T{}`), in both forms
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "orvo_json/codec.h"

namespace orvo_json {

enum class Presence { Required, Optional, Defaulted };

// What an object key that names no field does: it is read and dropped, or it fails the record.
enum class UnknownKeys { Ignore, Refuse };

template <class T, class M>
struct Field {
  using Owner = T;
  using Member = M;
  std::string_view name;
  M T::*member;
  Presence presence;
  bool omit_when_none = false;  // an optional field that is left out of the output when it holds none
};

template <class T, class M>
constexpr Field<T, M> field(std::string_view name, M T::*member) {
  return {name, member, IsOptional<M>::value ? Presence::Optional : Presence::Required};
}

template <class T, class M>
constexpr Field<T, M> defaulted_field(std::string_view name, M T::*member) {
  return {name, member, Presence::Defaulted};
}

// An optional field that is written only when it holds a value (read as `field` reads it).
template <class T, class M>
  requires IsOptional<M>::value
constexpr Field<T, M> omitted_when_none_field(std::string_view name, M T::*member) {
  return {name, member, Presence::Optional, true};
}

// What a record is called in type and length errors: "struct OutputMode" or, for a variant's
// fields, "struct variant UpdateOperation::SetAutomatic".
struct Expecting {
  std::string_view kind;
  std::string_view owner;  // empty for a plain record
  std::string_view name;

  std::string text() const {
    std::string out(kind);
    out += ' ';
    if (!owner.empty()) {
      out += owner;
      out += "::";
    }
    out += name;
    return out;
  }
  std::string with_length(std::size_t count) const {
    return text() + (count == 1 ? " with 1 element" : " with " + std::to_string(count) + " elements");
  }
};

template <class T, class... Fs>
struct FieldList {
  static constexpr std::size_t kCount = sizeof...(Fs);
  std::tuple<Fs...> fields;
  UnknownKeys unknown = UnknownKeys::Ignore;

  template <class F>
  constexpr void each(F&& f) const {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (f(std::integral_constant<std::size_t, I>{}, std::get<I>(fields)), ...);
    }(std::make_index_sequence<kCount>{});
  }

  void encode_members(Writer& w, const T& value) const {
    each([&](auto, const auto& f) {
      using M = typename std::decay_t<decltype(f)>::Member;
      if constexpr (IsOptional<M>::value) {
        if (f.omit_when_none && !(value.*(f.member)).has_value()) return;
      }
      w.key(f.name);
      Codec<M>::encode(w, value.*(f.member));
    });
  }

  // Reads an object or an array into `out`, which holds the defaults.
  void decode_body(Reader& r, T& out, const Expecting& expecting) const {
    const int c = r.peek();
    if (c == '{') {
      decode_object(r, out);
    } else if (c == '[') {
      decode_array(r, out, expecting);
    } else {
      r.invalid_type(expecting.text());
    }
  }

  // Reads the members of an object whose '{' is next. Keys that name no field are read and dropped
  // (or refused, for a strict record); `ignored` (the tag of an internally tagged enumeration) is
  // always dropped.
  void decode_object(Reader& r, T& out, std::string_view ignored = {}) const {
    r.begin_object();
    std::array<bool, kCount> seen{};
    bool first = true;
    std::string scratch;
    std::string_view key;
    while (r.next_key(first, scratch, key)) {
      bool matched = false;
      if (ignored.empty() || key != ignored) {
        each([&](auto index, const auto& f) {
          if (matched || f.name != key) return;
          matched = true;
          using M = typename std::decay_t<decltype(f)>::Member;
          if (seen[index]) r.fail("duplicate field `" + std::string(f.name) + "`");
          seen[index] = true;
          out.*(f.member) = Codec<M>::decode(r);
        });
      }
      if (!matched) {
        if (unknown == UnknownKeys::Refuse && (ignored.empty() || key != ignored)) refuse_key(r, key);
        r.skip_value();
      }
    }
    each([&](auto index, const auto& f) {
      if (seen[index]) return;
      switch (f.presence) {
        case Presence::Required: r.fail("missing field `" + std::string(f.name) + "`");
        case Presence::Optional:
          if constexpr (IsOptional<typename std::decay_t<decltype(f)>::Member>::value) {
            (out.*(f.member)).reset();
          }
          return;
        case Presence::Defaulted: return;
      }
    });
  }

  [[noreturn]] void refuse_key(Reader& r, std::string_view key) const {
    std::array<std::string_view, kCount> names{};
    each([&](auto index, const auto& f) { names[index] = f.name; });
    r.fail(unknown_field(key, names.data(), kCount));
  }

  // Reads the fields as array elements; `read` counts elements consumed before (an internally tagged
  // enumeration's tag), `first` says whether none was.
  void decode_array(Reader& r, T& out, const Expecting& expecting) const {
    r.begin_array();
    decode_elements(r, out, expecting, 0, true);
  }

  void decode_elements(Reader& r, T& out, const Expecting& expecting, std::size_t read, bool first) const {
    const std::size_t before = read;
    bool ended = false;
    each([&](auto, const auto& f) {
      if (!ended && !r.next_element(first)) ended = true;
      if (ended) {
        if (f.presence != Presence::Defaulted) {
          r.invalid_length(read - before, expecting.with_length(kCount));
        }
        return;
      }
      using M = typename std::decay_t<decltype(f)>::Member;
      out.*(f.member) = Codec<M>::decode(r);
      ++read;
    });
    if (!ended) r.end_array(read);
  }
};

template <class T, class... Fs>
struct RecordDescription {
  std::string_view name;
  FieldList<T, Fs...> fields;

  void encode(Writer& w, const T& value) const {
    w.begin_object();
    fields.encode_members(w, value);
    w.end_object();
  }
  T decode(Reader& r) const {
    T out{};
    fields.decode_body(r, out, Expecting{"struct", {}, name});
    return out;
  }
};

template <class T, class... Ms>
constexpr RecordDescription<T, Field<T, Ms>...> record(std::string_view name, Field<T, Ms>... fields) {
  return {name, {std::tuple<Field<T, Ms>...>{fields...}}};
}

// A one-member record written as its member alone (a text with a type of its own, say).
template <class T, class M>
struct TransparentDescription {
  M T::*member;

  void encode(Writer& w, const T& value) const { Codec<M>::encode(w, value.*member); }
  T decode(Reader& r) const {
    T out{};
    out.*member = Codec<M>::decode(r);
    return out;
  }
};

template <class T, class M>
constexpr TransparentDescription<T, M> transparent(M T::*member) {
  return {member};
}

// A record whose object form refuses unknown keys.
template <class T, class... Ms>
constexpr RecordDescription<T, Field<T, Ms>...> strict_record(std::string_view name, Field<T, Ms>... fields) {
  return {name, {std::tuple<Field<T, Ms>...>{fields...}, UnknownKeys::Refuse}};
}

}  // namespace orvo_json
