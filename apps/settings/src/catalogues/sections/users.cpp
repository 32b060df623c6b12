#include <optional>
#include <string>

#include "actions/contracts.h"
#include "actions/operation_encoding.h"
#include "actions/system_operations.h"
#include "catalogues/live_children.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

constexpr std::string_view kUserPrefix = "settings.user:";
constexpr std::string_view kUserKind = "settings.user";

enum class Destructive : bool { No = false, Yes = true };

std::optional<orvo_actions::ActionSpec> user_action(std::string name, std::string title,
                                                    const UserOperation& operation, Destructive destructive) {
  auto spec = orvo_actions::fixed_action_spec(std::move(name), std::move(title), orvo_actions::OperationClass::Effect,
                                              std::string(UserOperation::kKind), operation);
  if (!spec) return std::nullopt;
  auto attached = std::move(*spec).with_contract(operation_contract({"device-local", "users", "live-account"}));
  if (!attached) return std::nullopt;
  if (destructive == Destructive::Yes) return std::move(*attached).destructive();
  return attached;
}

orvo_actions::Resource user_resource(const panes::users::LocalUser& user) {
  auto child =
      orvo_actions::Resource::make(std::string(kUserPrefix) + user.username, std::string(kUserKind), user.full_name);
  const std::optional<orvo_actions::ActionSpec> actions[] = {
      user_action("set-admin", user.administrator ? "Make standard user" : "Make administrator",
                  UserOperation::SetAdmin{user.username, !user.administrator}, Destructive::No),
      user_action("set-autologin", user.automatic_login ? "Disable automatic login" : "Enable automatic login",
                  UserOperation::SetAutologin{user.username, !user.automatic_login}, Destructive::No),
      // Removing an account cannot be undone, with or without its files: both are marked, as
      // removing a printer or forgetting a device is.
      user_action("remove-keep-files", "Remove account, keep files", UserOperation::Remove{user.username, false},
                  Destructive::Yes),
      user_action("remove-files", "Remove account and files", UserOperation::Remove{user.username, true},
                  Destructive::Yes),
  };
  for (const auto& action : actions) {
    if (action) child.actions.push_back(*action);
  }
  return child;
}

}  // namespace

orvo_actions::Resource users_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::Users);
  const auto users = inputs.queries.lists.local_users();
  std::size_t seen = 0;
  for (const auto& user : users) {
    if (seen++ == kMaxLiveChildren) break;
    // The account this program runs for is not offered: it cannot demote or remove itself here.
    if (user.signed_in) continue;
    resource.children.push_back(user_resource(user));
  }
  return resource;
}

}  // namespace settings::actions
