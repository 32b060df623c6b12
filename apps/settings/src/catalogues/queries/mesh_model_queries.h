#pragma once
// Live queries of the catalogues. The base class answers as if nothing were attached; a query that
// fails on the running system answers the same, never an error.

namespace settings::actions {

class MeshModelQueries {
 public:
  virtual ~MeshModelQueries() = default;
};

// The queries against the running system; one instance per process.
const MeshModelQueries& system_mesh_model_queries();

}  // namespace settings::actions
