#pragma once
// Children built from live objects (users, queues, jobs, applications, accounts) stop at this many
// per list, so a machine with thousands of them still gets a tree of bounded size.
#include <cstddef>

namespace settings::actions {

inline constexpr std::size_t kMaxLiveChildren = 256;

}  // namespace settings::actions
