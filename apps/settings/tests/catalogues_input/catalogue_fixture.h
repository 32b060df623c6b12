#pragma once
// What the input and accessibility catalogue tests share: input queries that answer what a test
// sets, the inputs of a section build, and reads of the actions it published.
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogues/queries/input_queries.h"
#include "catalogues/section_inputs.h"
#include "orvo_actions/action_args.h"
#include "orvo_actions/resource.h"
#include "orvo_doc/document.h"
#include "preferences/records.h"
#include "../support/resource_names.h"

namespace settings::testing {

using settings_store::hardware::KeyboardLayout;

class FakeInputQueries final : public actions::InputQueries {
 public:
  std::vector<KeyboardLayout> layouts;
  bool osk = false;
  std::optional<std::string> engine;

  std::span<const KeyboardLayout> keyboard_layouts() const override { return layouts; }
  bool on_screen_keyboard_installed() const override { return osk; }
  std::optional<std::string> screen_reader_engine() const override { return engine; }
};

// Every family answers offline but the input one.
inline actions::CatalogueQueries queries_with(const actions::InputQueries& input) {
  const actions::CatalogueQueries& offline = actions::offline_queries();
  return actions::CatalogueQueries{offline.devices, offline.media, input, offline.lists, offline.mesh};
}

using actions::testing::action_names;

// The action of that name; fails the test when the resource has none.
inline const orvo_actions::ActionSpec& action(const orvo_actions::Resource& resource, std::string_view name) {
  const auto* spec = resource.find_action(name);
  if (spec == nullptr) throw std::runtime_error("no action " + std::string(name));
  return *spec;
}

// Runs the action's encoder on the argument object, as the action system does once the arguments
// passed the spec's check; "{}" shows what an invocation without arguments sends.
inline orvo_actions::EncodedAction invoke(const orvo_actions::ActionSpec& spec, std::string_view arguments) {
  return (*spec.encoder)(*orvo_actions::ActionArgs::parse(arguments));
}

}  // namespace settings::testing
