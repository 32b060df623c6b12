#include "catalogues/queries/media_queries.h"

namespace settings::actions {

const MediaQueries& system_media_queries() {
  static const MediaQueries queries;
  return queries;
}

}  // namespace settings::actions
