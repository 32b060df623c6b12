#include <charconv>
#include <string>

#include "orvo_ui/launch.h"

namespace orvo_ui::launch {
namespace {

std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size()) break;
    std::size_t end = pos;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    words.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

template <typename T>
std::optional<T> parse_number(std::string_view text) {
  T value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<NamedKey> named_key(std::string_view name) {
  struct Entry {
    std::string_view name;
    NamedKey key;
  };
  static constexpr Entry kKeys[] = {
      {"enter", NamedKey::Enter},     {"return", NamedKey::Enter}, {"space", NamedKey::Space},
      {"tab", NamedKey::Tab},         {"escape", NamedKey::Escape}, {"esc", NamedKey::Escape},
      {"backspace", NamedKey::Backspace}, {"delete", NamedKey::Delete}, {"left", NamedKey::Left},
      {"right", NamedKey::Right},     {"up", NamedKey::Up},         {"down", NamedKey::Down},
      {"home", NamedKey::Home},       {"end", NamedKey::End},       {"pageup", NamedKey::PageUp},
      {"pagedown", NamedKey::PageDown},
  };
  for (const auto& e : kKeys) {
    if (e.name == name) return e.key;
  }
  return std::nullopt;
}

// "ctrl+shift+a", "tab", "enter": modifiers, then one named key or one character.
std::optional<event::Key> parse_key(std::string_view spec) {
  event::Key key;
  while (true) {
    auto plus = spec.find('+');
    if (plus == std::string_view::npos || plus + 1 == spec.size()) break;
    std::string_view modifier = spec.substr(0, plus);
    if (modifier == "ctrl") {
      key.modifiers.ctrl = true;
    } else if (modifier == "shift") {
      key.modifiers.shift = true;
    } else if (modifier == "alt") {
      key.modifiers.alt = true;
    } else if (modifier == "super") {
      key.modifiers.super = true;
    } else {
      return std::nullopt;
    }
    spec = spec.substr(plus + 1);
  }
  if (auto named = named_key(spec)) {
    key.key = *named;
    return key;
  }
  // One UTF-8 character.
  if (spec.empty()) return std::nullopt;
  auto lead = static_cast<unsigned char>(spec[0]);
  std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (spec.size() != length) return std::nullopt;
  key.text = std::string(spec);
  return key;
}

std::optional<Point> parse_point(std::string_view x, std::string_view y) {
  auto px = parse_number<double>(x);
  auto py = parse_number<double>(y);
  if (!px || !py) return std::nullopt;
  return Point{*px, *py};
}

// Parses one non-empty, non-comment line; appends its steps.
bool parse_line(std::string_view line, std::vector<ScriptStep>& steps) {
  auto words = split_words(line);
  std::string_view command = words[0];
  if (command == "text") {
    auto start = line.find("text") + 4;
    if (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    if (start >= line.size()) return false;
    steps.emplace_back(step::Deliver{event::TextInput{std::string(line.substr(start))}});
    return true;
  }
  if ((command == "move" || command == "press" || command == "release" || command == "click") && words.size() == 3) {
    auto p = parse_point(words[1], words[2]);
    if (!p) return false;
    if (command == "move") {
      steps.emplace_back(step::Deliver{event::PointerMoved{*p}});
      return true;
    }
    steps.emplace_back(step::Deliver{event::PointerMoved{*p}});
    if (command != "release") steps.emplace_back(step::Deliver{event::PointerButton{MouseButton::Primary, true, *p}});
    if (command != "press") steps.emplace_back(step::Deliver{event::PointerButton{MouseButton::Primary, false, *p}});
    return true;
  }
  if (command == "scroll" && words.size() == 4) {
    auto p = parse_point(words[1], words[2]);
    auto dy = parse_number<double>(words[3]);
    if (!p || !dy) return false;
    steps.emplace_back(step::Deliver{event::Wheel{*p, 0, *dy}});
    return true;
  }
  if (command == "key" && words.size() == 2) {
    auto key = parse_key(words[1]);
    if (!key) return false;
    event::Key release = *key;
    release.pressed = false;
    steps.emplace_back(step::Deliver{std::move(*key)});
    steps.emplace_back(step::Deliver{std::move(release)});
    return true;
  }
  if (command == "resize" && words.size() == 3) {
    auto w = parse_number<std::uint32_t>(words[1]);
    auto h = parse_number<std::uint32_t>(words[2]);
    if (!w || !h || *w == 0 || *h == 0 || *w > 16384 || *h > 16384) return false;
    steps.emplace_back(step::Resize{*w, *h});
    return true;
  }
  if (command == "frames" && words.size() == 2) {
    auto n = parse_number<std::uint32_t>(words[1]);
    if (!n || *n > 100000) return false;
    steps.emplace_back(step::Frames{*n});
    return true;
  }
  return false;
}

}  // namespace

std::expected<std::vector<ScriptStep>, std::string> parse_script(std::string_view text) {
  std::vector<ScriptStep> steps;
  std::size_t number = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    auto nl = text.find('\n', pos);
    std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto words = split_words(line);
    if (!words.empty() && !words[0].starts_with('#') && !parse_line(line, steps)) {
      return std::unexpected("malformed script line " + std::to_string(number) + ": " + std::string(line));
    }
    if (nl == std::string_view::npos) break;
    pos = nl + 1;
  }
  return steps;
}

}  // namespace orvo_ui::launch
