#pragma once
// The model gateway's API keys, one per provider id, kept encrypted in the gateway's own vault
// ("model-gateway/vault/vault.enc" in the Orvo configuration directory). The vault is separate from
// the accounts' vault so that a provider id can never name an account's credential. Changes from
// several threads are made one at a time. Every call may wait for the desktop's keyring (on the
// session bus): keep them off the interface thread.
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_secret/secret_string.h"

namespace orvo_model_gateway {

// The configuration root of the gateway's vault (the vault lives in its "vault" directory); none
// without a configuration directory.
std::optional<std::filesystem::path> vault_root();

// Stores (or replaces) the provider's key, without the white space around it; the caller's copy
// is wiped either way. Errors: "no API key was entered" for a blank key, "no config dir", "the key
// vault could not be read: " and the reason (nothing is written then), or the vault's save error.
std::expected<void, std::string> set_api_key(std::string_view provider_id, orvo_secret::SecretString key);

// Whether the vault holds a key for the provider (false when the vault cannot be read).
bool secret_configured(std::string_view provider_id);

// Deletes the provider's key. A provider without a key counts as done. Errors: "no config dir",
// "the key vault could not be read: " and the reason (nothing is written then), or the vault's
// save error (the stored vault stays as it was).
std::expected<void, std::string> remove_api_key(std::string_view provider_id);

}  // namespace orvo_model_gateway
