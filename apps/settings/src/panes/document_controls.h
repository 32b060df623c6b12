#pragma once
// Controls bound to keys of a pane's document. The toolkit's controls show and change a
// PublishedCell; here each bound key gets one cell, kept across view rebuilds, and the pane's pass
// moves values between the cells and the document:
//
//   - before the pane reads its document, every cell the user changed since the last pass is
//     written under its key (`pull_into`), so the pass sees the change;
//   - after the pane's pass, every key's value is shown in its cell (`push_from`), so a value the
//     pane wrote (a seeded value, a refused switch written back) shows in that same frame.
//
// A toggle writes a Boolean, a slider an F64, a dropdown the chosen Str, a shortcut recorder the chord Str, a text field edits a Text
// object (made with `ensure_text_object`), and a press button writes true under its press key,
// which the pass reads once and writes back to false (`take_press`).
//
// Interface thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_doc/document.h"
#include "orvo_ui/published_cell.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/shortcut_recorder.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/slider.h"
#include "orvo_ui/widgets/text_input.h"
#include "orvo_ui/widgets/toggle.h"

namespace settings::panes {

class DocumentControls {
 public:
  // Controls bound to `key`; the widget id is the key unless the caller sets another. Binding a key
  // again (a rebuilt view) shares the key's cell.
  orvo_ui::Toggle toggle(std::string_view key);
  orvo_ui::Slider slider(std::string_view key);
  orvo_ui::Dropdown dropdown(std::string_view key, std::vector<std::string> choices);
  orvo_ui::TextInput text_input(std::string_view key);
  // A recorder publishes its chord as a plain text, as a dropdown does.
  orvo_ui::ShortcutRecorder shortcut_recorder(std::string id, std::string_view key);
  orvo_ui::Button press_button(std::string id, std::string label, std::string_view press_key);

  // Moves the user's changes into the document (see above); a write the document refuses is
  // dropped and the cell shows the document's value again after the pass.
  void pull_into(orvo_doc::Document& document, orvo_doc::ObjId object);
  // Shows the document's values in the cells; a key that is absent or of another kind leaves its
  // cell as it is.
  void push_from(const orvo_doc::Document& document, orvo_doc::ObjId object);

  std::size_t size() const { return bindings_.size(); }

 private:
  enum class Kind : std::uint8_t { Toggle, Slider, Choice, Text, Press };
  struct Binding {
    std::string key;
    Kind kind = Kind::Toggle;
    orvo_ui::PublishedCell<bool> flag;
    orvo_ui::PublishedCell<double> number;
    orvo_ui::PublishedCell<std::string> text;
    // The cell version last moved either way; a different version is a change by the user.
    std::uint64_t seen = 0;
  };
  Binding& binding(std::string_view key, Kind kind);
  static std::uint64_t version_of(const Binding& binding);

  std::vector<Binding> bindings_;
};

// A one-shot request: true under `key` is read once and written back to false. Answers whether
// it was true.
bool take_press(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key);

// Writes a switch the platform refused back to the state the platform still has.
void write_back(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, bool platform_state);

}  // namespace settings::panes
