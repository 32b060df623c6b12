#include "settings_store/keyboard_layouts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include <fmt/format.h>
#include <glib.h>
#include <pugixml.hpp>

#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"

namespace settings_store::hardware {
namespace {

// Far above any real rules file (evdev.xml is about 250 KB); a bigger file is not read at all.
constexpr std::uintmax_t kMaxRulesFileBytes = 16U << 20U;

bool is_symbol_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool is_symbol(std::string_view name) { return !name.empty() && std::ranges::all_of(name, is_symbol_char); }

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\n\r\f\v";
  const auto first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// The whole text in lower case by Unicode's full case mapping ("É" → "é", "ẞ" → "ß").
std::string unicode_lower(std::string_view text) {
  gchar* lower = g_utf8_strdown(text.data(), static_cast<gssize>(text.size()));
  std::string result(lower);
  g_free(lower);
  return result;
}

void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0U | (code >> 6U));
    out += static_cast<char>(0x80U | (code & 0x3FU));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0U | (code >> 12U));
    out += static_cast<char>(0x80U | ((code >> 6U) & 0x3FU));
    out += static_cast<char>(0x80U | (code & 0x3FU));
  } else {
    out += static_cast<char>(0xF0U | (code >> 18U));
    out += static_cast<char>(0x80U | ((code >> 12U) & 0x3FU));
    out += static_cast<char>(0x80U | ((code >> 6U) & 0x3FU));
    out += static_cast<char>(0x80U | (code & 0x3FU));
  }
}

std::optional<std::uint32_t> character_reference(std::string_view digits) {
  int base = 10;
  if (!digits.empty() && (digits.front() == 'x' || digits.front() == 'X')) {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t code = 0;
  for (const char c : digits) {
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    code = code * static_cast<std::uint32_t>(base) + digit;
  }
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  return code;
}

// XML 1.0 references of character data: character references and the five predefined entities are
// resolved, any other entity adds nothing; a "&" that starts no reference makes the text malformed.
bool append_unescaped(std::string& out, std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities{
      {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}}};
  while (!text.empty()) {
    const auto amp = text.find('&');
    out.append(text.substr(0, amp));
    if (amp == std::string_view::npos) return true;
    text.remove_prefix(amp + 1);
    const auto semicolon = text.find(';');
    if (semicolon == std::string_view::npos || semicolon == 0) return false;
    const std::string_view name = text.substr(0, semicolon);
    text.remove_prefix(semicolon + 1);
    if (name.front() == '#') {
      const auto code = character_reference(name.substr(1));
      if (!code) return false;
      append_utf8(out, *code);
      continue;
    }
    const auto* known = std::ranges::find(kEntities, name, &std::pair<std::string_view, char>::first);
    if (known != kEntities.end()) out += known->second;
  }
  return true;
}

struct Variant {
  std::string name;
  std::string description;  // empty when the variant has none
};

// Walks the element tree in document order as a stream of start, text and end events, picking the
// layouts and their variants out of the rules description.
class RulesReader {
 public:
  // False when a text node is malformed.
  bool read(const pugi::xml_node& root) {
    pugi::xml_node node = root.first_child();
    while (node) {
      if (node.type() == pugi::node_element) {
        start(node.name());
        if (node.first_child()) {
          node = node.first_child();
          continue;
        }
        end(node.name());
      } else if (node.type() == pugi::node_pcdata && in_layout_) {
        if (!append_unescaped(buffer_, node.value())) return false;
      }
      while (node && !node.next_sibling()) {
        node = node.parent();
        if (node == root) return true;
        end(node.name());
      }
      if (node) node = node.next_sibling();
    }
    return true;
  }

  std::vector<KeyboardLayout> take_entries() && { return std::move(entries_); }

 private:
  void start(std::string_view element) {
    if (element == "layout") {
      layout_name_.clear();
      layout_description_.clear();
      variants_.clear();
      in_layout_ = true;
    } else if (element == "variant" && in_layout_) {
      variant_ = Variant{};
      in_variant_ = true;
    }
    buffer_.clear();
  }

  void end(std::string_view element) {
    if (!in_layout_) return;
    if (element == "name" || element == "description") {
      std::string value(trimmed(buffer_));
      if (in_variant_) {
        (element == "name" ? variant_.name : variant_.description) = std::move(value);
      } else {
        (element == "name" ? layout_name_ : layout_description_) = std::move(value);
      }
    } else if (element == "variant" && in_variant_) {
      if (!variant_.name.empty()) variants_.push_back(std::move(variant_));
      in_variant_ = false;
    } else if (element == "layout") {
      push_entry(std::nullopt, layout_description_);
      for (const Variant& variant : variants_) {
        const std::string& detail = variant.description.empty() ? variant.name : variant.description;
        push_entry(variant.name, fmt::format("{} — {}", layout_description_, detail));
      }
      in_layout_ = false;
      in_variant_ = false;
    }
  }

  void push_entry(std::optional<std::string_view> variant, std::string_view description) {
    auto id = input_source_id(layout_name_, variant);
    if (!id) return;
    const std::string_view shown = trimmed(description);
    std::string name = shown.empty() ? *id : std::string(shown);
    entries_.push_back(KeyboardLayout{std::move(*id), std::move(name)});
  }

  std::vector<KeyboardLayout> entries_;
  std::string buffer_;
  std::string layout_name_;
  std::string layout_description_;
  std::vector<Variant> variants_;
  Variant variant_;
  bool in_layout_ = false;
  bool in_variant_ = false;
};

// Drops repeated ids, orders by lower-cased name and qualifies names that occur more than once.
std::vector<KeyboardLayout> catalogue_order(std::vector<KeyboardLayout> entries) {
  std::unordered_set<std::string> seen;
  std::erase_if(entries, [&seen](const KeyboardLayout& entry) { return !seen.insert(entry.id).second; });
  std::vector<KeyboardLayout> ordered = keyboard_layout_order(std::move(entries));
  std::unordered_map<std::string, std::size_t> name_counts;
  for (const auto& entry : ordered) ++name_counts[entry.name];
  for (auto& entry : ordered) {
    if (name_counts[entry.name] > 1) entry.name = fmt::format("{} · {}", entry.name, entry.id);
  }
  return ordered;
}

std::optional<std::string> read_small_file(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size > kMaxRulesFileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

}  // namespace

std::vector<KeyboardLayout> keyboard_layout_order(std::vector<KeyboardLayout> entries) {
  std::vector<std::pair<std::string, KeyboardLayout>> keyed;
  keyed.reserve(entries.size());
  for (auto& entry : entries) keyed.emplace_back(unicode_lower(entry.name), std::move(entry));
  std::ranges::stable_sort(keyed, {}, &std::pair<std::string, KeyboardLayout>::first);
  std::vector<KeyboardLayout> ordered;
  ordered.reserve(keyed.size());
  for (auto& [lower, entry] : keyed) ordered.push_back(std::move(entry));
  return ordered;
}

std::optional<std::string> input_source_id(std::string_view layout, std::optional<std::string_view> variant) {
  if (!is_symbol(layout)) return std::nullopt;
  if (!variant) return std::string(layout);
  if (!is_symbol(*variant)) return std::nullopt;
  return fmt::format("{}:{}", layout, *variant);
}

std::optional<std::vector<KeyboardLayout>> parse_rules_layouts(std::string_view xml) {
  if (!orvo_runtime::text::is_valid_utf8(xml)) return std::nullopt;
  pugi::xml_document document;
  // References are resolved by the reader, so that an unknown entity adds nothing instead of
  // staying in the text.
  const unsigned options = pugi::parse_default & ~pugi::parse_escapes;
  if (!document.load_buffer(xml.data(), xml.size(), options, pugi::encoding_utf8)) return std::nullopt;
  RulesReader reader;
  if (!reader.read(document)) return std::nullopt;
  return catalogue_order(std::move(reader).take_entries());
}

std::vector<KeyboardLayout> load_keyboard_layouts(std::span<const std::filesystem::path> rules_files) {
  for (const auto& path : rules_files) {
    const auto text = read_small_file(path);
    if (!text) continue;
    auto entries = parse_rules_layouts(*text);
    if (entries && !entries->empty()) return std::move(*entries);
  }
  return builtin_keyboard_layouts();
}

std::vector<KeyboardLayout> load_keyboard_layouts() {
  const std::array<std::filesystem::path, 2> files{system_paths::system_path("/usr/share/X11/xkb/rules/evdev.xml"),
                                                   system_paths::system_path("/usr/share/X11/xkb/rules/base.xml")};
  return load_keyboard_layouts(files);
}

std::vector<KeyboardLayout> builtin_keyboard_layouts() {
  return {{"us", "English (US)"},
          {"gb", "English (UK)"},
          {"us:colemak", "English (US) — Colemak"},
          {"us:dvorak", "English (US) — Dvorak"},
          {"de", "German"},
          {"fr", "French"},
          {"nl", "Dutch"},
          {"es", "Spanish"},
          {"it", "Italian"},
          {"pt", "Portuguese"},
          {"br", "Portuguese (Brazil)"},
          {"pl", "Polish"},
          {"ru", "Russian"},
          {"se", "Swedish"},
          {"no", "Norwegian"},
          {"dk", "Danish"}};
}

}  // namespace settings_store::hardware
