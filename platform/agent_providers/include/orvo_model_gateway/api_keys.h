#pragma once
// The model gateway's API keys, one per provider id, kept encrypted in the gateway's own vault
// ("model-gateway/vault/vault.enc" in the Orvo configuration directory). The vault is separate from
// the accounts' vault so that a provider id can never name an account's credential.
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvo_model_gateway {

// The configuration root of the gateway's vault (the vault lives in its "vault" directory); none
// without a configuration directory.
std::optional<std::filesystem::path> vault_root();

// Deletes the provider's key. A provider without a key counts as done. Errors: "no config dir",
// "the key vault could not be read: " and the reason (nothing is written then), or the vault's
// save error (the stored vault stays as it was).
std::expected<void, std::string> remove_api_key(std::string_view provider_id);

}  // namespace orvo_model_gateway
