#include "catalogues/queries/list_queries.h"

#include <cstdlib>
#include <string>

#include "orvo_runtime/system_paths.h"

namespace settings::actions {
namespace {

class SystemListQueries final : public ListQueries {
 public:
  // The account files can change while the program runs (an account added or removed here), so
  // they are read on every request; they are small.
  std::vector<panes::users::LocalUser> local_users() const override { return panes::users::local_users(); }

  // Applications get installed and removed while the program runs: the scans are kept only until
  // one of the application or package directories changes.
  std::vector<desktop_entry::DesktopEntry> desktop_apps() const override { return desktop_entry::cached_scan(); }
  std::vector<launcher::registry::InstalledPackage> launcher_packages() const override {
    return launcher::registry::list_installed();
  }

  desktop_policy::defaults::PersonalDefaults personal_defaults() const override {
    return desktop_policy::defaults::PersonalDefaults::load();
  }

  std::vector<os_actions::printing::PrinterQueue> printer_queues() const override {
    auto queues = os_actions::printing::queues();
    return queues ? std::move(*queues) : std::vector<os_actions::printing::PrinterQueue>{};
  }

  std::vector<os_actions::printing::PrintJob> print_jobs() const override {
    auto jobs = os_actions::printing::jobs();
    return jobs ? std::move(*jobs) : std::vector<os_actions::printing::PrintJob>{};
  }
};

}  // namespace

const ListQueries& system_list_queries() {
  static const SystemListQueries queries;
  return queries;
}

}  // namespace settings::actions
