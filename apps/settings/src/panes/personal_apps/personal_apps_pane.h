#pragma once
// The Apps & Files pane: for every kind of file or link that an installed application opens, which
// application opens it. The choices are the user's personal defaults (desktop_policy's
// PersonalDefaults, which also writes the desktop's mimeapps.list) and are mirrored as the
// "default_apps.<kind>" settings of the settings document, whose values are choice labels
// ("<name> — <id>").
//
// The first pass publishes the choices the store holds; every pass then reconciles each kind's
// setting (K), its dropdown's key (E = K + ".edit") and the store:
//   - K names the stored choice and E differs: the user picked E; it is emitted as K.
//   - otherwise K came from elsewhere (or nothing changed): E shows K, and a K not acted on yet
//     becomes the stored choice when it names an application that opens the kind.
// K may name its application by label or by bare id (the form other devices may write); the two
// are compared by the application they name, so they never take turns, and E always shows the
// label.
//
// Candidates and store are read once, when the pane opens. Interface thread only.
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop_policy/personal_defaults.h"
#include "orvo_actions/context.h"
#include "orvo_ui/action_host.h"
#include "panes/pane_glue.h"
#include "panes/setting_sync.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::personal_apps {

// The key of a setting's control: the key followed by ".edit".
std::string edit_control_id(std::string_view key);

class PersonalAppsPane final : public PaneGlue {
 public:
  // `paths`: where saves go; none for the user's own files.
  PersonalAppsPane(std::vector<desktop_policy::defaults::AppCandidate> candidates,
                   desktop_policy::defaults::PersonalDefaults personal_defaults,
                   std::optional<desktop_policy::defaults::DefaultsPaths> paths = std::nullopt);
  // The installed applications and the user's store.
  static std::unique_ptr<PersonalAppsPane> load();
  PersonalAppsPane(PersonalAppsPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::personal_apps::PersonalAppsPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // The pane's source record while a change of the user's is pending, else none.
  std::optional<orvo_actions::ActionContext> commit_context();

  const desktop_policy::defaults::PersonalDefaults& personal_defaults() const { return personal_defaults_; }
  const std::vector<std::string>& kinds() const { return kinds_; }
  // How many setting actions the pane emitted, and how many times a pass saved the store.
  std::size_t emitted() const { return emitted_; }
  std::size_t saves() const { return saves_; }
  const orvo_ui::ActionHost& action_host() const { return host_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  struct Kind {
    std::string kind;
    std::string setting_key;
    std::vector<desktop_policy::defaults::AppCandidate> choices;
  };

  void publish(const EmitSetting& emit);
  // Reconciles one kind; answers whether the store changed.
  bool sync_kind(orvo_doc::Document& document, const Kind& kind, const EmitSetting& emit);
  // The candidate of the kind's stored choice, if it is still offered.
  const desktop_policy::defaults::AppCandidate* personal_choice(const Kind& kind) const;
  void save();

  std::vector<desktop_policy::defaults::AppCandidate> candidates_;
  desktop_policy::defaults::PersonalDefaults personal_defaults_;
  std::optional<desktop_policy::defaults::DefaultsPaths> paths_;
  std::vector<std::string> kinds_;
  std::vector<Kind> by_kind_;
  std::map<std::string, std::string, std::less<>> published_;
  orvo_ui::ActionHost host_;
  bool initial_publication_pending_ = true;
  std::size_t emitted_ = 0;
  std::size_t saves_ = 0;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::personal_apps
