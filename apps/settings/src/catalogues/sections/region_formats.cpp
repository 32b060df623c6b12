#include <array>
#include <string_view>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "preferences/preferences_file.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

struct RegionChoice {
  std::string_view id;
  std::string_view title;
  std::string_view key;
};

constexpr std::array<RegionChoice, 6> kRegionChoices{{
    {"currency", "Set currency", "region.currency"},
    {"date", "Set date format", "region.date_format"},
    {"time", "Set time format", "region.time_format"},
    {"measurement", "Set measurement units", "region.measurement"},
    {"number", "Set number format", "region.number_style"},
    {"first-day", "Set first day of week", "region.first_day"},
}};

}  // namespace

orvo_actions::Resource region_formats_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::RegionFormats);
  // The formats are kept in the "locale" section, read on its own; its label of each format is the
  // current value when the document holds none, as a write-through stored it.
  const preferences::Locale saved = preferences::load_locale_preferences();
  for (const auto& row : kRegionChoices) {
    const std::string stored = preferences::stored_locale_label(saved, row.key).value_or(std::string());
    resource.actions.push_back(setting_choice_spec(std::string(row.id), std::string(row.title), std::string(row.key),
                                                   std::string(row.title), preferences::setting_choice_labels(row.key),
                                                   current_text(inputs.document, row.key, stored)));
  }
  return resource;
}

}  // namespace settings::actions
