#include "sidebar/sidebar_view.h"

#include <fmt/format.h>

#include "orvo_ui/text_case.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/text.h"
#include "widget_support/layout_helpers.h"

namespace settings::sidebar {

using orvo_ui::Column;
using settings_app::SettingsSection;
using settings_app::SIDEBAR_ORDER;

std::unique_ptr<orvo_ui::Widget> group_section(std::string_view title, WidgetList rows) {
  Column row_column = Column().with_gap(kRowGap);
  for (auto& row : rows) row_column.push(std::move(row));

  orvo_ui::Text heading = orvo_ui::Text(orvo_ui::to_uppercase(title))
                              .with_size(kHeadingSize)
                              .with_tone(orvo_ui::TextTone::Secondary)
                              .with_wrap(false);
  Column heading_holder = Column().with_padding(kHeadingIndent, 0);
  heading_holder.push(std::move(heading));

  Column group = Column().with_gap(kHeadingGap);
  group.push(std::move(heading_holder));
  group.push(std::move(row_column));
  return std::make_unique<Column>(std::move(group));
}

std::unique_ptr<orvo_ui::Widget> sidebar_view(SettingsSection selected, std::string_view query,
                                              const SidebarSelectionCell& selection) {
  Column outer = Column().with_gap(kSidebarGroupGap).with_padding(kSidebarPadding, kSidebarPadding).with_cross_gap(
      kSidebarCrossGap);
  const std::string_view trimmed = settings_app::trim_unicode_whitespace(query);
  if (trimmed.empty()) {
    for (settings_app::SidebarGroup group : settings_app::kSidebarGroups) {
      outer.push(group_section(settings_app::title(group), group_rows(SIDEBAR_ORDER, group, selected, selection)));
    }
  } else {
    WidgetList rows = search_rows(SIDEBAR_ORDER, trimmed, selected, selection);
    if (rows.empty()) {
      // One line under the RESULTS heading, at its indent; a long query ends in an ellipsis.
      auto caption = widget_support::caption_text(fmt::format("No settings match \u201c{}\u201d", trimmed));
      Column holder = Column().with_padding(kHeadingIndent, 0);
      holder.push(std::move(*caption).with_wrap(false));
      rows.push_back(std::make_unique<Column>(std::move(holder)));
    }
    outer.push(group_section(kResultsTitle, std::move(rows)));
  }
  auto scrollable = std::make_unique<orvo_ui::Scrollable>(std::make_unique<Column>(std::move(outer)));
  return std::make_unique<orvo_ui::Container>(
      orvo_ui::Container(std::move(scrollable)).with_fill(true).with_centered(true));
}

}  // namespace settings::sidebar
