#pragma once
// The shapes every settings page is built from: page headers, section and page stacks, titled and
// hero cards, setting rows (label on the left, control on the right), captions, badges and spacers.
// Their sizes and gaps give all pages one rhythm. Each helper makes new widgets, takes ownership of
// the widgets it is given and hands back a boxed result (`stack_column` gives its column by value).
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "orvo_ui/icon.h"
#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/card.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"

namespace settings::widget_support {

using WidgetBox = std::unique_ptr<orvo_ui::Widget>;

// Text sizes of the page roles, in points.
inline constexpr float kRowTextSize = 13;
inline constexpr float kHelpTextSize = 12;
inline constexpr float kCaptionSize = 12;
inline constexpr float kEyebrowSize = 12;
inline constexpr float kPageTitleSize = 24;
inline constexpr float kPageSubtitleSize = 13;
inline constexpr float kHeroTitleSize = 20;
inline constexpr float kHeroSubtitleSize = 12;
inline constexpr float kHeroIconSize = 34;
inline constexpr double kHeroIconStroke = 1.5;

// Gaps, in points.
inline constexpr float kTextBlockGap = 4;
inline constexpr float kSectionGap = 12;
inline constexpr float kPageGap = 24;
inline constexpr float kFixedRowGap = 4;
inline constexpr float kFixedSlotWidth = 220;

inline constexpr std::string_view kPageEyebrow = "SETTINGS";

// Label, flexible spacer, control at its own width.
[[nodiscard]] std::unique_ptr<orvo_ui::Row> setting_row(std::string_view label, WidgetBox control);
// Label, flexible spacer, the control in a slot exactly kFixedSlotWidth wide; gap 4.
[[nodiscard]] std::unique_ptr<orvo_ui::Row> setting_row_fixed(std::string_view label, WidgetBox control);
// A setting row whose control is the value as a single line of text.
[[nodiscard]] std::unique_ptr<orvo_ui::Row> value_row(std::string_view label, std::string_view value);
// The narrow form of setting_row_fixed: the label above the control.
[[nodiscard]] std::unique_ptr<orvo_ui::Column> stacked_setting_row(std::string_view label, WidgetBox control);
// A setting row with a help text under it.
[[nodiscard]] std::unique_ptr<orvo_ui::Column> described_setting_row(std::string_view label, std::string_view help,
                                                                     WidgetBox control);
[[nodiscard]] std::unique_ptr<orvo_ui::Column> described_setting_row_fixed(std::string_view label,
                                                                           std::string_view help, WidgetBox control);
[[nodiscard]] std::unique_ptr<orvo_ui::Text> caption_text(std::string_view text);
// The eyebrow "SETTINGS" over the page title and subtitle.
[[nodiscard]] std::unique_ptr<orvo_ui::Column> page_header(std::string_view title, std::string_view subtitle);
[[nodiscard]] std::unique_ptr<orvo_ui::Card> titled_card(std::string_view title, WidgetBox body);
[[nodiscard]] std::unique_ptr<orvo_ui::Card> titled_card_with_accessory(std::string_view title, WidgetBox accessory,
                                                                        WidgetBox body);
// An identity card: a large icon beside a title and subtitle.
[[nodiscard]] std::unique_ptr<orvo_ui::Card> hero_card(orvo_ui::Icon icon, std::string_view title,
                                                       std::string_view subtitle);
[[nodiscard]] std::unique_ptr<orvo_ui::Badge> colored_badge(std::string_view text, orvo_ui::Color color);
[[nodiscard]] std::unique_ptr<orvo_ui::Badge> tone_badge(std::string_view text, std::uint8_t tone);
[[nodiscard]] std::unique_ptr<orvo_ui::Spacer> fixed_spacer(std::uint8_t step);
// An empty box of the given width, e.g. between neighbouring buttons.
[[nodiscard]] std::unique_ptr<orvo_ui::Container> fixed_box(float width);
[[nodiscard]] std::unique_ptr<orvo_ui::Container> sized_container(WidgetBox widget, float width);
[[nodiscard]] std::unique_ptr<orvo_ui::Container> fixed_width_slot(WidgetBox widget);
// A column holding the widgets in list order; the list is consumed.
[[nodiscard]] orvo_ui::Column stack_column(std::vector<WidgetBox> widgets, float gap);
[[nodiscard]] std::unique_ptr<orvo_ui::Column> section_stack(std::vector<WidgetBox> widgets);
[[nodiscard]] std::unique_ptr<orvo_ui::Column> page_stack(std::vector<WidgetBox> widgets);

}  // namespace settings::widget_support
