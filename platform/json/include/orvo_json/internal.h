#pragma once
// Internally tagged enumerations: one object whose tag key (for example "state") names the variant and
// whose other keys are that variant's fields:
//   {"state":"downloading","downloaded_bytes":10,"total_bytes":20}   {"state":"queued"}
// Read rules: the tag must be present ("missing field `state`"), a tag naming no variant gives the
// unknown-variant error, keys that are neither the tag nor a field are dropped (also for variants
// without fields). The array form is the tag followed by the variant's fields in order.
//
//   constexpr auto describe_json(orvo_json::Tag<LocalModelPhase>) {
//     return orvo_json::internally_tagged<LocalModelPhase>("LocalModelPhase", "state",
//         orvo_json::tagged_variant("downloading", orvo_json::field("downloaded_bytes", &Downloading::downloaded_bytes), ...),
//         orvo_json::tagged_variant<Queued>("queued"), ...);
//   }
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "orvo_json/record.h"
#include "orvo_json/variant.h"

namespace orvo_json {

template <class Alt, class... Fs>
struct TaggedVariant {
  using Type = Alt;
  std::string_view name;
  FieldList<Alt, Fs...> fields;
};

template <class Alt, class... Ms>
constexpr TaggedVariant<Alt, Field<Alt, Ms>...> tagged_variant(std::string_view name, Field<Alt, Ms>... fields) {
  return {name, {std::tuple<Field<Alt, Ms>...>{fields...}}};
}

template <class E, class... Vs>
struct InternallyTagged {
  static constexpr std::size_t kCount = sizeof...(Vs);
  static_assert(kCount == std::variant_size_v<VariantBase<E>>, "every alternative needs one variant description");

  std::string_view name;
  std::string_view tag;
  std::tuple<Vs...> variants;
  std::array<std::string_view, kCount> names;

  template <class F>
  void each(F&& f) const {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (f(std::integral_constant<std::size_t, I>{}, std::get<I>(variants)), ...);
    }(std::make_index_sequence<kCount>{});
  }

  void encode(Writer& w, const E& value) const {
    std::visit(
        [&](const auto& alt) {
          using Alt = std::decay_t<decltype(alt)>;
          each([&](auto, const auto& v) {
            if constexpr (std::is_same_v<typename std::decay_t<decltype(v)>::Type, Alt>) {
              w.begin_object();
              w.key(tag);
              w.string(v.name);
              v.fields.encode_members(w, alt);
              w.end_object();
            }
          });
        },
        as_variant(value));
  }

  E decode(Reader& r) const {
    const int c = r.peek();
    if (c == '{') return decode_object(r);
    if (c == '[') return decode_array(r);
    r.invalid_type(expecting());
  }

 private:
  std::string expecting() const { return "internally tagged enum " + std::string(name); }

  std::size_t find(Reader& r, std::string_view variant) const {
    for (std::size_t i = 0; i < kCount; ++i) {
      if (names[i] == variant) return i;
    }
    r.fail(unknown_variant(variant, names.data(), kCount));
  }

  std::string read_tag(Reader& r) const {
    if (r.peek() != '"') r.invalid_type("variant identifier");
    std::string scratch;
    return std::string(r.read_string(scratch));
  }

  // Looks ahead for the tag, then reads the object again as the chosen variant's fields.
  E decode_object(Reader& r) const {
    const Reader::Mark start = r.mark();
    r.begin_object();
    std::optional<std::string> variant;
    bool first = true;
    std::string scratch;
    std::string_view key;
    while (r.next_key(first, scratch, key)) {
      if (key != tag) {
        r.skip_value();
        continue;
      }
      if (variant) r.fail("duplicate field `" + std::string(tag) + "`");
      variant = read_tag(r);
    }
    if (!variant) r.fail("missing field `" + std::string(tag) + "`");
    const std::size_t index = find(r, *variant);
    const Reader::Mark end = r.mark();
    r.rewind(start);
    std::optional<E> out;
    each([&](auto i, const auto& v) {
      if (i != index) return;
      typename std::decay_t<decltype(v)>::Type alt{};
      v.fields.decode_object(r, alt, tag);
      out.emplace(std::in_place_type<decltype(alt)>, std::move(alt));
    });
    r.rewind(end);
    return std::move(*out);
  }

  E decode_array(Reader& r) const {
    r.begin_array();
    bool first = true;
    if (!r.next_element(first)) r.invalid_length(0, expecting());
    const std::size_t index = find(r, read_tag(r));
    std::optional<E> out;
    each([&](auto i, const auto& v) {
      if (i != index) return;
      typename std::decay_t<decltype(v)>::Type alt{};
      v.fields.decode_elements(r, alt, Expecting{"struct variant", name, v.name}, 1, false);
      out.emplace(std::in_place_type<decltype(alt)>, std::move(alt));
    });
    return std::move(*out);
  }
};

template <class E, class... Vs>
constexpr InternallyTagged<E, Vs...> internally_tagged(std::string_view name, std::string_view tag, Vs... variants) {
  return {name, tag, {variants...}, {variants.name...}};
}

}  // namespace orvo_json
