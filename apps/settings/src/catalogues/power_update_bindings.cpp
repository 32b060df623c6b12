#include "catalogues/power_update_bindings.h"

#include "accounts/account.h"
#include "actions/control_bindings.h"
#include "catalogues/action_builders.h"
#include "catalogues/section_catalogues.h"
#include "orvo_doc/document.h"

namespace settings::actions {
namespace {

// A section built for binding: an empty document, default preferences, no accounts, no live queries.
template <class Builder>
orvo_actions::Resource offline_section(Builder build) {
  const orvo_doc::Document document;
  const preferences::Preferences preferences;
  return build(SectionInputs{document, preferences, {}, offline_queries()});
}

}  // namespace

std::optional<orvo_actions::ActionBinding<bool>> power_toggle_binding(std::string_view action) {
  return bind_toggle(offline_section(power_resource), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> power_choice_binding(std::string_view action) {
  return choice_binding(offline_section(power_resource), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> update_schedule_binding() {
  return choice_binding(offline_section(updates_resource), "schedule");
}

}  // namespace settings::actions
