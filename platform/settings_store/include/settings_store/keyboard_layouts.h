#pragma once
// The catalogue of keyboard input sources a user can add: one entry per XKB layout and per layout
// variant of the system's rules description, with a built-in list when no rules file gives any.
//
// An entry's id is the input-source id the input preferences keep ("us", "us:dvorak"); its name is
// what the user sees. Names are unique within a catalogue: two entries that would share one are
// told apart by their ids ("English (Macintosh) · us:mac").
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings_store::hardware {

struct KeyboardLayout {
  std::string id;
  std::string name;

  friend bool operator==(const KeyboardLayout&, const KeyboardLayout&) = default;
};

// The input-source id of a layout and an optional variant: "us" or "us:dvorak". Names are XKB
// symbols: ASCII letters, digits, "_" and "-", never empty; anything else gives none.
std::optional<std::string> input_source_id(std::string_view layout, std::optional<std::string_view> variant = {});

// The entries sorted stably by their names in lower case (Unicode's full case mapping of the whole
// name, compared byte by byte): names equal in lower case keep their order.
std::vector<KeyboardLayout> keyboard_layout_order(std::vector<KeyboardLayout> entries);

// The entries of one rules document (the text of evdev.xml or base.xml), in catalogue order:
// without repeated ids (the first stays), in `keyboard_layout_order`, repeated names qualified by
// their ids. None when the text is not well-formed XML or not UTF-8: a broken file gives nothing,
// not even the entries before the fault.
std::optional<std::vector<KeyboardLayout>> parse_rules_layouts(std::string_view xml);

// The catalogue of the first file that reads to its end and yields an entry; the built-in list when
// none does. Missing and unreadable files are passed over. Never empty.
std::vector<KeyboardLayout> load_keyboard_layouts(std::span<const std::filesystem::path> rules_files);

// The same over the system's rules: /usr/share/X11/xkb/rules/evdev.xml, then base.xml.
std::vector<KeyboardLayout> load_keyboard_layouts();

// The sixteen sources offered when the system has no usable rules file.
std::vector<KeyboardLayout> builtin_keyboard_layouts();

}  // namespace settings_store::hardware
