#pragma once
// Live queries of the catalogues. The base class answers as if nothing were attached; a query that
// fails on the running system answers the same, never an error.

namespace settings::actions {

class DeviceQueries {
 public:
  virtual ~DeviceQueries() = default;
};

// The queries against the running system; one instance per process.
const DeviceQueries& system_device_queries();

}  // namespace settings::actions
