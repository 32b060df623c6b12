#include "panes/accounts/account_form.h"

#include <nlohmann/json.hpp>

namespace settings::panes::accounts {

using settings::accounts::AccountKind;

namespace {

// A string value of the account's settings; a key that is missing or holds another type gives "".
std::string config_text(const nlohmann::ordered_json& config, const char* key) {
  if (!config.is_object()) return {};
  const auto found = config.find(key);
  if (found == config.end() || !found->is_string()) return {};
  return found->get<std::string>();
}

}  // namespace

std::optional<AccountFormValues> AccountForm::submitted_values() const {
  if (!kind) return std::nullopt;
  AccountFormValues values;
  values.display_name = display_name.snapshot();
  values.login_name = login_name.snapshot();
  values.identity = *kind == AccountKind::Email ? identity.snapshot() : values.login_name;
  values.server_url = server_url.snapshot();
  values.password = password->copy();
  return values;
}

bool AccountForm::take_structure_dirty() {
  const bool dirty = structure_dirty;
  structure_dirty = false;
  return dirty;
}

void clear_form_fields(AccountForm& form) {
  form.display_name.publish("");
  form.identity.publish("");
  form.login_name.publish("");
  form.server_url.publish("");
  form.password->clear();
}

void open_add_form(AccountForm& form, AccountKind kind) {
  form.kind = kind;
  form.editing_id.reset();
  form.message.reset();
  clear_form_fields(form);
  form.structure_dirty = true;
}

void open_account_editor(AccountForm& form, const settings::accounts::RootOverride& root_override,
                         const settings::accounts::AccountLists& lists, std::string_view id) {
  const auto row = settings::accounts::find_account_row(lists, id);
  if (!row) return;
  clear_form_fields(form);

  // Only shown here; a damaged store reads as empty, and saving later reads it strictly.
  const auto store = settings::accounts::load_account_store(root_override);
  if (const auto* account = store.get(id)) {
    const auto& config = account->config;
    form.display_name.publish(account->display_name);
    if (row->kind == AccountKind::Email) form.identity.publish(config_text(config, "email"));
    form.login_name.publish(config_text(config, "username"));
    form.server_url.publish(config_text(config, row->kind == AccountKind::WebDav ? "base_url" : "server_url"));
  }

  form.kind = row->kind;
  form.editing_id = std::string(id);
  form.message.reset();
  form.password->clear();
  form.structure_dirty = true;
}

}  // namespace settings::panes::accounts
