#pragma once
// Externally tagged enumerations, the form every payload and enumeration uses unless stated:
//   unit variant     "Check"                        (also read from {"Check":null})
//   struct variant   {"SetAutomatic":{"enabled":true}}  (fields also read as an array)
//   newtype variant  {"Text":"Dark"}
//
// The enumeration is a std::variant of one type per variant (or a type derived from one, to give it a
// name of its own); its description lists the variants in declaration order:
//
//   constexpr auto describe_json(orvo_json::Tag<UpdateOperation>) {
//     return orvo_json::externally_tagged<UpdateOperation>("UpdateOperation",
//         orvo_json::unit_variant<update::Check>("Check"),
//         orvo_json::struct_variant("SetAutomatic", orvo_json::field("enabled", &update::SetAutomatic::enabled)),
//         ...);
//   }
//
// A C++ `enum class` whose values are all unit variants uses `unit_enum` instead.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

#include "orvo_json/codec.h"
#include "orvo_json/record.h"

namespace orvo_json {

template <class... A>
const std::variant<A...>& as_variant(const std::variant<A...>& v) {
  return v;
}

template <class E>
using VariantBase = std::remove_cvref_t<decltype(as_variant(std::declval<const E&>()))>;

template <class Alt>
struct UnitVariant {
  using Type = Alt;
  std::string_view name;
};

template <class Alt, class... Fs>
struct StructVariant {
  using Type = Alt;
  std::string_view name;
  FieldList<Alt, Fs...> fields;
};

template <class Alt>
struct NewtypeVariant {
  using Type = Alt;
  std::string_view name;
};

template <class Alt>
constexpr UnitVariant<Alt> unit_variant(std::string_view name) {
  return {name};
}

template <class Alt, class... Ms>
constexpr StructVariant<Alt, Field<Alt, Ms>...> struct_variant(std::string_view name, Field<Alt, Ms>... fields) {
  return {name, {std::tuple<Field<Alt, Ms>...>{fields...}}};
}

// A struct variant whose object form refuses keys that name no field.
template <class Alt, class... Ms>
constexpr StructVariant<Alt, Field<Alt, Ms>...> strict_struct_variant(std::string_view name,
                                                                     Field<Alt, Ms>... fields) {
  return {name, {std::tuple<Field<Alt, Ms>...>{fields...}, UnknownKeys::Refuse}};
}

template <class Alt>
constexpr NewtypeVariant<Alt> newtype_variant(std::string_view name) {
  return {name};
}

template <class E, class... Vs>
struct ExternallyTagged {
  static constexpr std::size_t kCount = sizeof...(Vs);
  static_assert(kCount == std::variant_size_v<VariantBase<E>>, "every alternative needs one variant description");

  std::string_view name;
  std::tuple<Vs...> variants;
  std::array<std::string_view, kCount> names;

  template <class F>
  void each(F&& f) const {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (f(std::integral_constant<std::size_t, I>{}, std::get<I>(variants)), ...);
    }(std::make_index_sequence<kCount>{});
  }

  // The variant index by name, or raises the unknown-variant error.
  std::size_t find(Reader& r, std::string_view variant) const {
    for (std::size_t i = 0; i < kCount; ++i) {
      if (names[i] == variant) return i;
    }
    r.fail(unknown_variant(variant, names.data(), kCount));
  }

  void encode(Writer& w, const E& value) const {
    std::visit(
        [&](const auto& alt) {
          using Alt = std::decay_t<decltype(alt)>;
          each([&](auto, const auto& v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<typename V::Type, Alt>) encode_variant(w, v, alt);
          });
        },
        as_variant(value));
  }

  E decode(Reader& r) const {
    std::string scratch;
    const int c = r.peek();
    if (c == '"') {
      const std::size_t index = find(r, r.read_string(scratch));
      std::optional<E> out;
      each([&](auto i, const auto& v) {
        if (i != index) return;
        using V = std::decay_t<decltype(v)>;
        using Alt = typename V::Type;
        if constexpr (is_unit<V>()) {
          out.emplace(std::in_place_type<Alt>);
        } else if constexpr (is_newtype<V>()) {
          r.fail("invalid type: unit variant, expected newtype variant");
        } else {
          r.fail("invalid type: unit variant, expected struct variant");
        }
      });
      return std::move(*out);
    }
    if (c == '{') {
      r.begin_object();
      bool first = true;
      std::string_view key;
      if (!r.next_key(first, scratch, key)) r.fail("expected value");
      const std::size_t index = find(r, key);
      std::optional<E> out;
      each([&](auto i, const auto& v) {
        if (i == index) decode_content(r, v, out);
      });
      const int close = r.peek();
      if (close == -1) r.fail_here("EOF while parsing an object");
      if (close != '}') r.fail("expected value");
      bool more = false;
      r.next_key(more, scratch, key);  // consumes the '}'
      return std::move(*out);
    }
    if (c == -1) r.fail_here("EOF while parsing a value");
    r.fail_here("expected value");
  }

 private:
  template <class V>
  static constexpr bool is_unit() {
    return std::is_same_v<V, UnitVariant<typename V::Type>>;
  }
  template <class V>
  static constexpr bool is_newtype() {
    return std::is_same_v<V, NewtypeVariant<typename V::Type>>;
  }

  template <class V, class Alt>
  static void encode_variant(Writer& w, const V& v, const Alt& alt) {
    if constexpr (is_unit<V>()) {
      w.string(v.name);
    } else {
      w.begin_object();
      w.key(v.name);
      if constexpr (is_newtype<V>()) {
        Codec<Alt>::encode(w, alt);
      } else {
        w.begin_object();
        v.fields.encode_members(w, alt);
        w.end_object();
      }
      w.end_object();
    }
  }

  template <class V>
  void decode_content(Reader& r, const V& v, std::optional<E>& out) const {
    using Alt = typename V::Type;
    if constexpr (is_unit<V>()) {
      if (r.peek() != 'n') r.invalid_type("unit");
      r.read_null();
      out.emplace(std::in_place_type<Alt>);
    } else if constexpr (is_newtype<V>()) {
      out.emplace(std::in_place_type<Alt>, Codec<Alt>::decode(r));
    } else {
      Alt alt{};
      v.fields.decode_body(r, alt, Expecting{"struct variant", name, v.name});
      out.emplace(std::in_place_type<Alt>, std::move(alt));
    }
  }
};

template <class E, class... Vs>
constexpr ExternallyTagged<E, Vs...> externally_tagged(std::string_view name, Vs... variants) {
  return {name, {variants...}, {variants.name...}};
}

// A C++ enum class of unit variants with the names given here, in declaration order.
template <class E, std::size_t N>
struct UnitEnum {
  std::string_view name;
  std::array<std::pair<std::string_view, E>, N> values;

  constexpr std::string_view name_of(E value) const {
    for (const auto& [text, v] : values) {
      if (v == value) return text;
    }
    return {};
  }
  constexpr std::optional<E> from_name(std::string_view text) const {
    for (const auto& [t, v] : values) {
      if (t == text) return v;
    }
    return std::nullopt;
  }

  void encode(Writer& w, E value) const { w.string(name_of(value)); }

  E decode(Reader& r) const {
    std::string scratch;
    const int c = r.peek();
    if (c == '"') return find(r, r.read_string(scratch));
    if (c == '{') {
      r.begin_object();
      bool first = true;
      std::string_view key;
      if (!r.next_key(first, scratch, key)) r.fail("expected value");
      const E value = find(r, key);
      if (r.peek() != 'n') r.invalid_type("unit");
      r.read_null();
      const int close = r.peek();
      if (close == -1) r.fail_here("EOF while parsing an object");
      if (close != '}') r.fail("expected value");
      bool more = false;
      r.next_key(more, scratch, key);
      return value;
    }
    if (c == -1) r.fail_here("EOF while parsing a value");
    r.fail_here("expected value");
  }

 private:
  E find(Reader& r, std::string_view text) const {
    if (auto v = from_name(text)) return *v;
    std::array<std::string_view, N> names;
    for (std::size_t i = 0; i < N; ++i) names[i] = values[i].first;
    r.fail(unknown_variant(text, names.data(), N));
  }
};

template <class E, std::size_t N>
constexpr UnitEnum<E, N> unit_enum(std::string_view name, const std::pair<std::string_view, E> (&values)[N]) {
  UnitEnum<E, N> out{name, {}};
  for (std::size_t i = 0; i < N; ++i) out.values[i] = values[i];
  return out;
}

}  // namespace orvo_json
