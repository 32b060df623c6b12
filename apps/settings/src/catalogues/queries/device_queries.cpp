#include "catalogues/queries/device_queries.h"

namespace settings::actions {

const DeviceQueries& system_device_queries() {
  static const DeviceQueries queries;
  return queries;
}

}  // namespace settings::actions
