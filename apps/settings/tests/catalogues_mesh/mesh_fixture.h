#pragma once
// A section built against fake device-mesh and model queries, every other query answering nothing.
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

struct FakeMeshQueries final : MeshModelQueries {
  std::vector<MeshWorkspace> workspace_list;
  std::vector<ProviderEntry> profiles;
  std::optional<ModelSnapshot> snapshot;
  std::vector<MeshWorkspace> workspaces() const override { return workspace_list; }
  std::vector<ProviderEntry> provider_profiles() const override { return profiles; }
  std::optional<ModelSnapshot> model_snapshot() const override { return snapshot; }
};

template <class Builder>
orvo_actions::Resource build_with(const FakeMeshQueries& mesh, Builder build) {
  const CatalogueQueries& offline = offline_queries();
  const CatalogueQueries queries{offline.devices, offline.media, offline.input, offline.lists, mesh};
  orvo_doc::Document document;
  preferences::Preferences preferences;
  return build(SectionInputs{document, preferences, {}, queries});
}

// What invoking the action with these arguments sends: "<kind> <payload>".
inline std::string sent(const orvo_actions::ActionSpec& action, std::string_view args = "{}") {
  auto encoded = action.build_json(args);
  if (!encoded) return "refused: " + encoded.error().message;
  return encoded->kind + " " + encoded->payload;
}

}  // namespace settings::actions::testing
