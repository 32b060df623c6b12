#include "orvo_model_gateway/api_keys.h"

#include <mutex>

#include "accounts/paths.h"
#include "accounts/secret_vault.h"
#include "orvo_runtime/text.h"

namespace orvo_model_gateway {

std::optional<std::filesystem::path> vault_root() {
  auto root = accounts::config_root();
  if (!root) return std::nullopt;
  return *root / "model-gateway";
}

namespace {

// A change reads the vault, changes it and saves it whole: two at once from different threads would
// lose one of them.
std::mutex& change_lock() {
  static auto* lock = new std::mutex;
  return *lock;
}

std::expected<accounts::vault::SecretVault, std::string> open_readable_vault() {
  const auto root = vault_root();
  if (!root) return std::unexpected(std::string("no config dir"));
  auto vault = accounts::vault::SecretVault::open_in(*root);
  // A vault that cannot be read would lose every other key when saved over.
  if (vault.read_error()) return std::unexpected("the key vault could not be read: " + *vault.read_error());
  return vault;
}

}  // namespace

std::expected<void, std::string> set_api_key(std::string_view provider_id, orvo_secret::SecretString key) {
  accounts::vault::Credential credential;
  credential.secret.assign(orvo_runtime::text::trim_ascii_whitespace(key.view()));
  key.wipe();
  if (credential.secret.empty()) return std::unexpected(std::string("no API key was entered"));
  std::lock_guard guard(change_lock());
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
  std::lock_guard guard(change_lock());
  auto vault = open_readable_vault();
  if (!vault) return std::unexpected(std::move(vault.error()));
  if (!vault->remove(provider_id)) return {};
  return vault->try_save();
}

}  // namespace orvo_model_gateway
