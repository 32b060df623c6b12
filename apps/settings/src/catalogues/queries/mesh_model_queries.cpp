#include "catalogues/queries/mesh_model_queries.h"

namespace settings::actions {

// No device-mesh relay and no model manager run on this system yet, so the workspace list and the
// model snapshot answer nothing; the provider profiles come from the provider configuration.
const MeshModelQueries& system_mesh_model_queries() {
  static const MeshModelQueries queries;
  return queries;
}

}  // namespace settings::actions
