#include "accounts/mutation_journal.h"

#include <fmt/format.h>

#include <atomic>

#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"

namespace settings::accounts {
namespace {

constexpr mode_t kPrivateMode = 0600;

std::atomic<MutationStepHook> step_hook{nullptr};

std::string prefixed(std::string_view prefix, const std::string& error) { return fmt::format("{}{}", prefix, error); }

}  // namespace

void set_mutation_step_hook(MutationStepHook hook) { step_hook.store(hook); }

void mutation_step_done(std::string_view step) {
  if (auto hook = step_hook.load()) hook(step);
}

MutationResult begin_account_mutation(const RootOverride& root_override, const ::accounts::AccountStore& store,
                                      const ::accounts::status::AccountSyncStatusStore& statuses) {
  if (auto recovered = recover_account_mutation(root_override); !recovered) return recovered;
  auto vault_path = vault_file_path(root_override);
  if (!vault_path) return std::unexpected(vault_path.error());

  AccountMutationJournal journal{store, statuses, std::nullopt};
  auto vault = atomic_file::read_existing(*vault_path);
  if (!vault) return std::unexpected(prefixed("could not read credential vault: ", vault.error()));
  if (vault->has_value()) {
    const std::string& bytes = **vault;
    journal.previous_vault_ciphertext.emplace(bytes.begin(), bytes.end());
  }

  std::string text;
  text.reserve(128);
  orvo_json::encode_to(text, journal);
  auto journal_path = mutation_journal_path(root_override);
  if (!journal_path) return std::unexpected(journal_path.error());
  if (auto written = atomic_file::write_creating_parent_with_mode(*journal_path, text, kPrivateMode); !written) {
    return std::unexpected(prefixed("could not persist account transaction intent: ", written.error()));
  }
  mutation_step_done("journal-written");
  return {};
}

MutationResult recover_account_mutation(const RootOverride& root_override) {
  auto journal_path = mutation_journal_path(root_override);
  if (!journal_path) return std::unexpected(journal_path.error());
  auto text = atomic_file::read_existing(*journal_path);
  if (!text) return std::unexpected(prefixed("could not read account transaction intent: ", text.error()));
  if (!text->has_value()) return {};
  auto journal = orvo_json::decode<AccountMutationJournal>(**text);
  if (!journal) return std::unexpected(prefixed("account transaction intent is invalid: ", journal.error().text()));

  if (auto saved = save_account_store(root_override, journal->previous_store); !saved) {
    return std::unexpected(prefixed("could not recover account metadata: ", saved.error()));
  }
  mutation_step_done("metadata-restored");
  if (auto saved = save_sync_statuses(root_override, journal->previous_statuses); !saved) {
    return std::unexpected(prefixed("could not recover account sync status: ", saved.error()));
  }
  mutation_step_done("statuses-restored");

  auto vault_path = vault_file_path(root_override);
  if (!vault_path) return std::unexpected(vault_path.error());
  MutationResult vault;
  if (const auto& bytes = journal->previous_vault_ciphertext) {
    const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    vault = atomic_file::write_creating_parent_with_mode(*vault_path, view, kPrivateMode);
  } else {
    vault = atomic_file::remove(*vault_path);
  }
  if (!vault) return std::unexpected(prefixed("could not recover credential vault: ", vault.error()));
  mutation_step_done("vault-restored");
  return clear_account_mutation(root_override);
}

MutationResult clear_account_mutation(const RootOverride& root_override) {
  auto journal_path = mutation_journal_path(root_override);
  if (!journal_path) return std::unexpected(journal_path.error());
  if (auto removed = atomic_file::remove(*journal_path); !removed) {
    return std::unexpected(prefixed("could not clear account transaction intent: ", removed.error()));
  }
  mutation_step_done("journal-cleared");
  return {};
}

MutationResult finish_account_mutation(const RootOverride& root_override, std::string_view operation) {
  auto cleared = clear_account_mutation(root_override);
  if (cleared) return {};
  auto recovered = recover_account_mutation(root_override);
  if (recovered) {
    return std::unexpected(fmt::format("could not complete {}: {}; changes were rolled back", operation, cleared.error()));
  }
  return std::unexpected(fmt::format("could not complete {}: {}; recovery also failed: {}", operation, cleared.error(),
                                     recovered.error()));
}

void recover_account_mutation_at_start(const RootOverride& root_override) {
  if (!accounts_root(root_override)) return;
  if (auto recovered = recover_account_mutation(root_override); !recovered) {
    orvo_log::warn("could not recover interrupted account mutation",
                   {{"target", "orvo::settings"}, {"module", "settings::accounts"}, {"error", recovered.error()}});
  }
}

MutationResult restore_credential(const RootOverride& root_override, std::string_view id,
                                  const std::optional<::accounts::vault::Credential>& credential) {
  auto vault = open_secret_vault(root_override);
  if (credential) {
    vault.put(id, credential->clone());
  } else {
    vault.remove(id);
  }
  return vault.try_save();
}

std::string append_rollback_failure(std::string message, const MutationResult& rollback) {
  if (rollback) return message;
  return fmt::format("{}; rollback also failed: {}", message, rollback.error());
}

}  // namespace settings::accounts
