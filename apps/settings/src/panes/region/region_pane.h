#pragma once
// The Region & formats pane: currency, date, time, measurement, number style and first day of the
// week, kept in the "locale" section of the preferences file (read by every application) and
// mirrored as the "region." settings of the application's settings document.
//
// Each format is one dropdown of fixed labels; labels and choices are the setting-key table's
// (preferences/setting_fields.h), which also writes a format set from outside straight through to
// the section while another page is shown. The first pass publishes the saved labels; every pass
// then reconciles each format with its dropdown as the other preference panes do
// (panes/setting_sync.h) and writes each format that changed through the same table, which writes
// only what differs from the file. A preview card shows the formats applied to sample values.
//
// Below kStackedWidth the rows put their label above the dropdown, so a narrow window keeps the
// dropdowns readable.
//
// Interface thread only.
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_ui/action_host.h"
#include "panes/pane_glue.h"
#include "panes/setting_sync.h"
#include "preferences/locale.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::region {

// A row narrower than this stacks its label above its dropdown.
inline constexpr float kStackedWidth = 356;

// One format: its setting (also the key its label is published under) and its dropdown's id.
struct RegionField {
  std::string_view key;
  std::string_view widget_id;
  std::string_view row_label;
};

// In publication and reconciliation order.
inline constexpr std::array<RegionField, 6> kRegionFields{{
    {"region.currency", "region.currency", "Currency"},
    {"region.date_format", "region.date", "Date format"},
    {"region.time_format", "region.time", "Time format"},
    {"region.measurement", "region.measurement", "Measurement"},
    {"region.number_style", "region.number_style", "Number format"},
    {"region.first_day", "region.first_day", "First day of week"},
}};

// A currency code in any ASCII letter case ("usd" is USD); none for anything else.
std::optional<preferences::Currency> parse_currency(std::string_view text);

// What the preview card shows for a locale.
struct RegionPreview {
  std::string amount;
  std::string date;
  std::string time;
  std::string temperature;
  std::string week_starts;
};
RegionPreview preview_of(const preferences::Locale& locale);

class RegionPane final : public PaneGlue {
 public:
  // Where the pane learns the width its rows have: the shell's, asked at every layout (none before
  // the shell's first layout, and then the pane's own laid-out width counts).
  using WidthSource = std::function<std::optional<float>()>;

  explicit RegionPane(preferences::Locale locale, std::optional<float> width = std::nullopt);
  RegionPane(preferences::Locale locale, WidthSource width);
  // The pane of the saved locale section.
  static std::unique_ptr<RegionPane> load(std::optional<float> width = std::nullopt);
  static std::unique_ptr<RegionPane> load(WidthSource width);
  RegionPane(RegionPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::region::RegionPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // The pane's source record while a change of the user's is pending, else none.
  std::optional<orvo_actions::ActionContext> commit_context();
  // A layout that moved the pane across kStackedWidth builds the rows again in the other form.
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override;

  const preferences::Locale& locale() const { return locale_; }
  // How many passes wrote their changed formats through.
  std::size_t saves() const { return saves_; }
  const orvo_ui::ActionHost& action_host() const { return host_; }
  // Whether the rows are laid out with the label above the dropdown.
  bool stacked() const;

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  // The label of a format's current choice.
  std::string label_of(std::size_t field) const;
  // Takes a label as the format's choice; answers whether the choice changed. A label that names
  // no choice changes nothing.
  bool choose(std::size_t field, std::string_view label);
  // Writes the current choices of `fields` through to the section.
  void save(const std::vector<std::size_t>& fields);

  preferences::Locale locale_;
  WidthSource width_;
  bool built_stacked_ = false;
  orvo_ui::ActionHost host_;
  bool publish_pending_ = true;
  SeenTexts seen_;
  std::size_t saves_ = 0;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::region
