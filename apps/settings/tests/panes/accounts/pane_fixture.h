#pragma once
// The accounts pane in a temporary home with the root's request cell, a check the test answers and
// a clock the test moves.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "accounts/paths.h"
#include "accounts/store_access.h"
#include "harness/pane_harness.h"
#include "orvo_doc/document.h"
#include "orvo_runtime/atomic_file.h"
#include "panes/accounts/accounts_pane.h"
#include "panes/document_controls.h"

namespace accounts_pane_test {

using settings::account_probe::AccountCheckOutcome;
using settings::panes::accounts::AccountsPane;

// A server check that waits until the test answers (or makes it stop without an answer).
struct FakeCheck {
  std::mutex lock;
  std::condition_variable changed;
  int calls = 0;
  std::optional<AccountCheckOutcome> answer;
  bool vanish = false;
  std::string last_account;

  void respond(AccountCheckOutcome outcome) {
    std::lock_guard guard(lock);
    answer = std::move(outcome);
    changed.notify_all();
  }
  void stop() {
    std::lock_guard guard(lock);
    vanish = true;
    changed.notify_all();
  }
  // Waits until `count` checks have started.
  bool wait_calls(int count) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(5), [&] { return calls >= count; });
  }
  int call_count() {
    std::lock_guard guard(lock);
    return calls;
  }
};

inline settings::account_probe::AccountCheck make_check(std::shared_ptr<FakeCheck> fake) {
  using Fn = std::function<AccountCheckOutcome(const ::accounts::Account&, const orvo_secret::SecretString&)>;
  return std::make_shared<const Fn>([fake](const ::accounts::Account& account, const orvo_secret::SecretString&) {
    std::unique_lock guard(fake->lock);
    ++fake->calls;
    fake->last_account = account.id;
    fake->changed.notify_all();
    fake->changed.wait(guard, [&] { return fake->answer.has_value() || fake->vanish; });
    if (fake->vanish) throw std::runtime_error("gone");
    return *fake->answer;
  });
}

// Every file under a directory: its bytes and modification time.
using Snapshot = std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>;
inline Snapshot snapshot(const std::filesystem::path& root) {
  Snapshot files;
  if (!std::filesystem::exists(root)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    auto bytes = atomic_file::read_existing(entry.path());
    files[entry.path().string()] = std::make_pair(bytes && *bytes ? **bytes : std::string(), entry.last_write_time());
  }
  return files;
}

class AccountsPaneTest : public ::testing::Test {
 protected:
  AccountsPaneTest() : root_(*harness_.app().accounts_root()), over_(root_) {}

  void TearDown() override {
    // Lets every worker still waiting end.
    fake_->respond(AccountCheckOutcome::failure("test over"));
  }

  std::unique_ptr<AccountsPane> make_pane() {
    auto pane = std::make_unique<AccountsPane>(AccountsPane::load(over_)
                                                   .with_accounts_request(harness_.app().accounts_request())
                                                   .with_account_check(make_check(fake_))
                                                   .with_clock([now = now_] { return *now; }));
    settle(*pane);
    return pane;
  }

  // One pass, then passes until the pane's store jobs (reading the vault, saving) have answered.
  static void pass(AccountsPane& pane) {
    settings::panes::testing::PaneHarness::pass(pane);
    settle(pane);
  }
  // One frame, then frames until the pane's store jobs have answered.
  static void settled_frame(settings::panes::testing::PaneInALoop& loop, AccountsPane& pane) {
    loop.frame();
    for (int i = 0; i < 5000 && !pane.store_idle(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      loop.frame();
    }
  }
  static void settle(AccountsPane& pane) {
    for (int i = 0; i < 5000 && !pane.store_idle(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      settings::panes::testing::PaneHarness::pass(pane);
    }
  }
  static void press(AccountsPane& pane, std::string_view key) {
    settings::panes::write_back(pane.document(), orvo_doc::kRoot, key, true);
  }
  // Passes until the running checks ended (the worker answered), at most five seconds.
  static void pass_until_answered(AccountsPane& pane) {
    for (int i = 0; i < 5000 && (pane.account_check_running() || pane.credential_check_running()); ++i) {
      pass(pane);
      if (pane.account_check_running() || pane.credential_check_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  }

  void fill_webdav(AccountsPane& pane, std::string_view password = "files secret") {
    auto& form = pane.form();
    form.display_name.publish("Files");
    form.login_name.publish("ada");
    form.server_url.publish("https://dav.example.org/files");
    form.password->assign(password);
  }

  void store_accounts(std::initializer_list<::accounts::Account> accounts) {
    auto store = settings::accounts::load_account_store(over_);
    for (const auto& account : accounts) store.upsert(account);
    ASSERT_TRUE(settings::accounts::save_account_store(over_, store).has_value());
  }
  void save_vault(std::initializer_list<std::pair<std::string_view, std::string_view>> entries) {
    auto vault = settings::accounts::open_secret_vault(over_);
    for (const auto& [id, secret] : entries) vault.put(id, {orvo_secret::SecretString(secret), std::nullopt});
    ASSERT_TRUE(vault.try_save().has_value());
  }
  std::optional<std::string> saved_secret(std::string_view id) const {
    auto credential = settings::accounts::open_secret_vault(over_).get(id);
    if (!credential) return std::nullopt;
    return std::string(credential->secret.view());
  }
  bool stored(std::string_view id) const { return settings::accounts::load_account_store(over_).get(id) != nullptr; }
  std::filesystem::path vault_file() const { return ::accounts::vault_dir_in(root_) / "vault.enc"; }
  std::filesystem::path metadata_file() const { return ::accounts::accounts_dir_in(root_) / "accounts.json"; }

  settings::panes::testing::PaneHarness harness_;
  ::accounts::vault::LocalKeyOnly local_key_only_;
  std::filesystem::path root_;
  settings::accounts::RootOverride over_;
  std::shared_ptr<FakeCheck> fake_ = std::make_shared<FakeCheck>();
  std::shared_ptr<std::chrono::steady_clock::time_point> now_ =
      std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::time_point{} +
                                                              std::chrono::hours(1));
};

inline ::accounts::Account webdav_account(std::string id, std::string name) {
  auto account = ::accounts::Account::make(std::move(id), "webdav");
  account.display_name = name;
  account.config = nlohmann::ordered_json{{"id", account.id},
                                          {"label", name},
                                          {"base_url", "https://dav.example.org/files"},
                                          {"username", "ada"},
                                          {"enabled", true},
                                          {"tint", 0}};
  return account;
}

}  // namespace accounts_pane_test
