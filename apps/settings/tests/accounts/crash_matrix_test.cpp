// A change killed at each of its steps, then recovered as at the next start: the stores and the
// vault are exactly as before the change or exactly as after it, and no credential is lost. The
// child process stops itself with _exit at the named step, as a crash would, without unwinding.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "accounts/remove_account.h"
#include "accounts_fixture.h"

namespace {

using namespace settings::accounts;
using accounts_test::credential;

constexpr int kKilled = 42;
constexpr int kCompleted = 0;
constexpr int kFailed = 3;

std::string kill_step;
void kill_at(std::string_view step) {
  if (step == kill_step) ::_exit(kKilled);
}

const char* const kChangeSteps[] = {"journal-written", "vault-saved", "metadata-saved", "statuses-saved",
                                    "journal-cleared"};
const char* const kRecoverySteps[] = {"metadata-restored", "statuses-restored", "vault-restored", "journal-cleared"};
const char* const kKnownIds[] = {"m1", "w1", "c1"};

struct Snapshot {
  ::accounts::AccountStore store;
  ::accounts::status::AccountSyncStatusStore statuses;
  std::map<std::string, std::string> credentials;
  bool operator==(const Snapshot&) const = default;
};

// The account save transaction of the Accounts pane: vault (when a password was typed), then metadata.
MutationResult save_account(const RootOverride& root, ::accounts::Account account,
                            std::optional<std::string_view> password) {
  auto store = load_account_store_strict(root);
  if (!store) return std::unexpected(store.error());
  auto statuses = load_sync_statuses_strict(root);
  if (!statuses) return std::unexpected(statuses.error());
  if (auto begun = begin_account_mutation(root, *store, *statuses); !begun) return begun;
  std::optional<::accounts::vault::Credential> previous;
  if (password) {
    auto vault = open_secret_vault(root);
    previous = vault.get(account.id);
    vault.put(account.id, credential(*password));
    if (auto saved = vault.try_save(); !saved) {
      (void)clear_account_mutation(root);
      return std::unexpected("could not save credential: " + saved.error());
    }
    mutation_step_done("vault-saved");
  }
  const std::string id = account.id;
  store->upsert(std::move(account));
  if (auto saved = save_account_store(root, *store); !saved) {
    if (password) (void)restore_credential(root, id, previous);
    return std::unexpected("could not persist account: " + saved.error());
  }
  mutation_step_done("metadata-saved");
  return finish_account_mutation(root, "account save");
}

class CrashMatrix : public accounts_test::AccountsRoot {
 protected:
  void SetUp() override {
    AccountsRoot::SetUp();
    pristine_ = root_ / "pristine";
    over_ = root_ / "live";
    const RootOverride pristine = pristine_;
    ::accounts::AccountStore store;
    auto mail = accounts_test::account("m1", "email", "Mail");
    mail.config = orvo_json::parse_value(R"({"email":"ada@example.org"})");
    store.upsert(mail);
    store.upsert(accounts_test::account("w1", "webdav", "Files"));
    store.active["email"] = "m1";
    ::accounts::status::AccountSyncStatusStore statuses;
    statuses.statuses["m1"] = {::accounts::status::AccountSyncHealth::Healthy, 5, 5, std::nullopt};
    statuses.statuses["w1"] = {::accounts::status::AccountSyncHealth::Error, 6, std::nullopt, "refused"};
    ASSERT_TRUE(save_account_store(pristine, store).has_value());
    ASSERT_TRUE(save_sync_statuses(pristine, statuses).has_value());
    auto vault = open_secret_vault(pristine);
    vault.put("m1", credential("mail secret"));
    vault.put("w1", credential("files secret"));
    ASSERT_TRUE(vault.try_save().has_value());
  }
  void TearDown() override {
    set_mutation_step_hook(nullptr);
    AccountsRoot::TearDown();
  }

  void reset() {
    std::filesystem::remove_all(*over_);
    std::filesystem::copy(pristine_, *over_, std::filesystem::copy_options::recursive);
  }

  Snapshot snapshot() {
    Snapshot s;
    auto store = load_account_store_strict(over_);
    auto statuses = load_sync_statuses_strict(over_);
    EXPECT_TRUE(store.has_value() && statuses.has_value());
    if (store) s.store = *store;
    if (statuses) s.statuses = *statuses;
    auto vault = open_secret_vault(over_);
    EXPECT_FALSE(vault.read_error().has_value()) << *vault.read_error();
    for (const char* id : kKnownIds) {
      if (auto c = vault.get(id)) s.credentials[id] = std::string(c->secret.view());
    }
    return s;
  }

  // Runs `change` in a child that dies at `step`; tells how the child ended.
  int run_child(const std::function<MutationResult()>& change, const std::string& step) {
    kill_step = step;
    const pid_t pid = ::fork();
    if (pid == 0) {
      set_mutation_step_hook(kill_at);
      ::_exit(change() ? kCompleted : kFailed);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status);
  }

  void check_matrix(const std::function<MutationResult()>& change) {
    reset();
    const Snapshot before = snapshot();
    ASSERT_TRUE(change().has_value());
    const Snapshot after = snapshot();
    ASSERT_NE(before, after);

    int killed = 0;
    for (const char* step : kChangeSteps) {
      SCOPED_TRACE(step);
      reset();
      const int ended = run_child(change, step);
      ASSERT_NE(ended, kFailed);
      recover_account_mutation_at_start(over_);
      EXPECT_FALSE(std::filesystem::exists(journal_path()));
      const Snapshot now = snapshot();
      if (ended == kCompleted || std::string_view(step) == "journal-cleared") {
        EXPECT_EQ(now, after);
      } else {
        ++killed;
        EXPECT_EQ(now, before);  // an unfinished change is rolled back
      }
    }
    EXPECT_GE(killed, 2);

    // A crash during the recovery itself: the next recovery starts again and finishes the job.
    for (const char* step : kRecoverySteps) {
      SCOPED_TRACE(std::string("recovery ") + step);
      reset();
      ASSERT_EQ(run_child(change, "metadata-saved"), kKilled);
      ASSERT_EQ(run_child([&] { return recover_account_mutation(over_); }, step), kKilled);
      ASSERT_TRUE(recover_account_mutation(over_).has_value());
      EXPECT_EQ(snapshot(), before);
    }
  }

  std::filesystem::path journal_path() const { return ::accounts::accounts_dir_in(*over_) / "mutation-journal.json"; }

  std::filesystem::path pristine_;
};

TEST_F(CrashMatrix, AddingAnAccount) {
  auto added = accounts_test::account("c1", "caldav", "Calendar");
  added.config = orvo_json::parse_value(R"({"server_url":"https://cal.example.org","username":"ada"})");
  check_matrix([&] { return save_account(over_, added, "calendar secret"); });
}

TEST_F(CrashMatrix, EditingAnAccountAndItsPassword) {
  auto edited = accounts_test::account("m1", "email", "Renamed");
  edited.config = orvo_json::parse_value(R"({"email":"ada@example.org","username":"ada"})");
  check_matrix([&] { return save_account(over_, edited, "new mail secret"); });
}

TEST_F(CrashMatrix, RemovingAnAccount) {
  check_matrix([&] { return settings::panes::accounts::remove_account(over_, AccountKind::WebDav, "w1"); });
}

}  // namespace
