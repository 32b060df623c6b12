#include "orvo_model_gateway/api_keys.h"

#include "accounts/paths.h"
#include "accounts/secret_vault.h"

namespace orvo_model_gateway {

std::optional<std::filesystem::path> vault_root() {
  auto root = accounts::config_root();
  if (!root) return std::nullopt;
  return *root / "model-gateway";
}

std::expected<void, std::string> remove_api_key(std::string_view provider_id) {
  const auto root = vault_root();
  if (!root) return std::unexpected(std::string("no config dir"));
  auto vault = accounts::vault::SecretVault::open_in(*root);
  // A vault that cannot be read cannot say whether it holds the key; saving it would lose the rest.
  if (vault.read_error()) return std::unexpected("the key vault could not be read: " + *vault.read_error());
  if (!vault.remove(provider_id)) return {};
  return vault.try_save();
}

}  // namespace orvo_model_gateway
