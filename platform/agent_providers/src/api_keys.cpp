#include "orvo_model_gateway/api_keys.h"

#include "accounts/paths.h"
#include "accounts/secret_vault.h"

namespace orvo_model_gateway {

std::optional<std::filesystem::path> vault_root() {
  auto root = accounts::config_root();
  if (!root) return std::nullopt;
  return *root / "model-gateway";
}

namespace {

std::expected<accounts::vault::SecretVault, std::string> open_readable_vault() {
  const auto root = vault_root();
  if (!root) return std::unexpected(std::string("no config dir"));
  auto vault = accounts::vault::SecretVault::open_in(*root);
  // A vault that cannot be read would lose every other key when saved over.
  if (vault.read_error()) return std::unexpected("the key vault could not be read: " + *vault.read_error());
  return vault;
}

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n\v\f";
  const auto first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

std::expected<void, std::string> set_api_key(std::string_view provider_id, orvo_secret::SecretString key) {
  accounts::vault::Credential credential;
  credential.secret.assign(trimmed(key.view()));
  key.wipe();
  if (credential.secret.empty()) return std::unexpected(std::string("no API key was entered"));
  auto vault = open_readable_vault();
  if (!vault) return std::unexpected(std::move(vault.error()));
  vault->put(provider_id, std::move(credential));
  return vault->try_save();
}

bool secret_configured(std::string_view provider_id) {
  const auto root = vault_root();
  if (!root) return false;
  return accounts::vault::SecretVault::open_in(*root).get(provider_id).has_value();
}

std::expected<void, std::string> remove_api_key(std::string_view provider_id) {
  auto vault = open_readable_vault();
  if (!vault) return std::unexpected(std::move(vault.error()));
  if (!vault->remove(provider_id)) return {};
  return vault->try_save();
}

}  // namespace orvo_model_gateway
