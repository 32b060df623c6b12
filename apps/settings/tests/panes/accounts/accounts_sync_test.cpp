// The accounts pane's pass: requests, buttons, checks before saving, replacement and removal.
#include <gtest/gtest.h>

#include <fstream>

#include "accounts/legacy_import.h"
#include "accounts/mutation_journal.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "pane_fixture.h"

namespace accounts_pane_test {
namespace {

using settings::accounts::AccountKind;
using settings::panes::accounts::AccountsPane;
using settings_app_request = settings::settings_app::AccountsRequest;
namespace key = settings::panes::accounts::key;

TEST_F(AccountsPaneTest, SavesAfterOneCheckEvenWhenSavePressedTwice) {
  auto pane = make_pane();
  press(*pane, key::add(AccountKind::WebDav));
  pass(*pane);
  ASSERT_EQ(pane->form().kind, AccountKind::WebDav);
  fill_webdav(*pane);

  press(*pane, key::kFormSave);
  pass(*pane);
  EXPECT_EQ(pane->form().message, "Checking the account before saving…");
  ASSERT_TRUE(fake_->wait_calls(1));
  press(*pane, key::kFormSave);
  pass(*pane);
  EXPECT_TRUE(pane->needs_idle_sync());
  EXPECT_TRUE(pane->next_wake_deadline().has_value());

  fake_->respond(AccountCheckOutcome::success("ok"));
  pass_until_answered(*pane);
  EXPECT_EQ(fake_->call_count(), 1);
  EXPECT_FALSE(pane->form().is_open());
  EXPECT_FALSE(pane->form().message);
  ASSERT_EQ(settings::accounts::account_rows(pane->lists(), AccountKind::WebDav).size(), 1u);
  const std::string id = settings::accounts::account_rows(pane->lists(), AccountKind::WebDav)[0].id;
  EXPECT_TRUE(stored(id));
  EXPECT_EQ(saved_secret(id), "files secret");
  EXPECT_TRUE(pane->has_saved_credential(id));
  EXPECT_FALSE(std::filesystem::exists(::accounts::accounts_dir_in(root_) / "mutation-journal.json"));
}

// How a check that does not succeed ends: its sentence under the form, nothing stored, and a late
// answer changes nothing.
struct CheckEndCase {
  std::string name;
  enum class End { Fails, TimesOut, Vanishes } end;
  std::string message;
  friend void PrintTo(const CheckEndCase& c, std::ostream* os) { *os << c.name; }
};

class CheckEnds : public AccountsPaneTest, public ::testing::WithParamInterface<CheckEndCase> {};

TEST_P(CheckEnds, LeaveTheFormOpenWithTheSentence) {
  auto pane = make_pane();
  press(*pane, key::add(AccountKind::WebDav));
  pass(*pane);
  fill_webdav(*pane);
  press(*pane, key::kFormSave);
  pass(*pane);
  ASSERT_TRUE(fake_->wait_calls(1));

  switch (GetParam().end) {
    case CheckEndCase::End::Fails: fake_->respond(AccountCheckOutcome::failure("server rejected the saved credential")); break;
    case CheckEndCase::End::Vanishes: fake_->stop(); break;
    case CheckEndCase::End::TimesOut:
      *now_ += std::chrono::milliseconds(9'999);
      pass(*pane);
      ASSERT_TRUE(pane->account_check_running());
      *now_ += std::chrono::milliseconds(1);
      break;
  }
  pass_until_answered(*pane);
  EXPECT_TRUE(pane->form().is_open());
  EXPECT_EQ(pane->form().message, GetParam().message);
  EXPECT_FALSE(pane->needs_idle_sync());

  // A late success goes nowhere.
  fake_->respond(AccountCheckOutcome::success("late"));
  for (int i = 0; i < 20; ++i) pass(*pane);
  EXPECT_TRUE(settings::accounts::account_rows(pane->lists(), AccountKind::WebDav).empty());
  EXPECT_FALSE(std::filesystem::exists(metadata_file()));
  EXPECT_EQ(pane->form().message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, CheckEnds,
    ::testing::Values(CheckEndCase{"Fails", CheckEndCase::End::Fails, "server rejected the saved credential"},
                      CheckEndCase{"TimesOut", CheckEndCase::End::TimesOut, "connection check timed out"},
                      CheckEndCase{"Vanishes", CheckEndCase::End::Vanishes, "account check stopped unexpectedly"}),
    [](const auto& info) { return info.param.name; });

TEST_F(AccountsPaneTest, CancelDuringTheCheckDropsTheDraft) {
  auto pane = make_pane();
  press(*pane, key::add(AccountKind::WebDav));
  pass(*pane);
  fill_webdav(*pane);
  press(*pane, key::kFormSave);
  pass(*pane);
  ASSERT_TRUE(fake_->wait_calls(1));
  press(*pane, key::kFormCancel);
  pass(*pane);
  EXPECT_FALSE(pane->form().is_open());
  EXPECT_FALSE(pane->account_check_running());
  EXPECT_EQ(pane->form().login_name.snapshot(), "");
  EXPECT_TRUE(pane->form().password->empty());

  fake_->respond(AccountCheckOutcome::success("late"));
  for (int i = 0; i < 20; ++i) pass(*pane);
  EXPECT_FALSE(std::filesystem::exists(metadata_file()));
}

TEST_F(AccountsPaneTest, AnAccountStoredByAnotherWriterDuringTheCheckIsRefused) {
  auto pane = make_pane();
  press(*pane, key::add(AccountKind::Email));
  pass(*pane);
  auto& form = pane->form();
  form.display_name.publish("Bob");
  form.identity.publish("bob@example.org");
  form.password->assign("mail secret");
  press(*pane, key::kFormSave);
  pass(*pane);
  ASSERT_TRUE(fake_->wait_calls(1));
  ASSERT_EQ(fake_->last_account, "bob@example.org");

  auto other = ::accounts::Account::make("bob@example.org", "email");
  other.display_name = "Other";
  store_accounts({other});
  fake_->respond(AccountCheckOutcome::success("ok"));
  pass_until_answered(*pane);
  EXPECT_EQ(pane->form().message, "this account is already configured");
  EXPECT_EQ(settings::accounts::load_account_store(over_).get("bob@example.org")->display_name, "Other");
  EXPECT_FALSE(saved_secret("bob@example.org"));
}

TEST_F(AccountsPaneTest, EditingWithoutAPasswordLeavesTheVaultFileUntouched) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "files secret"}});
  const auto vault_before = snapshot(vault_file().parent_path());
  auto pane = make_pane();
  press(*pane, key::edit("dav-1"));
  pass(*pane);
  ASSERT_EQ(pane->form().editing_id, "dav-1");
  EXPECT_EQ(pane->form().login_name.snapshot(), "ada");
  pane->form().display_name.publish("Renamed");
  press(*pane, key::kFormSave);
  pass(*pane);
  fake_->respond(AccountCheckOutcome::success("ok"));
  pass_until_answered(*pane);

  EXPECT_FALSE(pane->form().is_open()) << pane->form().message.value_or("");
  EXPECT_EQ(settings::accounts::load_account_store(over_).get("dav-1")->display_name, "Renamed");
  EXPECT_EQ(snapshot(vault_file().parent_path()), vault_before);
}

TEST_F(AccountsPaneTest, AFailingReplacementCheckKeepsTheOldCredential) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "old secret"}});
  auto pane = make_pane();
  press(*pane, key::reauth("dav-1"));
  pass(*pane);
  ASSERT_EQ(pane->reauth_id(), "dav-1");

  press(*pane, key::kReauthSave);
  pass(*pane);
  EXPECT_EQ(pane->reauth_message(), "enter a password or app password");

  pane->reauth_password()->assign("  new secret ");
  press(*pane, key::kReauthSave);
  pass(*pane);
  EXPECT_EQ(pane->reauth_message(), "Checking the replacement credential…");
  fake_->respond(AccountCheckOutcome::failure("server rejected the saved credential"));
  pass_until_answered(*pane);
  EXPECT_EQ(pane->reauth_message(), "server rejected the saved credential");
  EXPECT_EQ(saved_secret("dav-1"), "old secret");
}

TEST_F(AccountsPaneTest, ASucceedingReplacementSavesTheTrimmedPassword) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "old secret"}});
  auto pane = make_pane();
  (void)harness_.app().accounts_request().publish(settings_app_request{settings_app_request::Reauthenticate{"dav-1"}});
  pass(*pane);
  pane->reauth_password()->assign("  new secret ");
  (void)harness_.app().accounts_request().publish(settings_app_request{settings_app_request::SubmitReauthentication{}});
  pass(*pane);
  fake_->respond(AccountCheckOutcome::success("ok"));
  pass_until_answered(*pane);
  EXPECT_FALSE(pane->reauth_id());
  EXPECT_TRUE(pane->reauth_password()->empty());
  EXPECT_EQ(saved_secret("dav-1"), "new secret");
}

TEST_F(AccountsPaneTest, SampleModeNeverReadsRowKeys) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "secret"}});
  const auto lists = settings::accounts::import_legacy_settings(over_);
  auto pane = std::make_unique<AccountsPane>(AccountsPane::from_app_state(over_, lists, true));
  for (const auto& k : {key::edit("dav-1"), key::reauth("dav-1"), key::remove("dav-1")}) press(*pane, k);
  pass(*pane);
  for (const auto& k : {key::edit("dav-1"), key::reauth("dav-1"), key::remove("dav-1")}) {
    EXPECT_EQ(settings::lib::read_bool(pane->document(), orvo_doc::kRoot, k), true) << k;
  }
  EXPECT_FALSE(pane->form().is_open());
  EXPECT_FALSE(pane->reauth_id());
  EXPECT_FALSE(pane->pending_removal());
}

TEST_F(AccountsPaneTest, RemovalAsksFirstAndIgnoresLaterPressesForTheRemovedId) {
  store_accounts({webdav_account("dav-1", "Files"), webdav_account("dav-2", "Other")});
  save_vault({{"dav-1", "secret"}});
  auto pane = make_pane();
  press(*pane, key::remove("dav-1"));
  pass(*pane);
  ASSERT_TRUE(pane->pending_removal());
  EXPECT_TRUE(stored("dav-1"));

  press(*pane, key::kRemoveConfirm);
  pass(*pane);
  EXPECT_FALSE(stored("dav-1"));
  EXPECT_FALSE(saved_secret("dav-1"));
  EXPECT_EQ(pane->removed_ids(), std::vector<std::string>{"dav-1"});

  // The removed id is back in the lists only if something stored it again; its key stays as it is.
  store_accounts({webdav_account("dav-1", "Files")});
  pane->reload();
  press(*pane, key::remove("dav-1"));
  pass(*pane);
  EXPECT_FALSE(pane->pending_removal());
  EXPECT_EQ(settings::lib::read_bool(pane->document(), orvo_doc::kRoot, key::remove("dav-1")), true);
}

TEST_F(AccountsPaneTest, AFailedRemovalSetsTheFormMessage) {
  store_accounts({webdav_account("dav-1", "Files")});
  auto pane = make_pane();
  press(*pane, key::remove("dav-1"));
  pass(*pane);
  // The account changed kind behind the pane's back.
  auto changed = ::accounts::Account::make("dav-1", "nextcloud");
  store_accounts({changed});
  press(*pane, key::kRemoveConfirm);
  pass(*pane);
  ASSERT_TRUE(pane->form().message);
  EXPECT_TRUE(stored("dav-1"));
}

// Each request of the root's cell, and the cell is empty afterwards.
TEST_F(AccountsPaneTest, EveryRequestDoesItsStep) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "secret"}});
  auto pane = make_pane();
  const auto& cell = harness_.app().accounts_request();
  auto send = [&](settings_app_request request) {
    (void)cell.publish(std::move(request));
    pass(*pane);
    EXPECT_FALSE(cell.snapshot().has_value());
  };

  send(settings_app_request::Add{AccountKind::Nextcloud});
  EXPECT_EQ(pane->form().kind, AccountKind::Nextcloud);
  EXPECT_FALSE(pane->form().editing_id);
  send(settings_app_request::SubmitForm{});
  EXPECT_EQ(pane->form().message, "enter a display name");
  send(settings_app_request::CancelForm{});
  EXPECT_FALSE(pane->form().is_open());
  send(settings_app_request::Open{"dav-1"});
  EXPECT_EQ(pane->form().editing_id, "dav-1");
  EXPECT_EQ(pane->form().kind, AccountKind::WebDav);
  send(settings_app_request::Reauthenticate{"dav-1"});
  EXPECT_EQ(pane->reauth_id(), "dav-1");
  send(settings_app_request::SubmitReauthentication{});
  EXPECT_EQ(pane->reauth_message(), "enter a password or app password");
  send(settings_app_request::CancelReauthentication{});
  EXPECT_FALSE(pane->reauth_id());
  EXPECT_FALSE(pane->reauth_message());
}

// Saving when the metadata cannot be written: the credential goes back, or the journal stays when
// it cannot.
std::filesystem::path g_metadata;
std::filesystem::path g_vault;
bool g_break_vault = false;

void break_metadata(std::string_view step) {
  if (step != "vault-saved") return;
  std::filesystem::create_directories(g_metadata / "blocker");
  if (g_break_vault) {
    std::ofstream(g_vault, std::ios::binary | std::ios::trunc) << "damaged";
  }
}

struct SaveFailureCase {
  std::string name;
  bool break_vault;
  std::string prefix;
  std::size_t warnings;
  friend void PrintTo(const SaveFailureCase& c, std::ostream* os) { *os << c.name; }
};

class SaveFailures : public AccountsPaneTest, public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailures, GiveTheirSentence) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "old secret"}});
  std::filesystem::remove(metadata_file());
  auto pane = make_pane();
  press(*pane, key::add(AccountKind::WebDav));
  pass(*pane);
  fill_webdav(*pane);
  press(*pane, key::kFormSave);
  pass(*pane);
  ASSERT_TRUE(fake_->wait_calls(1));

  g_metadata = metadata_file();
  g_vault = vault_file();
  g_break_vault = GetParam().break_vault;
  settings::accounts::set_mutation_step_hook(break_metadata);
  orvo_log::CaptureScope capture;
  fake_->respond(AccountCheckOutcome::success("ok"));
  pass_until_answered(*pane);
  settings::accounts::set_mutation_step_hook(nullptr);

  ASSERT_TRUE(pane->form().message);
  EXPECT_TRUE(pane->form().message->starts_with(GetParam().prefix)) << *pane->form().message;
  EXPECT_EQ(pane->form().message->find("credential rollback also failed") != std::string::npos,
            GetParam().break_vault);
  EXPECT_EQ(capture.count("failed to persist account metadata"), GetParam().warnings);
  for (const auto& event : capture.events()) {
    if (event.message != "failed to persist account metadata") continue;
    EXPECT_EQ(event.fields.at(0), (std::pair<std::string, std::string>{"op", "account_store_save"}));
  }
  EXPECT_TRUE(pane->form().is_open());
  if (!GetParam().break_vault) {
    std::filesystem::remove_all(metadata_file());
    EXPECT_EQ(saved_secret("dav-1"), "old secret");
    EXPECT_FALSE(std::filesystem::exists(::accounts::accounts_dir_in(root_) / "mutation-journal.json"));
  } else {
    EXPECT_TRUE(std::filesystem::exists(::accounts::accounts_dir_in(root_) / "mutation-journal.json"));
  }
}

INSTANTIATE_TEST_SUITE_P(Saving, SaveFailures,
                         ::testing::Values(SaveFailureCase{"RollsBack", false, "could not persist account: ", 1},
                                           SaveFailureCase{"RollbackFails", true, "could not persist account: ", 0}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace accounts_pane_test

namespace accounts_pane_test {
namespace {

using settings::panes::accounts::StoreAnswer;
using settings::panes::accounts::StoreJob;

// Store jobs the test runs when it chooses, or refuses to start.
struct HeldStoreJobs {
  std::vector<std::pair<StoreJob, orvo_runtime::Sender<StoreAnswer>>> held;
  bool refuse = false;
  settings::panes::accounts::StoreJobStarter starter() {
    return [this](StoreJob job, orvo_runtime::Sender<StoreAnswer> sender) -> std::expected<void, std::string> {
      if (refuse) return std::unexpected(std::string("Resource temporarily unavailable"));
      held.emplace_back(std::move(job), std::move(sender));
      return {};
    };
  }
  void run_first() {
    auto [job, sender] = std::move(held.front());
    held.erase(held.begin());
    (void)sender.send(job());
  }
};

TEST_F(AccountsPaneTest, TheVaultIsReadOffThePassAndAPressWaitsForIt) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "files secret"}});
  HeldStoreJobs jobs;
  AccountsPane pane = AccountsPane::load(over_)
                          .with_account_check(make_check(fake_))
                          .with_store_job_starter(jobs.starter());
  settings::panes::testing::PaneHarness::pass(pane);
  ASSERT_EQ(jobs.held.size(), 1u);
  EXPECT_TRUE(pane.reading_vault());
  EXPECT_FALSE(pane.has_saved_credential("dav-1"));

  // Editing needs the saved credential: the press waits until the read has answered.
  press(pane, key::edit("dav-1"));
  settings::panes::testing::PaneHarness::pass(pane);
  pane.form().display_name.publish("Renamed");
  press(pane, key::kFormSave);
  settings::panes::testing::PaneHarness::pass(pane);
  EXPECT_EQ(jobs.held.size(), 1u);
  EXPECT_EQ(fake_->call_count(), 0);

  jobs.run_first();
  settings::panes::testing::PaneHarness::pass(pane);
  EXPECT_FALSE(pane.reading_vault());
  EXPECT_TRUE(pane.has_saved_credential("dav-1"));
  ASSERT_EQ(jobs.held.size(), 1u) << "the waiting save prepares its draft";
  EXPECT_EQ(pane.form().message, "Reading saved passwords…");
  EXPECT_TRUE(pane.form_busy());

  jobs.run_first();
  settings::panes::testing::PaneHarness::pass(pane);
  EXPECT_EQ(pane.form().message, "Checking the account before saving…");
  EXPECT_TRUE(fake_->wait_calls(1));
}

TEST_F(AccountsPaneTest, AStoreJobThatCannotStartGivesItsSentence) {
  store_accounts({webdav_account("dav-1", "Files")});
  HeldStoreJobs jobs;
  jobs.refuse = true;
  AccountsPane pane = AccountsPane::load(over_)
                          .with_account_check(make_check(fake_))
                          .with_store_job_starter(jobs.starter());
  settings::panes::testing::PaneHarness::pass(pane);
  EXPECT_EQ(pane.vault_message(),
            "could not start reading the saved passwords: Resource temporarily unavailable");
  EXPECT_FALSE(pane.needs_idle_sync());

  press(pane, key::remove("dav-1"));
  settings::panes::testing::PaneHarness::pass(pane);
  press(pane, key::kRemoveConfirm);
  settings::panes::testing::PaneHarness::pass(pane);
  EXPECT_EQ(pane.form().message, "could not start reading the saved passwords: Resource temporarily unavailable");
  EXPECT_TRUE(stored("dav-1"));
}

}  // namespace
}  // namespace accounts_pane_test
