#include "widget_support/layout_helpers.h"

#include <string>

#include "orvo_ui/widgets/icon_widget.h"
#include "widget_support/card_surface.h"

namespace settings::widget_support {

using orvo_ui::Column;
using orvo_ui::Container;
using orvo_ui::Row;
using orvo_ui::Spacer;
using orvo_ui::Text;
using orvo_ui::TextTone;

namespace {

// Page texts wrap when squeezed; a row value stays on one line.
Text text(std::string_view content, float size, TextTone tone, bool wrap) {
  return Text(std::string(content)).with_size(size).with_tone(tone).with_wrap(wrap);
}

Text row_label(std::string_view label) { return text(label, kRowTextSize, TextTone::Default, true); }

std::unique_ptr<Row> label_spacer_control(std::string_view label, WidgetBox control, std::optional<float> gap) {
  Row row;
  if (gap) row = std::move(row).with_gap(*gap);
  row.push(row_label(label));
  row.push(Spacer::flexible());
  row.push(std::move(control));
  return std::make_unique<Row>(std::move(row));
}

std::unique_ptr<Column> text_block(std::vector<WidgetBox> parts) {
  return std::make_unique<Column>(stack_column(std::move(parts), kTextBlockGap));
}

}  // namespace

std::unique_ptr<Row> setting_row(std::string_view label, WidgetBox control) {
  return label_spacer_control(label, std::move(control), std::nullopt);
}

std::unique_ptr<Row> setting_row_fixed(std::string_view label, WidgetBox control) {
  return label_spacer_control(label, fixed_width_slot(std::move(control)), kFixedRowGap);
}

std::unique_ptr<Row> value_row(std::string_view label, std::string_view value) {
  return setting_row(label, std::make_unique<Text>(text(value, kRowTextSize, TextTone::Default, false)));
}

std::unique_ptr<Column> stacked_setting_row(std::string_view label, WidgetBox control) {
  std::vector<WidgetBox> parts;
  parts.push_back(std::make_unique<Text>(row_label(label)));
  parts.push_back(std::move(control));
  return text_block(std::move(parts));
}

std::unique_ptr<Column> described_setting_row(std::string_view label, std::string_view help, WidgetBox control) {
  std::vector<WidgetBox> parts;
  parts.push_back(setting_row(label, std::move(control)));
  parts.push_back(std::make_unique<Text>(text(help, kHelpTextSize, TextTone::Secondary, true)));
  return text_block(std::move(parts));
}

std::unique_ptr<Column> described_setting_row_fixed(std::string_view label, std::string_view help,
                                                    WidgetBox control) {
  return described_setting_row(label, help, fixed_width_slot(std::move(control)));
}

std::unique_ptr<Text> caption_text(std::string_view content) {
  return std::make_unique<Text>(text(content, kCaptionSize, TextTone::Secondary, true));
}

std::unique_ptr<Column> page_header(std::string_view title, std::string_view subtitle) {
  std::vector<WidgetBox> parts;
  parts.push_back(std::make_unique<Text>(text(kPageEyebrow, kEyebrowSize, TextTone::Secondary, true)));
  parts.push_back(std::make_unique<Text>(text(title, kPageTitleSize, TextTone::Default, true)));
  parts.push_back(std::make_unique<Text>(text(subtitle, kPageSubtitleSize, TextTone::Secondary, true)));
  return text_block(std::move(parts));
}

std::unique_ptr<orvo_ui::Card> titled_card(std::string_view title, WidgetBox body) {
  return std::make_unique<orvo_ui::Card>(card_surface(title, std::move(body)));
}

std::unique_ptr<orvo_ui::Card> titled_card_with_accessory(std::string_view title, WidgetBox accessory,
                                                          WidgetBox body) {
  return std::make_unique<orvo_ui::Card>(card_surface_with_accessory(title, std::move(accessory), std::move(body)));
}

std::unique_ptr<orvo_ui::Card> hero_card(orvo_ui::Icon icon, std::string_view title, std::string_view subtitle) {
  std::vector<WidgetBox> lines;
  lines.push_back(std::make_unique<Text>(text(title, kHeroTitleSize, TextTone::Default, true)));
  lines.push_back(std::make_unique<Text>(text(subtitle, kHeroSubtitleSize, TextTone::Secondary, true)));
  Row row = Row().with_spacing(true);
  row.push(orvo_ui::IconWidget(icon).with_size(kHeroIconSize).with_stroke_width(kHeroIconStroke));
  row.push(Container(text_block(std::move(lines))).with_centered(true).with_grow(true));
  return std::make_unique<orvo_ui::Card>(std::make_unique<Row>(std::move(row)));
}

std::unique_ptr<orvo_ui::Badge> colored_badge(std::string_view content, orvo_ui::Color color) {
  return std::make_unique<orvo_ui::Badge>(orvo_ui::Badge::colored(content, color));
}

std::unique_ptr<orvo_ui::Badge> tone_badge(std::string_view content, std::uint8_t tone) {
  return std::make_unique<orvo_ui::Badge>(orvo_ui::Badge::toned(content, tone));
}

std::unique_ptr<Spacer> fixed_spacer(std::uint8_t step) { return std::make_unique<Spacer>(Spacer::fixed(step)); }

std::unique_ptr<Container> fixed_box(float width) {
  return std::make_unique<Container>(Container().with_width(width).with_centered(true).with_height(1.0f));
}

std::unique_ptr<Container> sized_container(WidgetBox widget, float width) {
  return std::make_unique<Container>(Container(std::move(widget)).with_width(width).with_centered(true));
}

std::unique_ptr<Container> fixed_width_slot(WidgetBox widget) {
  return sized_container(std::move(widget), kFixedSlotWidth);
}

Column stack_column(std::vector<WidgetBox> widgets, float gap) {
  Column column = Column().with_gap(gap);
  for (auto& widget : widgets) column.push(std::move(widget));
  return column;
}

std::unique_ptr<Column> section_stack(std::vector<WidgetBox> widgets) {
  return std::make_unique<Column>(stack_column(std::move(widgets), kSectionGap));
}

std::unique_ptr<Column> page_stack(std::vector<WidgetBox> widgets) {
  return std::make_unique<Column>(stack_column(std::move(widgets), kPageGap));
}

}  // namespace settings::widget_support
