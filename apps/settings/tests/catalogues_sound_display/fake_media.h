#pragma once
// A stand-in for the audio graph and display snapshot queries, and the small helpers the Sound and
// Displays catalogue tests share: building a section from it and reading what a resource declares.
#include <string>
#include <utility>
#include <vector>

#include "catalogues/queries/device_queries.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/section_inputs.h"
#include "orvo_actions/resource.h"
#include "orvo_doc/document.h"
#include "preferences/records.h"
#include "../support/resource_names.h"

namespace settings::actions::testing {

class FakeMedia final : public MediaQueries {
 public:
  media::audio::AudioGraph graph;
  settings_store::DisplayHardwareSnapshot snapshot;

  media::audio::AudioGraph audio_graph() const override { return graph; }
  settings_store::DisplayHardwareSnapshot display_snapshot() const override { return snapshot; }
};

// Section inputs whose media queries answer from a fake; every other family answers nothing.
class FakeInputs {
 public:
  FakeMedia media;

  SectionInputs inputs() const { return {document_, preferences_, {}, queries_}; }

 private:
  DeviceQueries devices_;
  InputQueries input_;
  ListQueries lists_;
  MeshModelQueries mesh_;
  CatalogueQueries queries_{devices_, media, input_, lists_, mesh_};
  orvo_doc::Document document_;
  preferences::Preferences preferences_;
};

inline media::audio::AudioNode node(std::uint32_t id, std::string description) {
  media::audio::AudioNode n;
  n.id = id;
  n.name = "node." + std::to_string(id);
  n.description = std::move(description);
  return n;
}

inline std::vector<media::audio::AudioNode> numbered_nodes(std::uint32_t count, std::uint32_t first_id,
                                                           const std::string& stem) {
  std::vector<media::audio::AudioNode> nodes;
  for (std::uint32_t i = 0; i < count; ++i) nodes.push_back(node(first_id + i, stem + " " + std::to_string(i + 1)));
  return nodes;
}

inline const orvo_actions::ActionSpec& action_of(const orvo_actions::Resource& resource, std::string_view name) {
  const auto* spec = resource.find_action(name);
  if (spec == nullptr) throw std::runtime_error("no action " + std::string(name) + " on " + resource.id);
  return *spec;
}

inline const orvo_actions::Resource& child_of(const orvo_actions::Resource& resource, std::string_view id) {
  for (const auto& child : resource.children) {
    if (child.id == id) return child;
  }
  throw std::runtime_error("no child " + std::string(id) + " of " + resource.id);
}

// The allowed values of the action's first parameter.
inline const std::vector<std::string>& choices_of(const orvo_actions::ActionSpec& spec) {
  return spec.params.at(0).allowed_values;
}

// The payload the action sends for the given argument object, or the build error's message.
inline std::string invoke(const orvo_actions::ActionSpec& spec, std::string_view args_json) {
  auto built = spec.build_json(args_json);
  if (!built) return "refused: " + built.error().message;
  return built->kind + " " + built->payload;
}

}  // namespace settings::actions::testing
