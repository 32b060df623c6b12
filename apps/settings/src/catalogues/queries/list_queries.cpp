#include "catalogues/queries/list_queries.h"

namespace settings::actions {

const ListQueries& system_list_queries() {
  static const ListQueries queries;
  return queries;
}

}  // namespace settings::actions
