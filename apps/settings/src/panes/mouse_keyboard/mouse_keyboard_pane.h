#pragma once
// The Mouse & Keyboard pane: the active input source, key repeat and the compose key, spell
// checking, the list of input sources (reorder, remove, add), the pointer, buttons and
// acceleration.
//
// The pane carries out none of its input settings: each control sends the section's action, which
// the shell's device-local runner carries out, after which the page is built anew from the saved
// preferences. The pane itself keeps only the two spell-checker switches: it publishes them into
// the frame's settings document once, and saves a value the document comes to hold into the
// settings file's "text_assistance" section.
//
// Interface thread only.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_ui/published_cell.h"
#include "panes/pane_glue.h"
#include "preferences/records.h"
#include "panes/operation_status.h"
#include "settings_store/keyboard_layouts.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::mouse_keyboard {

inline constexpr std::string_view kMissingBinding =
    "internal error: entered unreachable code: Mouse & Keyboard action must be published";
inline constexpr std::string_view kMissingSourceBinding =
    "internal error: entered unreachable code: keyboard source action must be published";

// Sources beyond the compositor's four keyboard groups cannot be active at once.
inline constexpr std::size_t kMaxActiveSources = 4;

// The key-repeat slider's level and the text under it.
struct KeyRepeatDisplay {
  double level = 0;
  std::string description;
};
KeyRepeatDisplay key_repeat_display(const preferences::InputPrefs& input);

// Sets one flag ("check_spelling" or "auto_correct") of the settings file's "text_assistance"
// section; a failure is logged, never shown.
void save_text_assistance(std::string_view key, bool value);

class MouseKeyboardPane final : public PaneGlue {
 public:
  using Catalogue = std::vector<settings_store::hardware::KeyboardLayout>;
  using StatusCell = orvo_ui::PublishedCell<settings_app::OperationStatus>;

  MouseKeyboardPane(preferences::InputPrefs input, Catalogue catalogue, bool check_spelling, bool auto_correct);
  // The pane of the saved preferences, the saved text-assistance section and the process's layout
  // catalogue.
  static MouseKeyboardPane load();
  MouseKeyboardPane(MouseKeyboardPane&&) = default;

  [[nodiscard]] MouseKeyboardPane with_operation_status(StatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::mouse_keyboard::MouseKeyboardPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;

  // The catalogue's name of a source id (its first entry with that id), else the id itself.
  std::string source_label(std::string_view id) const;
  // The names of the ids, in their order.
  std::vector<std::string> input_source_labels(const std::vector<std::string>& ids) const;

  const preferences::InputPrefs& input() const { return input_; }
  bool check_spelling() const { return check_spelling_; }
  bool auto_correct() const { return auto_correct_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  std::unique_ptr<orvo_ui::Widget> keyboard_card() const;
  std::unique_ptr<orvo_ui::Widget> spell_checker_card() const;
  std::unique_ptr<orvo_ui::Widget> sources_card() const;
  std::unique_ptr<orvo_ui::Widget> pointer_card() const;
  std::unique_ptr<orvo_ui::Widget> buttons_card() const;
  // Takes a text-assistance value the document holds; answers whether it changed.
  bool take_text_assistance(const orvo_doc::Document& document, std::string_view key, std::string_view member,
                            bool& value);

  preferences::InputPrefs input_;
  Catalogue catalogue_;
  // Shown and saved at once: the document is where a change arrives, the file where it is kept.
  bool check_spelling_ = true;
  bool auto_correct_ = true;
  bool publish_pending_ = true;
  StatusCell status_;
};

// The pane table's line for the Mouse & Keyboard section.
std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::mouse_keyboard
