#pragma once
// The Keyboard Shortcuts pane: a chord recorder for each desktop shortcut and the vim-style
// navigation switch. Chords are kept in the shortcut configuration, the switch in the desktop
// controls configuration (settings_store/shortcut_config.h), and every accepted change is also
// announced as a `SetSetting` so other listeners of the settings actions see it.
//
// The pane works on the frame's document. Each shortcut has its id key (the chord in its canonical
// form, empty when none), the recorder's edit key (`edit_key`) and an error flag ("<id>.error").
// A pass:
//   - a new text under the edit key is the user's recording: it is parsed, bound and saved, then
//     announced; a refusal puts the recorder back and raises the error flag;
//   - a new text under the id key came through the action system: it is bound and saved without an
//     announcement; a refusal is undone by announcing the chord shown (when there was one). A text
//     once refused is not tried again until it changes.
// After any accepted change both keys hold the canonical chord, so the next pass finds nothing.
//
// Interface thread only.
#include <cstddef>
#include <cstdint>
#include <expected>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "orvo_ui/action_host.h"
#include "panes/pane_glue.h"
#include "settings_store/shortcut_config.h"

namespace settings::settings_app {
struct PaneInputs;
}
namespace settings::actions {
struct SettingsAction;
}

namespace settings::panes::keyboard_shortcuts {

inline constexpr std::string_view kVimModeKey = "shortcuts.vim_mode";

// The display text of each bound action's chord.
std::unordered_map<std::uint8_t, std::string> shortcut_chord_texts(
    const std::map<std::uint8_t, settings_store::hardware::KeyChord>& bindings);

// "<id>.error", raised while the shortcut's last change was refused.
std::string error_key(std::string_view id);

class ShortcutPane final : public PaneGlue {
 public:
  ShortcutPane(settings_store::hardware::ShortcutConfig shortcuts,
               settings_store::hardware::DesktopControlsConfig controls);
  // The pane of the saved configurations.
  static std::unique_ptr<ShortcutPane> load();
  ShortcutPane(ShortcutPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::keyboard_shortcuts::ShortcutPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;

  const settings_store::hardware::ShortcutConfig& shortcuts() const { return shortcuts_; }
  bool vim_mode() const { return published_vim_; }
  // How many times a pass wrote either configuration file (successful or not).
  std::size_t saves() const { return saves_; }
  const orvo_ui::ActionHost& action_host() const { return host_; }
  // How many announcements went out.
  std::size_t dispatches() const { return dispatches_; }
  // Why the user's last recording for a shortcut id was refused; none once one is accepted.
  std::optional<std::string> refusal(std::string_view id) const;

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  void publish(orvo_doc::Document& document);
  void sync_vim_mode(orvo_doc::Document& document);
  void sync_shortcut(orvo_doc::Document& document, std::string_view id, std::uint8_t action);
  // Parses, binds and saves a chord; the canonical text, or why not.
  std::expected<std::string, std::string> apply(std::uint8_t action, std::string_view text);
  void dispatch(orvo_doc::Document& document, const actions::SettingsAction& action);
  void put_text(orvo_doc::Document& document, std::string_view key, std::string_view text);
  void put_flag(orvo_doc::Document& document, std::string_view key, bool value);
  std::string shown(std::uint8_t action) const;
  // The sentence under a recorder whose chord was refused: the shortcut that holds it, when one does.
  std::string refusal_sentence(std::uint8_t action, std::string_view text, std::string_view error) const;
  void set_refusal(std::string_view id, std::optional<std::string> sentence);

  settings_store::hardware::ShortcutConfig shortcuts_;
  settings_store::hardware::DesktopControlsConfig controls_config_;
  bool published_vim_ = false;
  std::map<std::uint8_t, std::string> shown_;
  // Per shortcut id, the text through the action system last refused.
  std::map<std::string, std::string, std::less<>> refused_;
  // Per shortcut id, why the user's recording was refused.
  std::map<std::string, std::string, std::less<>> refusals_;
  bool publish_pending_ = true;
  orvo_ui::ActionHost host_;
  std::size_t saves_ = 0;
  std::size_t dispatches_ = 0;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::keyboard_shortcuts
