#pragma once
// The Users pane on the shared harness, with a recording account backend, a chosen account list and
// an identity directory of its own. Backend calls run on the pane's workers, so the record is locked.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "harness/pane_harness.h"
#include "orvo_identity/local_identity.h"
#include "panes/users/users_pane.h"

namespace settings::panes::users::testing {

// Records every call as one line ("set_role bob 1") and answers from `answers` (success when absent).
class RecordingBackend final : public UserBackend {
 public:
  Outcome create_user(const std::string& username, const std::string& full_name,
                      const orvo_secret::SecretString& password) const override {
    // The password is recorded only as whether it arrived intact.
    return record("create_user " + username + " [" + full_name + "] " +
                  (password.view() == expected_password ? "password-ok" : "password-wrong"));
  }
  Outcome delete_user(const LocalUser& account, bool remove_files) const override {
    return record("delete_user " + account.username + " " + std::to_string(account.uid) + " " +
                  (remove_files ? "1" : "0"));
  }
  Outcome set_role(const std::string& username, bool administrator) const override {
    return record("set_role " + username + " " + (administrator ? "1" : "0"));
  }
  Outcome set_automatic_login(const std::string& username, bool enabled) const override {
    return record("set_automatic_login " + username + " " + (enabled ? "1" : "0"));
  }

  std::vector<std::string> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  void answer(const std::string& method, Outcome outcome) {
    std::lock_guard lock(mutex_);
    answers_[method] = std::move(outcome);
  }

  std::string expected_password;

 private:
  Outcome record(std::string line) const {
    std::lock_guard lock(mutex_);
    const std::string method = line.substr(0, line.find(' '));
    calls_.push_back(std::move(line));
    const auto it = answers_.find(method);
    return it == answers_.end() ? Outcome{} : it->second;
  }
  mutable std::mutex mutex_;
  mutable std::vector<std::string> calls_;
  std::map<std::string, Outcome> answers_;
};

inline LocalUser account(std::string name, std::uint64_t uid, bool admin, bool signed_in = false,
                         bool autologin = false) {
  LocalUser user;
  user.username = name;
  user.full_name = name == "me" ? "Me Myself" : name + " Example";
  user.uid = uid;
  user.administrator = admin;
  user.signed_in = signed_in;
  user.automatic_login = autologin;
  return user;
}

class UsersPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    identity_dir_ = harness_.home().root() / "identities";
    accounts_ = {account("me", 1000, true, true), account("ada", 1001, true), account("bob", 1002, false),
                 account("carol", 1003, false, false, true)};
  }

  UsersServices services() {
    UsersServices services = UsersServices::system();
    services.users = backend_;
    services.local_users = [this] {
      std::lock_guard lock(accounts_mutex_);
      return accounts_;
    };
    services.identity_dir = [this]() -> std::expected<std::filesystem::path, std::string> {
      if (!identity_store_) return std::unexpected(std::string("no user data directory"));
      return identity_dir_;
    };
    services.password_copy_wiped = [this](std::span<const char> storage) {
      copy_seen_ = true;
      copy_wiped_ = std::all_of(storage.begin(), storage.end(), [](char c) { return c == 0; });
    };
    return services;
  }

  UsersPane& make_pane() {
    pane_ = std::make_unique<UsersPane>(
        UsersPane(services()).with_pane_operation(harness_.operation_cell()).with_operation_status(harness_.status_cell()));
    settle();
    return *pane_;
  }

  // Passes until no change runs (at most 10 s).
  void settle() {
    for (int i = 0; i < 1000; ++i) {
      panes::testing::PaneHarness::pass(*pane_);
      if (pane_->loaded() && !pane_->busy()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(pane_->busy());
    panes::testing::PaneHarness::pass(*pane_);
  }

  void press(const std::string& press_key) {
    ASSERT_TRUE(pane_->document().put(orvo_doc::kRoot, press_key, orvo_doc::ScalarValue::boolean(true)).has_value());
    settle();
  }

  void store_identity(const std::string& id, std::uint8_t fill, bool active,
                      std::optional<std::uint8_t> protection = std::nullopt, std::optional<std::string> label = {}) {
    std::array<std::uint8_t, 32> bytes;
    bytes.fill(fill);
    namespace unix_id = runtime_identity::unix;
    ASSERT_TRUE(unix_id::store_identity(identity_dir_, id, orvo_user_identity::Seed(bytes), active).has_value());
    auto found = unix_id::find_identity(identity_dir_, id).value();
    found.record.protection_byte = protection;
    found.record.label = std::move(label);
    ASSERT_TRUE(unix_id::write_record(found.folder, found.record).has_value());
  }

  panes::testing::PaneHarness harness_;
  std::shared_ptr<RecordingBackend> backend_ = std::make_shared<RecordingBackend>();
  std::mutex accounts_mutex_;
  std::vector<LocalUser> accounts_;
  std::filesystem::path identity_dir_;
  std::atomic<bool> identity_store_ = true;
  std::atomic<bool> copy_seen_ = false;
  std::atomic<bool> copy_wiped_ = false;
  std::unique_ptr<UsersPane> pane_;
};

}  // namespace settings::panes::users::testing
