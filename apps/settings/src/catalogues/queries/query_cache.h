#pragma once
// The live queries as the interface thread asks them. The Bluetooth devices (a D-Bus round trip),
// the print queues and jobs (the printing service) and the local-model snapshot (the model manager,
// up to 10 s) are read by `refresh`, which runs on another thread (the door's thread of the request
// that needs them); the catalogues built on the interface thread read what the last refresh kept,
// and nothing there when none has run. Every other query passes through to the source: they read
// small local files, or a value the source keeps current itself (the sound graph, which the Sound
// page's controls resolve their streams against); a refresh still reads those once, so that the
// source's first, slow read does not happen on the interface thread.
#include <memory>
#include <optional>

#include "catalogues/section_inputs.h"
#include "sections/sections.h"

namespace settings::actions {

class QueryCache {
 public:
  explicit QueryCache(const CatalogueQueries& source);
  ~QueryCache();
  QueryCache(const QueryCache&) = delete;
  QueryCache& operator=(const QueryCache&) = delete;

  // Reads nothing slow; safe on any thread.
  const CatalogueQueries& queries() const;

  // Reads from the source the slow queries `section` uses (every one when none) and keeps them.
  // Waits for the source: never call it on the interface thread. Safe from several threads at once;
  // the value read last replaces the one before.
  void refresh(std::optional<settings_app::SettingsSection> section);

 private:
  struct Cached;
  std::unique_ptr<Cached> cached_;
};

// The process's cache over `system_queries()`; it lives until the process ends, so a door thread
// still refreshing at exit finds it.
QueryCache& system_query_cache();

}  // namespace settings::actions
