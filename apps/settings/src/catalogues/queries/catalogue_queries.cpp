#include "catalogues/queries/device_queries.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/section_inputs.h"

namespace settings::actions {

const CatalogueQueries& offline_queries() {
  static const DeviceQueries devices;
  static const MediaQueries media;
  static const InputQueries input;
  static const ListQueries lists;
  static const MeshModelQueries mesh;
  static const CatalogueQueries queries{devices, media, input, lists, mesh};
  return queries;
}

const CatalogueQueries& system_queries() {
  static const CatalogueQueries queries{system_device_queries(), system_media_queries(), system_input_queries(),
                                        system_list_queries(), system_mesh_model_queries()};
  return queries;
}

}  // namespace settings::actions
