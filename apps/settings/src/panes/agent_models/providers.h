#pragma once
// What the Agent Models pane does to the provider list and the gateway's API keys itself: the three
// handlers behind a provider form's buttons, and keeping the profile of this device's model server
// in step with the model manager's snapshot. Adding, enabling, removing and choosing providers are
// typed operations the shell carries out.
//
// The key handlers and the questions to the vault open the gateway's vault, which asks the desktop's
// keyring over the session bus: the page runs them as vault jobs, off the interface thread.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_secret/secret_buffer.h"
#include "orvo_ui/published_cell.h"
#include "services/local_models.h"

namespace settings::panes::agent_models {

// The pane's status sentence, shown on its next sync.
using NoticeCell = orvo_ui::PublishedCell<std::optional<std::string>>;

// Whether the gateway's vault holds a key, by provider id, as last read.
using StoredKeys = std::map<std::string, bool, std::less<>>;
using StoredKeysCell = orvo_ui::PublishedCell<StoredKeys>;

// The text fields of one provider form, shared with the view.
struct ProviderFormInputs {
  orvo_ui::PublishedCell<std::string> label;
  orvo_ui::PublishedCell<std::string> endpoint;
  orvo_ui::PublishedCell<std::string> model;
};

// "Save details": the label and endpoint as typed, and the model (added to the profile's models
// once) unless the field is blank.
void save_provider_details(std::string_view provider_id, const ProviderFormInputs& inputs, const NoticeCell& notice);

// "Save key" / "Replace key": the key leaves the input (which is wiped, whatever the gateway answers)
// for the gateway's vault.
void save_provider_key(std::string_view provider_id, orvo_secret::SecretBuffer& key_input, const NoticeCell& notice);
// The same with the key already taken from its input.
void save_provider_key(std::string_view provider_id, orvo_secret::SecretString key, const NoticeCell& notice);

// "Remove key".
void remove_provider_key(std::string_view provider_id, const NoticeCell& notice);

// Publishes the vault's answers for these providers, whole, into the cell.
void read_stored_keys(std::span<const std::string> provider_ids, const StoredKeysCell& cell);
// Asks the vault anew about one provider (after its key changed) and publishes the answers with it.
void reread_stored_key(std::string_view provider_id, const StoredKeysCell& cell);

// Runs the job on a worker after every job queued before it, in the order queued: the jobs of every
// page share one queue, so the page's vault requests never overtake one another. A worker runs only
// while jobs are queued; when none can be started, the jobs run at once on the caller's thread.
void queue_vault_job(std::function<void()> job);

// The page's vault jobs and what they report to: the pane's status sentence, the stored keys, and
// the count of its jobs not yet finished. Copies share all three, so a page's buttons hold a copy
// and never the pane; a job outlives a page dropped meanwhile and reports into cells nobody reads.
class VaultJobs {
 public:
  const NoticeCell& notice() const { return notice_; }
  const StoredKeysCell& stored_keys() const { return stored_keys_; }
  bool running() const { return running_->load() > 0; }

  // "Save key": the typed key leaves its input now (wiped whatever the vault answers later); the job
  // stores it and reports.
  void save_key(std::string provider_id, orvo_secret::SecretBuffer& key_input) const;
  // "Remove key".
  void remove_key(std::string provider_id) const;
  // Asks the vault whether these providers have a key.
  void read_keys(std::vector<std::string> provider_ids) const;

 private:
  // Queues the job; when it names a provider, the vault is asked about its key again after it.
  void queue(std::string provider_id, std::function<void()> job) const;

  NoticeCell notice_;
  StoredKeysCell stored_keys_;
  std::shared_ptr<std::atomic<int>> running_ = std::make_shared<std::atomic<int>>(0);
};

// Points the local model server's profile at the model this device serves (or disables it), and
// lists the ready models. Writes only on a change; a configuration that cannot be read is left alone.
void sync_local_model_provider(std::span<const InstalledLocalModel> models);

}  // namespace settings::panes::agent_models
