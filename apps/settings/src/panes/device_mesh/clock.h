#pragma once
// The wall clock as the mesh and the per-application mutes store it.
#include <cstdint>

namespace settings::panes::device_mesh {

// Whole seconds since the Unix epoch; 0 before it.
std::int64_t now_unix_secs();

}  // namespace settings::panes::device_mesh
