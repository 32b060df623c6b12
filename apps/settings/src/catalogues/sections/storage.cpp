#include "catalogues/effect_actions.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

struct StorageCommand {
  std::string_view name;
  std::string_view title;
  StorageOperation operation;
  bool destructive;
};

}  // namespace

orvo_actions::Resource storage_resource(const SectionInputs& /*inputs*/) {
  using Op = StorageOperation;
  // The two clean-ups delete files; the two tools only open a program.
  const StorageCommand commands[] = {
      {"cleanup-caches", "Clean application caches", Op::CleanupCaches{}, true},
      {"free-synced-files", "Free downloaded synced files", Op::FreeSyncedFiles{}, true},
      {"open-disks", "Open Disks", Op::OpenDisks{}, false},
      {"open-backups", "Open Backups", Op::OpenBackups{}, false},
  };

  orvo_actions::Resource resource = section_shell(settings_app::SettingsSection::Storage);
  for (const auto& command : commands) {
    auto spec = fixed_operation_spec(std::string(command.name), std::string(command.title), command.operation);
    if (!spec) continue;
    auto action = with_operation_contract(std::move(*spec), {"device-local", "storage"});
    if (action && command.destructive) action = std::move(*action).destructive();
    append_action(resource, std::move(action));
  }
  return resource;
}

}  // namespace settings::actions
