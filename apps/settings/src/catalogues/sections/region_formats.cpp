#include <array>
#include <string_view>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

struct RegionChoice {
  std::string_view id;
  std::string_view title;
  std::string_view key;
  std::string_view fallback;
};

// "ISO" is what a fresh system reports for the date format although the list spells it out; it is
// published as the current value all the same.
constexpr std::array<RegionChoice, 6> kRegionChoices{{
    {"currency", "Set currency", "region.currency", "USD"},
    {"date", "Set date format", "region.date_format", "ISO"},
    {"time", "Set time format", "region.time_format", "24-hour (14:05)"},
    {"measurement", "Set measurement units", "region.measurement", "Metric (°C, km, kg)"},
    {"number", "Set number format", "region.number_style", "1,234,567.89"},
    {"first-day", "Set first day of week", "region.first_day", "Monday"},
}};

}  // namespace

orvo_actions::Resource region_formats_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::RegionFormats);
  for (const auto& row : kRegionChoices) {
    resource.actions.push_back(setting_choice_spec(std::string(row.id), std::string(row.title), std::string(row.key),
                                                   std::string(row.title), preferences::setting_choice_labels(row.key),
                                                   current_text(inputs.document, row.key, row.fallback)));
  }
  return resource;
}

}  // namespace settings::actions
