#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "accounts/account.h"
#include "actions/operation_actions.h"
#include "catalogues/account_bindings.h"
#include "catalogues/live_children.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

using orvo_actions::OperationClass;

constexpr std::string_view kAccountsKind = "settings.accounts";

void add(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> spec) {
  if (spec) resource.actions.push_back(std::move(*spec));
}

orvo_actions::Resource account_resource(const accounts::Account& account) {
  const std::string& id = account.id;
  auto child = orvo_actions::Resource::make(std::string(kAccountResourcePrefix) + id, std::string(kAccountResourceKind),
                                            account.display_name.empty() ? id : account.display_name);
  add(child, operation_spec("open", "Open account", AccountOperation::Open{id}, OperationClass::Navigation));
  add(child, operation_spec("edit", "Edit account details", AccountOperation::Edit{id}, OperationClass::Navigation));
  add(child, operation_spec("reauthenticate", "Sign in again", AccountOperation::Reauthenticate{id},
                            OperationClass::Navigation));
  add(child, operation_spec("test", account.type_id.as_str() == "email" ? "Check server reachability" : "Verify sign-in",
                            AccountOperation::Test{id}, OperationClass::Effect));
  auto remove = operation_spec("remove", "Remove from this device", AccountOperation::Remove{id}, OperationClass::Effect);
  if (remove) add(child, std::move(*remove).destructive());
  return child;
}

}  // namespace

orvo_actions::Resource external_accounts_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::ExternalAccounts, kAccountsKind);
  struct AddForm {
    std::string_view kind;
    std::string_view title;
  };
  constexpr std::array<AddForm, 4> forms{{{"mail", "Add email account"},
                                          {"caldav", "Add calendar account"},
                                          {"webdav", "Add WebDAV account"},
                                          {"nextcloud", "Add Nextcloud account"}}};
  for (const auto& form : forms) {
    add(resource, operation_spec("add-" + std::string(form.kind), std::string(form.title),
                                 AccountOperation::Add{std::string(form.kind)}, OperationClass::Navigation));
  }
  struct FormAction {
    std::string_view name;
    std::string_view title;
    AccountOperation operation;
    OperationClass cls;
  };
  const std::array<FormAction, 4> form_actions{{
      {"save-form", "Save account", AccountOperation::SubmitForm{}, OperationClass::Effect},
      {"cancel-form", "Cancel", AccountOperation::CancelForm{}, OperationClass::Navigation},
      {"save-reauthentication", "Update credential", AccountOperation::SubmitReauthentication{}, OperationClass::Effect},
      {"cancel-reauthentication", "Cancel", AccountOperation::CancelReauthentication{}, OperationClass::Navigation},
  }};
  for (const auto& action : form_actions) {
    add(resource, operation_spec(std::string(action.name), std::string(action.title), action.operation, action.cls));
  }
  const std::size_t count = std::min(inputs.accounts.size(), kMaxLiveChildren);
  for (std::size_t i = 0; i < count; ++i) resource.children.push_back(account_resource(inputs.accounts[i]));
  return resource;
}

}  // namespace settings::actions
