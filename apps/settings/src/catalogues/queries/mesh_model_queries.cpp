#include "catalogues/queries/mesh_model_queries.h"

namespace settings::actions {

const MeshModelQueries& system_mesh_model_queries() {
  static const MeshModelQueries queries;
  return queries;
}

}  // namespace settings::actions
