#include "catalogues/queries/input_queries.h"

namespace settings::actions {

const InputQueries& system_input_queries() {
  static const InputQueries queries;
  return queries;
}

}  // namespace settings::actions
