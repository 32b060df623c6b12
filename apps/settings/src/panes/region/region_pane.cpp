#include "panes/region/region_pane.h"

#include <algorithm>
#include <fmt/format.h>
#include <vector>

#include "actions/settings_dispatch.h"
#include "orvo_log/log.h"
#include "preferences/preferences_file.h"
#include "preferences/setting_fields.h"
#include "settings_app/pane_factory.h"
#include "settings_app/settings_app.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::region {
namespace ws = settings::widget_support;
using preferences::Locale;

namespace {

// A format's choice as the index of its label (its enumeration's value), read and written.
std::size_t choice_of(const Locale& locale, std::size_t field) {
  switch (field) {
    case 0: return static_cast<std::size_t>(locale.currency);
    case 1: return static_cast<std::size_t>(locale.date_format);
    case 2: return static_cast<std::size_t>(locale.time_format);
    case 3: return static_cast<std::size_t>(locale.measurement);
    case 4: return static_cast<std::size_t>(locale.number_style);
    default: return static_cast<std::size_t>(locale.first_day_of_week);
  }
}

void set_choice(Locale& locale, std::size_t field, std::size_t choice) {
  switch (field) {
    case 0: locale.currency = static_cast<preferences::Currency>(choice); break;
    case 1: locale.date_format = static_cast<preferences::DateFormat>(choice); break;
    case 2: locale.time_format = static_cast<preferences::TimeFormat>(choice); break;
    case 3: locale.measurement = static_cast<preferences::Measurement>(choice); break;
    case 4: locale.number_style = static_cast<preferences::NumberStyle>(choice); break;
    default: locale.first_day_of_week = static_cast<preferences::FirstDayOfWeek>(choice); break;
  }
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

// The index of a label among a format's choices.
std::optional<std::size_t> index_of(std::size_t field, std::string_view label) {
  if (field == 0) {
    auto currency = parse_currency(label);
    if (!currency) return std::nullopt;
    return static_cast<std::size_t>(*currency);
  }
  const auto& labels = labels_of(field);
  auto found = std::find(labels.begin(), labels.end(), label);
  if (found == labels.end()) return std::nullopt;
  return static_cast<std::size_t>(found - labels.begin());
}

constexpr std::array<std::string_view, 9> kCurrencySymbols{"$", "€", "£", "¥", "CHF", "$", "$", "¥", "₹"};
constexpr std::array<std::string_view, 4> kDateSamples{"2023-03-15", "03/15/2023", "15/03/2023", "15 Mar 2023"};
constexpr std::array<std::string_view, 2> kTimeSamples{"14:05", "2:05 PM"};
constexpr std::array<std::string_view, 2> kTemperatureSamples{"21 °C", "70 °F"};

}  // namespace

std::optional<preferences::Currency> parse_currency(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const auto& codes = labels_of(0);
  auto found = std::find(codes.begin(), codes.end(), upper);
  if (found == codes.end()) return std::nullopt;
  return static_cast<preferences::Currency>(found - codes.begin());
}

RegionPreview preview_of(const Locale& locale) {
  const std::string number = labels_of(4)[choice_of(locale, 4)];
  return RegionPreview{
      .amount = fmt::format("{}{}", kCurrencySymbols[choice_of(locale, 0)], number),
      .date = std::string(kDateSamples[choice_of(locale, 1)]),
      .time = std::string(kTimeSamples[choice_of(locale, 2)]),
      .temperature = std::string(kTemperatureSamples[choice_of(locale, 3)]),
      .week_starts = labels_of(5)[choice_of(locale, 5)],
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

std::string RegionPane::label_of(std::size_t field) const { return labels_of(field)[choice_of(locale_, field)]; }

bool RegionPane::choose(std::size_t field, std::string_view label) {
  const std::optional<std::size_t> choice = index_of(field, label);
  if (!choice || *choice == choice_of(locale_, field)) return false;
  set_choice(locale_, field, *choice);
  return true;
}

void RegionPane::save() {
  ++saves_;
  if (auto saved = preferences::save_locale_preferences(locale_); !saved) {
    orvo_log::warn("failed to persist region settings", {{"error", saved.error()}});
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

  bool changed = false;
  bool chosen = false;
  for (std::size_t field = 0; field < kRegionFields.size(); ++field) {
    auto result = sync_text_setting(*document, object_, kRegionFields[field].key, label_of(field), seen_, emit);
    changed |= result.changed;
    if (result.changed) chosen |= choose(field, result.value);
  }
  if (!changed && !chosen) return;
  save();
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
  const settings_app::SettingsApp& app = inputs.app;
  return RegionPane::load(RegionPane::WidthSource([&app] { return settings_app::region_content_width(app); }));
}

}  // namespace settings::panes::region
