// The account connection check and account removal started through the intake, with a stand-in
// check function in place of the real server check.
#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <stdexcept>

#include "intake_support.h"

namespace settings::settings_app {
namespace {

using namespace testing;
using account_probe::AccountCheckOutcome;

using CheckFunction = std::function<AccountCheckOutcome(const ::accounts::Account&, const orvo_secret::SecretString&)>;

account_probe::AccountCheck check_of(CheckFunction function) {
  return std::make_shared<const CheckFunction>(std::move(function));
}

class AccountIntake : public RootIntake {
 protected:
  void SetUp() override {
    RootIntake::SetUp();
    ::accounts::AccountStore store;
    store.upsert(accounts_test::account("m1", "email"));
    store.upsert(accounts_test::account("w1", "webdav"));
    store.upsert(accounts_test::account("x1", "jabber"));
    ASSERT_TRUE(settings::accounts::save_account_store(over_, store).has_value());
    save_vault({{"m1", "mail secret"}, {"x1", "chat secret"}});
  }

  orvo_ui::StartAnswer test_account(std::string_view id, std::uint8_t request_id = 1) {
    return account(kEffect, R"({"Test":{"id":")" + std::string(id) + R"("}})", request_id);
  }
};

struct CheckCase {
  std::string name;
  CheckFunction check;
  orvo_ui::OperationCompletion completion;
};

void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.name; }

class AccountCheckOutcomes : public AccountIntake, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(AccountCheckOutcomes, CompleteTheRequestOnce) {
  EXPECT_EQ(app(check_of(GetParam().check)).section(), SettingsSection::Network);
  ASSERT_EQ(test_account("m1", 7), orvo_ui::StartAnswer{orvo_ui::start::InFlight{}});
  EXPECT_TRUE(app().account_check_running());
  EXPECT_FALSE(app().operation_running()) << "a check is no device-local operation";
  EXPECT_EQ(app().section(), SettingsSection::ExternalAccounts);

  EXPECT_EQ(wait_for(7), GetParam().completion);
  EXPECT_FALSE(app().account_check_running());
  EXPECT_EQ(app().poll_operation_results(request(7), false), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    EachEnding, AccountCheckOutcomes,
    ::testing::Values(
        CheckCase{"Succeeded",
                  [](const ::accounts::Account& account, const orvo_secret::SecretString& password) {
                    // The check gets the stored record and its saved credential.
                    if (account.id != "m1" || password.view() != "mail secret") return AccountCheckOutcome::failure("");
                    return AccountCheckOutcome::success("Connected to the mail server.");
                  },
                  orvo_ui::completion::Succeeded{"Connected to the mail server."}},
        CheckCase{"Failed", [](auto&, auto&) { return AccountCheckOutcome::failure("IMAP sign-in was refused"); },
                  orvo_ui::completion::Failed{"account_connection_failed", "IMAP sign-in was refused"}},
        // A check that dies without answering must not leave the request in flight forever.
        CheckCase{"DiedWithoutAnswer",
                  [](auto&, auto&) -> AccountCheckOutcome { throw std::runtime_error("worker died"); },
                  orvo_ui::completion::Failed{"account_connection_failed",
                                              "the connection check ended without a result"}}),
    [](const auto& info) { return info.param.name; });

// A check that waits until the test lets it finish.
class HeldCheck {
 public:
  HeldCheck() : released_(gate_->get_future().share()) {}
  ~HeldCheck() { release(); }
  account_probe::AccountCheck check() {
    return check_of([released = released_, calls = calls_](auto&, auto&) {
      ++*calls;
      released.wait();
      return AccountCheckOutcome::success("late answer");
    });
  }
  void release() {
    std::call_once(once_, [&] { gate_->set_value(); });
  }

 private:
  std::shared_ptr<std::promise<void>> gate_ = std::make_shared<std::promise<void>>();
  std::shared_future<void> released_;
  std::shared_ptr<std::atomic<int>> calls_ = std::make_shared<std::atomic<int>>(0);
  std::once_flag once_;
};

TEST_F(AccountIntake, ASecondCheckIsRefusedAndACancelledOneAnswersOnce) {
  HeldCheck held;
  app(held.check());
  ASSERT_EQ(test_account("m1", 1), orvo_ui::StartAnswer{orvo_ui::start::InFlight{}});
  EXPECT_EQ(test_account("m1", 2), rejected("an account connection check is already running"));
  EXPECT_EQ(app().poll_operation_results(request(1), false), std::nullopt) << "still running";

  EXPECT_EQ(app().poll_operation_results(request(1), true),
            orvo_ui::OperationCompletion{orvo_ui::completion::Cancelled{"connection check cancelled"}});
  EXPECT_EQ(app().poll_operation_results(request(1), true), std::nullopt);
  EXPECT_EQ(app().poll_operation_results(request(1), false), std::nullopt);

  // The cancelled thread's late answer goes nowhere, and a new check may start.
  held.release();
  ASSERT_EQ(test_account("m1", 3), orvo_ui::StartAnswer{orvo_ui::start::InFlight{}});
  EXPECT_EQ(wait_for(3), orvo_ui::OperationCompletion{orvo_ui::completion::Succeeded{"late answer"}});
}

TEST_F(AccountIntake, ChecksWithoutAnAccountOrCredentialAreRefused) {
  HeldCheck held;
  app(held.check());
  EXPECT_EQ(test_account("gone"), rejected("account no longer exists"));
  EXPECT_EQ(test_account("w1"), rejected("this account has no saved credential; sign in again first"));
  EXPECT_FALSE(app().account_check_running());
}

TEST_F(AccountIntake, RemovalTakesTheAccountOutOfTheStoresAndTheList) {
  ASSERT_EQ(app().accounts().size(), 3U);
  EXPECT_EQ(account(kEffect, R"({"Remove":{"id":"m1"}})"), completed());
  ASSERT_EQ(app().accounts().size(), 2U);
  EXPECT_EQ(app().accounts()[0].id, "w1");
  EXPECT_EQ(settings::accounts::load_account_store(over_).get("m1"), nullptr);
  EXPECT_FALSE(settings::accounts::open_secret_vault(over_).get("m1").has_value());

  EXPECT_EQ(account(kEffect, R"({"Remove":{"id":"m1"}})"), rejected("account no longer exists"));
  EXPECT_EQ(app().accounts().size(), 2U);
  EXPECT_EQ(account(kEffect, R"({"Remove":{"id":"x1"}})"), rejected("unsupported account type"));
  EXPECT_TRUE(settings::accounts::open_secret_vault(over_).get("x1").has_value());
}

}  // namespace
}  // namespace settings::settings_app
