#include "panes/document_controls.h"

#include <algorithm>
#include <utility>

#include "lib/settings_document.h"
#include "orvo_log/log.h"

namespace settings::panes {
namespace {

using orvo_doc::Document;
using orvo_doc::ObjId;

// Code point boundaries of a UTF-8 text, by lead bytes.
std::size_t code_points(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Replaces the Text object's content with `wanted` by one splice of the part that differs.
void splice_to(Document& document, ObjId text, std::string_view current, std::string_view wanted) {
  std::size_t prefix = 0;
  while (prefix < current.size() && prefix < wanted.size() && current[prefix] == wanted[prefix]) ++prefix;
  while (prefix > 0 && (static_cast<unsigned char>(current[prefix]) & 0xC0) == 0x80) --prefix;
  std::size_t suffix = 0;
  while (suffix < current.size() - prefix && suffix < wanted.size() - prefix &&
         current[current.size() - 1 - suffix] == wanted[wanted.size() - 1 - suffix]) {
    ++suffix;
  }
  while (suffix > 0 && (static_cast<unsigned char>(current[current.size() - suffix]) & 0xC0) == 0x80) --suffix;
  const std::string_view removed = current.substr(prefix, current.size() - prefix - suffix);
  const std::string_view inserted = wanted.substr(prefix, wanted.size() - prefix - suffix);
  auto spliced = document.splice_text(text, code_points(current.substr(0, prefix)), code_points(removed), inserted);
  if (!spliced) orvo_log::warn("pane text field edit refused", {{"error", spliced.error().message}});
}

void put_scalar(Document& document, ObjId object, const std::string& key, orvo_doc::ScalarValue value) {
  auto written = lib::put_if_changed(document, object, key, std::move(value));
  if (!written) orvo_log::warn("pane control write refused", {{"key", key}, {"error", written.error().message}});
}

}  // namespace

DocumentControls::Binding& DocumentControls::binding(std::string_view key, Kind kind) {
  for (Binding& existing : bindings_) {
    if (existing.key == key && existing.kind == kind) return existing;
  }
  Binding& added = bindings_.emplace_back();
  added.key = std::string(key);
  added.kind = kind;
  added.seen = version_of(added);
  return added;
}

std::uint64_t DocumentControls::version_of(const Binding& binding) {
  switch (binding.kind) {
    case Kind::Toggle:
    case Kind::Press: return binding.flag.version();
    case Kind::Slider: return binding.number.version();
    case Kind::Choice:
    case Kind::Text: return binding.text.version();
  }
  return 0;
}

orvo_ui::Toggle DocumentControls::toggle(std::string_view key) {
  return orvo_ui::Toggle::from_state(binding(key, Kind::Toggle).flag).with_id(key);
}

orvo_ui::Slider DocumentControls::slider(std::string_view key) {
  return orvo_ui::Slider::from_state(binding(key, Kind::Slider).number).with_id(key);
}

orvo_ui::Dropdown DocumentControls::dropdown(std::string_view key, std::vector<std::string> choices) {
  return orvo_ui::Dropdown::from_state(binding(key, Kind::Choice).text, std::move(choices)).with_id(key);
}

orvo_ui::TextInput DocumentControls::text_input(std::string_view key) {
  return orvo_ui::TextInput::from_state(binding(key, Kind::Text).text).with_id(key);
}

orvo_ui::ShortcutRecorder DocumentControls::shortcut_recorder(std::string id, std::string_view key) {
  return orvo_ui::ShortcutRecorder::from_state(std::move(id), binding(key, Kind::Choice).text);
}

orvo_ui::Button DocumentControls::press_button(std::string id, std::string label, std::string_view press_key) {
  orvo_ui::PublishedCell<bool> pressed = binding(press_key, Kind::Press).flag;
  return orvo_ui::Button(std::move(id), std::move(label)).on_press([pressed] { (void)pressed.publish(true); });
}

void DocumentControls::pull_into(Document& document, ObjId object) {
  for (Binding& b : bindings_) {
    const std::uint64_t version = version_of(b);
    if (version == b.seen) continue;
    b.seen = version;
    switch (b.kind) {
      case Kind::Toggle: put_scalar(document, object, b.key, orvo_doc::ScalarValue::boolean(b.flag.snapshot())); break;
      case Kind::Press:
        if (b.flag.snapshot()) put_scalar(document, object, b.key, orvo_doc::ScalarValue::boolean(true));
        break;
      case Kind::Slider: put_scalar(document, object, b.key, orvo_doc::ScalarValue::f64(b.number.snapshot())); break;
      case Kind::Choice: put_scalar(document, object, b.key, orvo_doc::ScalarValue::str(b.text.snapshot())); break;
      case Kind::Text: {
        auto text = lib::ensure_text_object(document, object, b.key);
        if (!text) break;
        auto current = document.text(*text);
        if (current) splice_to(document, *text, *current, b.text.snapshot());
        break;
      }
    }
  }
}

void DocumentControls::push_from(const Document& document, ObjId object) {
  for (Binding& b : bindings_) {
    std::optional<std::uint64_t> published;
    switch (b.kind) {
      case Kind::Toggle:
      case Kind::Press: {
        auto value = lib::read_bool(document, object, b.key);
        if (value && *value != b.flag.snapshot()) published = b.flag.publish(*value);
        break;
      }
      case Kind::Slider: {
        auto value = lib::read_f64(document, object, b.key);
        if (value && *value != b.number.snapshot()) published = b.number.publish(*value);
        break;
      }
      case Kind::Choice: {
        auto value = lib::read_string(document, object, b.key);
        if (value && *value != b.text.snapshot()) published = b.text.publish(std::move(*value));
        break;
      }
      case Kind::Text: {
        auto value = lib::read_text(document, object, b.key);
        if (value && *value != b.text.snapshot()) published = b.text.publish(std::move(*value));
        break;
      }
    }
    if (published) b.seen = *published;
  }
}

bool take_press(Document& document, ObjId object, std::string_view key) {
  if (lib::read_bool(document, object, key) != true) return false;
  put_scalar(document, object, std::string(key), orvo_doc::ScalarValue::boolean(false));
  return true;
}

void write_back(Document& document, ObjId object, std::string_view key, bool platform_state) {
  put_scalar(document, object, std::string(key), orvo_doc::ScalarValue::boolean(platform_state));
}

}  // namespace settings::panes
