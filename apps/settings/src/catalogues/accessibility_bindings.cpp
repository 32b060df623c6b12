#include "catalogues/accessibility_bindings.h"

#include "actions/control_bindings.h"
#include "catalogues/section_catalogues.h"
#include "orvo_doc/document.h"

namespace settings::actions {
namespace {

orvo_actions::Resource accessibility_section(const InputQueries& input) {
  // Only the input family is read by this section; the others answer offline.
  const CatalogueQueries& offline = offline_queries();
  const CatalogueQueries queries{offline.devices, offline.media, input, offline.lists, offline.mesh};
  const orvo_doc::Document document;
  const preferences::Preferences defaults;
  return accessibility_resource(SectionInputs{document, defaults, {}, queries});
}

}  // namespace

AccessibilityBindings::AccessibilityBindings(const InputQueries& queries) : section_(accessibility_section(queries)) {}

std::optional<orvo_actions::ActionBinding<bool>> AccessibilityBindings::toggle(std::string_view action) const {
  return toggle_binding(section_, action);
}

std::optional<orvo_actions::ActionBinding<std::string>> AccessibilityBindings::choice(std::string_view action) const {
  return choice_binding(section_, action);
}

std::optional<orvo_actions::ActionBinding<bool>> accessibility_toggle_binding(std::string_view action,
                                                                              const InputQueries& queries) {
  return AccessibilityBindings(queries).toggle(action);
}

std::optional<orvo_actions::ActionBinding<std::string>> accessibility_choice_binding(std::string_view action,
                                                                                     const InputQueries& queries) {
  return AccessibilityBindings(queries).choice(action);
}

}  // namespace settings::actions
