#pragma once
// The pane factory: the page of one section, built afresh from the root's state. One table lists,
// per section, how its pane is built and which of the root's cells it is given; the page wraps the
// pane under the section's page header in a scroll area.
#include <memory>
#include <optional>

#include "orvo_ui/widget.h"
#include "panes/pane_inputs.h"
#include "sections/sections.h"

namespace settings::settings_app {

class SettingsApp;

// Page geometry, in points.
inline constexpr float kPageColumnGap = 16;
inline constexpr float kPageColumnCrossGap = 24;
inline constexpr float kPagePadding = 24;
inline constexpr float kAccountsPageMaxWidth = 1040;
inline constexpr float kRegionPageMaxWidth = 720;
// What the region pane's rows lose to the page's padding and the card's insets.
inline constexpr double kRegionWidthReserve = 72;

// What the root hands the builder of `section`'s pane.
PaneInputs pane_inputs(const SettingsApp& app, SettingsSection section);

// The widget the section's line of the table builds (the page's second child).
std::unique_ptr<orvo_ui::Widget> build_pane_widget(const SettingsApp& app, SettingsSection section);

// The whole page of the root's selected section: outer container, scroll area, for some sections a
// width-limited column holder, then the page column with the header and the pane.
std::unique_ptr<orvo_ui::Widget> build_section_pane(const SettingsApp& app);

// The width the region pane lays its rows out in: the shell's content width as last laid out less
// the page's reserve, never negative; none before the content area was laid out.
std::optional<float> region_content_width(const SettingsApp& app);

}  // namespace settings::settings_app
