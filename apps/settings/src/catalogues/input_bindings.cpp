#include "catalogues/input_bindings.h"

#include "actions/control_bindings.h"
#include "catalogues/input_actions.h"
#include "catalogues/section_catalogues.h"
#include "orvo_doc/document.h"
#include "preferences/preferences_file.h"

namespace settings::actions {
namespace {

orvo_actions::Resource input_section(const InputQueries& input) {
  // Only the input family is read by this section; the others answer offline.
  const CatalogueQueries& offline = offline_queries();
  const CatalogueQueries queries{offline.devices, offline.media, input, offline.lists, offline.mesh};
  const orvo_doc::Document document;
  const preferences::Preferences saved = preferences::load_preferences();
  return input_resource(SectionInputs{document, saved, {}, queries});
}

}  // namespace

std::optional<orvo_actions::ActionBinding<bool>> input_toggle_binding(std::string_view action,
                                                                      const InputQueries& queries) {
  return toggle_binding(input_section(queries), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> input_choice_binding(std::string_view action,
                                                                             const InputQueries& queries) {
  const orvo_actions::Resource section = input_section(queries);
  const orvo_actions::ActionSpec* spec = section.find_action(action);
  if (spec == nullptr) return std::nullopt;
  std::string key = "value";
  for (const char* name : {"choice", "label"}) {
    if (spec->find_param(name) != nullptr) {
      key = name;
      break;
    }
  }
  return keyed_binding(section, action, std::move(key));
}

std::optional<orvo_actions::ActionBinding<double>> input_level_binding(std::string_view action,
                                                                       const InputQueries& queries) {
  return number_binding(input_section(queries), action);
}

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> keyboard_source_binding(std::string_view source_id,
                                                                                      std::string_view action,
                                                                                      const InputQueries& queries) {
  auto source = find_input_source_resource(std::move(input_section(queries).children), source_id);
  if (!source) return std::nullopt;
  return unit_binding(*source, action);
}

std::optional<orvo_actions::Resource> find_input_source_resource(std::vector<orvo_actions::Resource> children,
                                                                 std::string_view source_id) {
  std::string id(kInputSourcePrefix);
  id += source_id;
  for (auto& child : children) {
    if (child.id == id) return std::move(child);
  }
  return std::nullopt;
}

}  // namespace settings::actions
