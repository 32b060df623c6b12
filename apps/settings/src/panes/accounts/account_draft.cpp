#include "panes/accounts/account_draft.h"

#include <uuid/uuid.h>

#include <nlohmann/json.hpp>

#include "account_probe/account_check.h"
#include "accounts/account_records.h"
#include "orvo_json/json.h"
#include "panes/accounts/mail_presets.h"

namespace settings::panes::accounts {

using settings::accounts::AccountKind;
using Json = nlohmann::ordered_json;
using settings::account_probe::trim_unicode_whitespace;

namespace {

std::unexpected<std::string> refuse(std::string_view message) { return std::unexpected(std::string(message)); }

std::string trimmed(std::string_view text) { return std::string(trim_unicode_whitespace(text)); }

std::string random_uuid() {
  uuid_t raw;
  uuid_generate_random(raw);
  char text[37];
  uuid_unparse_lower(raw, text);
  return text;
}

// The values as the checks see them: trimmed, and the server URL without trailing "/".
struct Trimmed {
  std::string display_name;
  std::string identity;
  std::string login_name;
  std::string server_url;
  orvo_secret::SecretString password;
};

Trimmed trim_values(const AccountFormValues& values) {
  Trimmed out{trimmed(values.display_name), trimmed(values.identity), trimmed(values.login_name),
              trimmed(values.server_url), orvo_secret::SecretString(trim_unicode_whitespace(values.password.view()))};
  while (out.server_url.ends_with('/')) out.server_url.pop_back();
  return out;
}

// The mail address of a mail account, the server URL of the other kinds.
std::optional<std::string_view> address_fault(AccountKind kind, const Trimmed& values) {
  if (kind == AccountKind::Email) {
    if (values.identity.find('@') == std::string::npos ||
        settings::account_probe::contains_unicode_whitespace(values.identity)) {
      return "enter a valid email address";
    }
    return std::nullopt;
  }
  using settings::account_probe::ServerUrlFault;
  const auto fault = settings::account_probe::server_url_fault(values.server_url);
  if (!fault) return std::nullopt;
  switch (*fault) {
    case ServerUrlFault::Invalid: return "enter a valid server URL";
    case ServerUrlFault::NotHttps: return "use an HTTPS server URL (localhost HTTP is allowed in development)";
    case ServerUrlFault::HasCredentials: return "remove credentials from the server URL";
  }
  return "enter a valid server URL";
}

std::string account_id(AccountKind kind, const std::optional<std::string>& edited_id,
                       const std::optional<std::string>& chosen_id, const Trimmed& values) {
  if (edited_id) return *edited_id;
  if (chosen_id) return *chosen_id;
  if (kind == AccountKind::Email) return ascii_lowercase(values.identity);
  return std::string(settings::accounts::id_prefix(kind)) + "-" + random_uuid();
}

// Keys given here replace the old values; the object's other keys stay.
void merge(Json& config, const Json& keys) {
  for (const auto& [key, value] : keys.items()) config[key] = value;
}

std::expected<void, std::string> merge_settings(::accounts::Account& account, AccountKind kind, bool editing,
                                                const Trimmed& values) {
  if (!account.config.is_object()) account.config = Json::object();
  Json& config = account.config;
  switch (kind) {
    case AccountKind::Email: {
      if (editing) {
        merge(config, {{"email", values.identity},
                       {"display_name", values.display_name},
                       {"username", values.login_name.empty() ? values.identity : values.login_name}});
        return {};
      }
      settings::accounts::AccountConfig mail;
      mail.display_name = values.display_name;
      mail.email = values.identity;
      mail.imap_port = 993;
      mail.imap_tls = true;
      mail.smtp_port = 465;
      mail.smtp_tls = true;
      mail.username = values.login_name;
      apply_mail_provider_preset(mail);
      const Json encoded = orvo_json::encode_value(mail);
      if (!encoded.is_object()) return refuse("could not prepare email settings");
      merge(config, encoded);
      return {};
    }
    case AccountKind::CalDav:
      merge(config, {{"display_name", values.display_name},
                     {"server_url", values.server_url},
                     {"username", values.identity}});
      return {};
    case AccountKind::WebDav:
      merge(config, {{"id", account.id},
                     {"label", values.display_name},
                     {"base_url", values.server_url},
                     {"username", values.identity}});
      return {};
    case AccountKind::Nextcloud:
      merge(config, {{"id", account.id},
                     {"label", values.display_name},
                     {"server_url", values.server_url},
                     {"username", values.identity}});
      return {};
  }
  return {};
}

// The password replaces the saved secret (the second text stays); an empty one keeps the saved
// credential, which must then hold something.
std::expected<::accounts::vault::Credential, std::string> credential_for(
    const settings::accounts::RootOverride& root_override, const std::string& id,
    const orvo_secret::SecretString& password) {
  const auto vault = settings::accounts::open_secret_vault(root_override);
  auto saved = vault.get(id);
  ::accounts::vault::Credential credential = saved ? std::move(*saved) : ::accounts::vault::Credential{};
  if (!password.empty()) {
    credential.secret = password.clone();
    return credential;
  }
  if (credential.secret.empty() && !credential.extra) {
    return refuse("this account has no saved credential; enter one");
  }
  return credential;
}

}  // namespace

std::expected<PreparedAccount, std::string> prepare_account_draft(const settings::accounts::RootOverride& root_override,
                                                                  AccountKind kind,
                                                                  const std::optional<std::string>& edited_id,
                                                                  const std::optional<std::string>& chosen_id,
                                                                  const AccountFormValues& submitted) {
  const Trimmed values = trim_values(submitted);
  if (values.display_name.empty()) return refuse("enter a display name");
  if (values.identity.empty()) {
    return refuse(kind == AccountKind::Email ? "enter an email address" : "enter a username");
  }
  if (const auto fault = address_fault(kind, values)) return refuse(*fault);
  const bool editing = edited_id.has_value();
  if (!editing && values.password.empty()) return refuse("enter a password or app password");

  const std::string id = account_id(kind, edited_id, chosen_id, values);
  const std::string_view type = settings::accounts::type_id(kind);

  auto store = settings::accounts::load_account_store_strict(root_override);
  if (!store) return std::unexpected(store.error());
  const ::accounts::Account* stored = store->get(id);
  ::accounts::Account account;
  if (editing) {
    if (!stored) return refuse("account no longer exists");
    if (stored->type_id != type) return refuse("account type changed; refresh Settings and try again");
    account = *stored;
  } else {
    if (stored) return refuse("this account is already configured");
    account = ::accounts::Account::make(id, type);
  }

  account.display_name = values.display_name;
  if (auto merged = merge_settings(account, kind, editing, values); !merged) return std::unexpected(merged.error());

  auto credential = credential_for(root_override, id, values.password);
  if (!credential) return std::unexpected(credential.error());
  return PreparedAccount{std::move(account), std::move(*credential)};
}

}  // namespace settings::panes::accounts
