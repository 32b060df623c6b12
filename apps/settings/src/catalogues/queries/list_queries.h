#pragma once
// Live queries of the catalogues. The base class answers as if nothing were attached; a query that
// fails on the running system answers the same, never an error.
#include <vector>

#include "catalogues/queries/local_users.h"
#include "desktop_entry/desktop_entry.h"
#include "desktop_policy/personal_defaults.h"
#include "launcher/registry.h"
#include "os_actions/printing.h"

namespace settings::actions {

class ListQueries {
 public:
  virtual ~ListQueries() = default;

  // The regular login accounts of the machine, in the order of the account file.
  virtual std::vector<panes::users::LocalUser> local_users() const { return {}; }
  // The installed applications' desktop entries, sorted by id, hidden ones left out.
  virtual std::vector<desktop_entry::DesktopEntry> desktop_apps() const { return {}; }
  // The installed launcher packages, sorted by package id.
  virtual std::vector<launcher::registry::InstalledPackage> launcher_packages() const { return {}; }
  // The user's own default applications.
  virtual desktop_policy::defaults::PersonalDefaults personal_defaults() const { return {}; }
  // The print queues and the print jobs of the printing service, in its order.
  virtual std::vector<os_actions::printing::PrinterQueue> printer_queues() const { return {}; }
  virtual std::vector<os_actions::printing::PrintJob> print_jobs() const { return {}; }
};

// The queries against the running system; one instance per process.
const ListQueries& system_list_queries();

}  // namespace settings::actions
