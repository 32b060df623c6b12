#pragma once
// The About page: the device's name and operating system, the workspace identity with the short
// device id, the identity backup, and system and hardware facts. Read-only: the facts are gathered
// once per visit on a worker ("settings-about"), the page shows placeholders until they arrive.
#include <memory>

#include "orvo_ui/widget.h"
#include "panes/about/system_facts.h"
#include "panes/gathered_page.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::about {

inline constexpr std::string_view kAboutThread = "settings-about";
inline constexpr std::string_view kIdentityBackupButton = "about.identity-backup.button";

using AboutPage = GatheredPage<SystemFacts>;

// The page's view of the facts; placeholders for none.
std::unique_ptr<orvo_ui::Widget> about_view(const SystemFacts* facts);

// The page, gathering with `gather` (the machine's files and the user's identity by default).
std::unique_ptr<AboutPage> make_about_page(std::function<SystemFacts()> gather, StartWorker start_worker);

// The pane factory's builder.
std::unique_ptr<orvo_ui::Widget> build_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::about
