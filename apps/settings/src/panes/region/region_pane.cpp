#include "panes/region/region_pane.h"

#include <fmt/format.h>
#include <vector>

#include "actions/settings_dispatch.h"
#include "orvo_log/log.h"
#include "preferences/preferences_file.h"
#include "preferences/setting_fields.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::region {
namespace ws = settings::widget_support;
using preferences::Locale;

namespace {

const preferences::SettingField& row_of(std::size_t field) {
  return *preferences::find_setting_field(kRegionFields[field].key);
}

const std::vector<std::string>& labels_of(std::size_t field) {
  static const std::array<std::vector<std::string>, kRegionFields.size()> labels = [] {
    std::array<std::vector<std::string>, kRegionFields.size()> all;
    for (std::size_t i = 0; i < kRegionFields.size(); ++i) {
      all[i] = preferences::setting_choice_labels(kRegionFields[i].key);
    }
    return all;
  }();
  return labels[field];
}

// The preview's samples, by the value of their format's enumeration.
constexpr std::array<std::string_view, 9> kCurrencySymbols{"$", "€", "£", "¥", "CHF", "$", "$", "¥", "₹"};
constexpr std::array<std::string_view, 4> kDateSamples{"2023-03-15", "03/15/2023", "15/03/2023", "15 Mar 2023"};
constexpr std::array<std::string_view, 2> kTimeSamples{"14:05", "2:05 PM"};
constexpr std::array<std::string_view, 2> kTemperatureSamples{"21 °C", "70 °F"};

}  // namespace

std::optional<preferences::Currency> parse_currency(std::string_view text) {
  Locale locale;
  if (!row_of(0).write_locale(locale, std::string(text))) return std::nullopt;
  return locale.currency;
}

RegionPreview preview_of(const Locale& locale) {
  const auto index = [](auto choice) { return static_cast<std::size_t>(choice); };
  return RegionPreview{
      .amount = fmt::format("{}{}", kCurrencySymbols[index(locale.currency)], row_of(4).read_locale(locale)),
      .date = std::string(kDateSamples[index(locale.date_format)]),
      .time = std::string(kTimeSamples[index(locale.time_format)]),
      .temperature = std::string(kTemperatureSamples[index(locale.measurement)]),
      .week_starts = row_of(5).read_locale(locale),
  };
}

RegionPane::RegionPane(Locale locale, std::optional<float> width)
    : RegionPane(locale, WidthSource([width] { return width; })) {}

RegionPane::RegionPane(Locale locale, WidthSource width)
    : PaneGlue("RegionPane", DirtyRule::OwnFlagFirst), locale_(locale), width_(std::move(width)) {
  use_frame_document();
}

std::unique_ptr<RegionPane> RegionPane::load(std::optional<float> width) {
  return std::make_unique<RegionPane>(preferences::load_locale_preferences(), width);
}

std::unique_ptr<RegionPane> RegionPane::load(WidthSource width) {
  return std::make_unique<RegionPane>(preferences::load_locale_preferences(), std::move(width));
}

std::optional<orvo_ui::PaneDescriptor> RegionPane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{"region", "Region & formats", "Change region preferences"};
}

std::optional<orvo_actions::ActionContext> RegionPane::commit_context() {
  const bool pending = take_commit_pending() || (view() && view()->needs_commit());
  return actions::preference_pane_source(pending, "region", "Region & formats", "Change region preferences");
}

std::string RegionPane::label_of(std::size_t field) const { return row_of(field).read_locale(locale_); }

bool RegionPane::choose(std::size_t field, std::string_view label) {
  Locale chosen = locale_;
  if (!row_of(field).write_locale(chosen, std::string(label)) || chosen == locale_) return false;
  locale_ = chosen;
  return true;
}

void RegionPane::save(const std::vector<std::size_t>& fields) {
  ++saves_;
  for (std::size_t field : fields) {
    const std::string_view key = kRegionFields[field].key;
    if (auto saved = preferences::write_setting_through(key, label_of(field)); !saved) {
      orvo_log::warn("failed to persist region settings", {{"key", std::string(key)}, {"error", saved.error()}});
    }
  }
}

bool RegionPane::stacked() const {
  if (const std::optional<float> given = width_ ? width_() : std::nullopt) return *given < kStackedWidth;
  const double laid_out = get_rect().width();
  return laid_out > 0 && laid_out < kStackedWidth;
}

void RegionPane::apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) {
  PaneGlue::apply_layout(tree, node, x, y);
  if (stacked() != built_stacked_) mark_structure_dirty();
}

void RegionPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  // The window may have been resized since the rows were built.
  if (stacked() != built_stacked_) mark_structure_dirty();
  if (!document) return;
  const EmitSetting emit = setting_emitter(host_, *document);
  if (publish_pending_) {
    for (std::size_t field = 0; field < kRegionFields.size(); ++field) {
      write_text_setting(emit, kRegionFields[field].key, label_of(field));
    }
    publish_pending_ = false;
  }

  std::vector<std::size_t> changed;
  bool chosen = false;
  for (std::size_t field = 0; field < kRegionFields.size(); ++field) {
    auto result = sync_text_setting(*document, object_, kRegionFields[field].key, label_of(field), seen_, emit);
    if (!result.changed) continue;
    changed.push_back(field);
    chosen |= choose(field, result.value);
  }
  if (changed.empty()) return;
  save(changed);
  if (chosen) mark_structure_dirty();
}

std::unique_ptr<orvo_ui::Widget> RegionPane::build_view() {
  const bool narrow = stacked();
  built_stacked_ = narrow;
  std::vector<ws::WidgetBox> rows;
  for (std::size_t field = 0; field < kRegionFields.size(); ++field) {
    const RegionField& spec = kRegionFields[field];
    auto dropdown = std::make_unique<orvo_ui::Dropdown>(controls_.dropdown(edit_key(spec.key), labels_of(field))
                                                            .with_id(spec.widget_id)
                                                            .with_placeholder(label_of(field)));
    if (narrow) {
      rows.push_back(ws::stacked_setting_row(spec.row_label, std::move(dropdown)));
    } else {
      rows.push_back(ws::setting_row_fixed(spec.row_label, std::move(dropdown)));
    }
  }
  std::vector<ws::WidgetBox> cards;
  cards.push_back(ws::titled_card("Formats", ws::section_stack(std::move(rows))));

  const RegionPreview preview = preview_of(locale_);
  std::vector<ws::WidgetBox> samples;
  samples.push_back(ws::value_row("Amount", preview.amount));
  samples.push_back(ws::value_row("Date", preview.date));
  samples.push_back(ws::value_row("Time", preview.time));
  samples.push_back(ws::value_row("Temperature", preview.temperature));
  samples.push_back(ws::value_row("Calendar week starts", preview.week_starts));
  cards.push_back(ws::titled_card("Preview", ws::section_stack(std::move(samples))));

  cards.push_back(ws::titled_card(
      "Shared with your apps",
      ws::caption_text("Sheets uses these formats for cells; Weather uses the measurement setting for its units. "
                       "Changes here apply everywhere those apps read the shared locale.")));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs) {
  return RegionPane::load(RegionPane::WidthSource(inputs.content_width));
}

}  // namespace settings::panes::region
