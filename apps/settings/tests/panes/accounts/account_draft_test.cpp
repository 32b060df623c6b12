#include "panes/accounts/account_draft.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include <nlohmann/json.hpp>

#include "account_probe/account_check.h"
#include "accounts_fixture.h"
#include "orvo_json/json.h"
#include "orvo_log/log.h"

namespace {

using namespace settings::accounts;
using accounts_test::credential;
using settings::panes::accounts::AccountFormValues;
using settings::panes::accounts::prepare_account_draft;
using settings::panes::accounts::PreparedAccount;
using Json = nlohmann::ordered_json;
using Secret = orvo_secret::SecretString;

AccountFormValues values(std::string display_name, std::string identity, std::string login_name,
                         std::string server_url, std::string_view password) {
  return {std::move(display_name), std::move(identity), std::move(login_name), std::move(server_url), Secret(password)};
}

::accounts::Account stored(std::string id, std::string_view type, Json config, std::string name = "Name") {
  auto account = accounts_test::account(std::move(id), type, std::move(name));
  account.config = std::move(config);
  return account;
}

const Json kBobMail = {{"display_name", "Bob B"},       {"email", "bob@example.org"}, {"imap_host", "mail.example.org"},
                       {"imap_port", 143},              {"imap_tls", false},          {"smtp_host", "mail.example.org"},
                       {"smtp_port", 587},              {"smtp_tls", false},          {"username", "bob"}};
const Json kDav = {{"id", "dav-1"},  {"label", "Files"}, {"base_url", "https://dav.example.org/files"},
                   {"username", "ada"}, {"enabled", false}, {"tint", 2}};

// Every file of the accounts root: its bytes and modification time.
using Snapshot = std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>;

Snapshot snapshot(const std::filesystem::path& root) {
  Snapshot files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    files[entry.path().string()] = {accounts_test::file_bytes(entry.path()).value(), entry.last_write_time()};
  }
  return files;
}

class PrepareAccountDraft : public accounts_test::AccountsRoot {
 protected:
  void SetUp() override {
    AccountsRoot::SetUp();
    store_.upsert(stored("bob@example.org", "email", kBobMail, "Bob"));
    store_.upsert(stored("dav-1", "webdav", kDav, "Files"));
    store_.accounts.back().tint = 2;
    store_.upsert(stored("cal-1", "caldav", Json::array({1, 2}), "Cal"));  // settings that are not an object
    ASSERT_TRUE(save_account_store(over_, store_).has_value());
    ASSERT_TRUE(save_sync_statuses(over_, {}).has_value());
    auto vault = open_secret_vault(over_);
    vault.put("bob@example.org", credential("mail secret"));
    vault.put("dav-1", {Secret("files secret"), Secret("second text")});
    ASSERT_TRUE(vault.try_save().has_value());
    files_before_ = snapshot(root_);
  }

  std::expected<PreparedAccount, std::string> prepare(AccountKind kind, std::optional<std::string> edited,
                                                      const AccountFormValues& form,
                                                      std::optional<std::string> chosen = std::nullopt) {
    return prepare_account_draft(over_, kind, edited, chosen, form);
  }

  PreparedAccount prepared(AccountKind kind, std::optional<std::string> edited, const AccountFormValues& form,
                           std::optional<std::string> chosen = std::nullopt) {
    auto result = prepare(kind, std::move(edited), form, std::move(chosen));
    EXPECT_TRUE(result.has_value()) << result.error();
    return result ? std::move(*result) : PreparedAccount{};
  }

  ::accounts::AccountStore store_;
  Snapshot files_before_;
};

struct RefusalCase {
  const char* name;
  AccountKind kind;
  std::optional<std::string> edited;
  AccountFormValues form;
  const char* message;
};

// Each row breaks the rule of its message and, where it can, every later rule too, so that the
// rows together pin the order of the checks.
TEST_F(PrepareAccountDraft, RefusesWithTheFirstBrokenRule) {
  constexpr auto Email = AccountKind::Email;
  constexpr auto WebDav = AccountKind::WebDav;
  const std::string nbsp = "\u00a0";
  const RefusalCase cases[] = {
      {"blank display name before the address", Email, std::nullopt, values("  ", "", "", "", ""),
       "enter a display name"},
      {"display name of no-break spaces", WebDav, std::nullopt, values(nbsp + "\u3000", "", "", "x", ""),
       "enter a display name"},
      {"blank address", Email, std::nullopt, values("Ada", " \t", "", "", ""), "enter an email address"},
      {"blank user name before the URL", WebDav, std::nullopt, values("Ada", "", "", "not a url", ""),
       "enter a username"},
      {"address with a space", Email, std::nullopt, values("Ada", "a b@c", "", "", ""), "enter a valid email address"},
      {"address with a no-break space", Email, std::nullopt, values("Ada", "a" + nbsp + "b@c", "", "", ""),
       "enter a valid email address"},
      {"address without @", Email, std::nullopt, values("Ada", "abc", "", "", ""), "enter a valid email address"},
      {"address checked when editing", Email, "bob@example.org", values("Bob", "bob", "", "", ""),
       "enter a valid email address"},
      {"mail ignores the server URL", Email, std::nullopt, values("Ada", "ada@example.org", "", "http://u:p@x", ""),
       "enter a password or app password"},
      {"URL without a scheme", WebDav, std::nullopt, values("Ada", "ada", "", "dav.example.org/files", ""),
       "enter a valid server URL"},
      {"URL without a host", AccountKind::CalDav, std::nullopt, values("Ada", "ada", "", "https:///", ""),
       "enter a valid server URL"},
      {"local plain HTTP", WebDav, std::nullopt, values("Ada", "ada", "", "http://localhost/dav", "pw"),
       "use an HTTPS server URL (localhost HTTP is allowed in development)"},
      {"user in the URL with a password given", AccountKind::Nextcloud, std::nullopt,
       values("Ada", "ada", "", "https://ada@cloud.example.org", "pw"), "remove credentials from the server URL"},
      {"user and password in the URL", WebDav, "dav-1", values("Ada", "ada", "", "https://u:p@dav.example.org", ""),
       "remove credentials from the server URL"},
      {"new account without a password", WebDav, std::nullopt,
       values("Ada", "ada", "", "https://dav.example.org", " \n "), "enter a password or app password"},
      {"taken address without a password", Email, std::nullopt, values("Bob", "bob@example.org", "", "", ""),
       "enter a password or app password"},
      {"edited account gone", WebDav, "dav-gone", values("Ada", "ada", "", "https://dav.example.org", ""),
       "account no longer exists"},
      {"edited account of another kind", AccountKind::Nextcloud, "cal-1",
       values("Ada", "ada", "", "https://dav.example.org", "pw"),
       "account type changed; refresh Settings and try again"},
      {"same address in another case", Email, std::nullopt, values("Bob", " BOB@Example.ORG ", "", "", "pw"),
       "this account is already configured"},
      {"no saved credential and no password", AccountKind::CalDav, "cal-1",
       values("Cal", "cal", "", "https://cal.example.org", "  "), "this account has no saved credential; enter one"},
  };
  for (const auto& c : cases) {
    auto result = prepare(c.kind, c.edited, c.form);
    ASSERT_FALSE(result.has_value()) << c.name;
    EXPECT_EQ(result.error(), c.message) << c.name;
  }
  auto taken = prepare(WebDav, std::nullopt, values("Ada", "ada", "", "https://dav.example.org", "pw"), "dav-1");
  ASSERT_FALSE(taken.has_value());
  EXPECT_EQ(taken.error(), "this account is already configured");
  EXPECT_EQ(snapshot(root_), files_before_);
}

TEST_F(PrepareAccountDraft, NewMailAccountWithoutPresetIsCompletedFromItsDomain) {
  const auto draft = prepared(AccountKind::Email, std::nullopt, values(" Alice ", "  Alice@Example.COM ", "", "", " pw "));
  EXPECT_EQ(draft.account.id, "alice@example.com");
  EXPECT_EQ(draft.account.type_id, "email");
  EXPECT_EQ(draft.account.display_name, "Alice");
  EXPECT_TRUE(draft.account.enabled);
  EXPECT_EQ(orvo_json::value_text(draft.account.config),
            R"({"display_name":"Alice","email":"Alice@Example.COM","imap_host":"imap.Example.COM","imap_port":993,)"
            R"("imap_tls":true,"smtp_host":"smtp.Example.COM","smtp_port":465,"smtp_tls":true,)"
            R"("username":"Alice@Example.COM"})");
  EXPECT_EQ(draft.credential, credential("pw"));

  const auto preset = prepared(AccountKind::Email, std::nullopt, values("Ada", "ada@GMail.com", "ada.l", "", "pw"));
  EXPECT_EQ(preset.account.config["imap_host"], "imap.gmail.com");
  EXPECT_EQ(preset.account.config["smtp_host"], "smtp.gmail.com");
  EXPECT_EQ(preset.account.config["username"], "ada.l");
  EXPECT_EQ(snapshot(root_), files_before_);
}

TEST_F(PrepareAccountDraft, IdsOfNewAccounts) {
  const std::regex uuid_v4("-[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  const std::pair<AccountKind, const char*> kinds[] = {
      {AccountKind::CalDav, "caldav"}, {AccountKind::WebDav, "webdav"}, {AccountKind::Nextcloud, "nextcloud"}};
  for (const auto& [kind, prefix] : kinds) {
    const auto first = prepared(kind, std::nullopt, values("Ada", "ada", "", "https://h.example.org", "pw"));
    const auto second = prepared(kind, std::nullopt, values("Ada", "ada", "", "https://h.example.org", "pw"));
    const std::string& id = first.account.id;
    ASSERT_TRUE(id.starts_with(prefix)) << id;
    EXPECT_TRUE(std::regex_match(id.substr(std::string_view(prefix).size()), uuid_v4)) << id;
    EXPECT_NE(id, second.account.id);
  }
  // A chosen id is kept, for mail too; an edited id wins over a chosen one.
  EXPECT_EQ(prepared(AccountKind::Email, std::nullopt, values("A", "ada@x.org", "", "", "pw"), "mail-kept").account.id,
            "mail-kept");
  EXPECT_EQ(prepared(AccountKind::WebDav, std::nullopt, values("A", "ada", "", "https://h.example.org", "pw"),
                     "webdav-kept")
                .account.id,
            "webdav-kept");
  EXPECT_EQ(prepared(AccountKind::WebDav, "dav-1", values("A", "ada", "", "https://h.example.org", ""), "other")
                .account.id,
            "dav-1");
  EXPECT_EQ(snapshot(root_), files_before_);
}

TEST_F(PrepareAccountDraft, NewServerAccountsGetTheirKindsKeys) {
  const auto dav = prepared(AccountKind::WebDav, std::nullopt,
                            values("Files", "ada", "", " https://dav.example.org/remote.php/dav// ", "pw"));
  EXPECT_EQ(dav.account.config, (Json{{"id", dav.account.id},
                                      {"label", "Files"},
                                      {"base_url", "https://dav.example.org/remote.php/dav"},
                                      {"username", "ada"}}));
  const auto cal =
      prepared(AccountKind::CalDav, std::nullopt, values("Cal", "ada", "ignored", "https://cal.example.org/", "pw"));
  EXPECT_EQ(cal.account.config,
            (Json{{"display_name", "Cal"}, {"server_url", "https://cal.example.org"}, {"username", "ada"}}));
  const auto cloud =
      prepared(AccountKind::Nextcloud, std::nullopt, values("Cloud", "nc", "", "https://cloud.example.org", "pw"));
  EXPECT_EQ(cloud.account.config, (Json{{"id", cloud.account.id},
                                        {"label", "Cloud"},
                                        {"server_url", "https://cloud.example.org"},
                                        {"username", "nc"}}));
  EXPECT_EQ(cloud.account.type_id, "nextcloud");
}

TEST_F(PrepareAccountDraft, EditingKeepsWhatTheFormDoesNotShow) {
  // An empty password keeps the saved credential with its second text; the stored flags stay.
  const auto dav = prepared(AccountKind::WebDav, "dav-1", values("My files", "ada2", "", "https://new.example.org/", ""));
  EXPECT_EQ(dav.credential, (::accounts::vault::Credential{Secret("files secret"), Secret("second text")}));
  EXPECT_EQ(dav.account.tint, 2);
  EXPECT_EQ(dav.account.display_name, "My files");
  EXPECT_EQ(dav.account.config, (Json{{"id", "dav-1"},
                                      {"label", "My files"},
                                      {"base_url", "https://new.example.org"},
                                      {"username", "ada2"},
                                      {"enabled", false},
                                      {"tint", 2}}));

  // A new password replaces only the secret.
  const auto new_password = prepared(AccountKind::WebDav, "dav-1", values("F", "ada", "", "https://h.example.org", "new"));
  EXPECT_EQ(new_password.credential, (::accounts::vault::Credential{Secret("new"), Secret("second text")}));

  // Mail: three keys change, the server settings stay; an empty login becomes the address.
  const auto mail = prepared(AccountKind::Email, "bob@example.org", values("Robert", "robert@example.org", "", "", ""));
  Json expected = kBobMail;
  expected["email"] = "robert@example.org";
  expected["display_name"] = "Robert";
  expected["username"] = "robert@example.org";
  EXPECT_EQ(mail.account.config, expected);
  EXPECT_EQ(mail.account.id, "bob@example.org");
  EXPECT_EQ(mail.credential, credential("mail secret"));

  // Settings that are not an object are replaced.
  const auto cal = prepared(AccountKind::CalDav, "cal-1", values("Cal", "cal", "", "https://cal.example.org", "pw"));
  EXPECT_EQ(cal.account.config,
            (Json{{"display_name", "Cal"}, {"server_url", "https://cal.example.org"}, {"username", "cal"}}));
  EXPECT_EQ(cal.credential, credential("pw"));
  EXPECT_EQ(snapshot(root_), files_before_);
}

TEST_F(PrepareAccountDraft, DamagedMetadataRefusesAndChangesNothing) {
  accounts_test::write_file(metadata(), R"({"accounts":[{"id":"m1"}]})");
  const auto before = snapshot(root_);
  for (const auto& [kind, edited] : {std::pair{AccountKind::Email, std::optional<std::string>()},
                                     std::pair{AccountKind::WebDav, std::optional<std::string>("dav-1")}}) {
    auto result = prepare(kind, edited, values("Ada", "ada@example.org", "", "https://h.example.org", "pw"));
    ASSERT_FALSE(result.has_value());
    EXPECT_TRUE(result.error().starts_with("could not read account metadata: ")) << result.error();
  }
  EXPECT_EQ(snapshot(root_), before);
}

TEST_F(PrepareAccountDraft, NoPasswordInAnyLogLine) {
  const std::string password = "hunter2-correct-horse";
  orvo_log::CaptureScope capture;
  (void)prepare(AccountKind::Email, std::nullopt, values("Ada", "ada@example.org", "", "", "  " + password));
  (void)prepare(AccountKind::WebDav, "dav-1", values("Ada", "ada", "", "https://h.example.org", password));
  (void)prepare(AccountKind::WebDav, std::nullopt, values("Ada", "ada", "", "http://h.example.org", password));
  {
    // A vault that cannot be read is the likeliest place for a warning.
    accounts::vault::LocalKeyOnly local_only;
    std::filesystem::remove(accounts::vault_dir_in(root_) / "vault.key");
    (void)prepare(AccountKind::WebDav, "dav-1", values("Ada", "ada", "", "https://h.example.org", password));
  }
  for (const auto& event : capture.events()) {
    EXPECT_EQ(event.rendered().find(password), std::string::npos) << event.rendered();
  }
}

// The form and the server check judge a server URL by the same rules.
TEST_F(PrepareAccountDraft, FormAndServerCheckJudgeServerUrlsAlike) {
  using settings::account_probe::AccountCheckOutcome;
  const std::pair<const char*, const char*> verdicts[] = {
      {"enter a valid server URL", "account has an invalid server URL"},
      {"use an HTTPS server URL (localhost HTTP is allowed in development)",
       "refusing to send a credential without HTTPS"},
      {"remove credentials from the server URL", "server URL must not contain credentials"},
  };
  auto verdict_of_form = [&](const std::string& url) -> int {
    auto result = prepare(AccountKind::WebDav, std::nullopt, values("Ada", "ada", "", url, "pw"));
    for (int i = 0; i < 3; ++i) {
      if (!result && result.error() == verdicts[i].first) return i;
    }
    return -1;
  };
  auto verdict_of_check = [&](const std::string& url) -> int {
    auto account = ::accounts::Account::make("webdav-x", "webdav");
    account.config = {{"base_url", url}, {"username", "ada"}};
    settings::account_probe::CheckEnvironment environment;
    environment.limits.http_connect = std::chrono::milliseconds(2000);
    environment.limits.http_request = std::chrono::milliseconds(2000);
    const auto outcome = settings::account_probe::check_account_servers(account, Secret("pw"), environment);
    for (int i = 0; i < 3; ++i) {
      if (outcome == AccountCheckOutcome::failure(verdicts[i].second)) return i;
    }
    return -1;
  };
  const std::pair<const char*, int> urls[] = {
      {"dav.example.org/files", 0}, {"https:///files", 0}, {"http://", 0},  {"https://u@h.example.org", 2},
      {"https://u:p@h.example.org", 2}, {"http://h.example.org", 1}, {"ftp://h.example.org", 1},
      // Valid: the check goes on to connect, to a closed port on this machine.
      {"https://127.0.0.1:1/dav", -1},
  };
  for (const auto& [url, expected] : urls) {
    EXPECT_EQ(verdict_of_form(url), expected) << url;
    EXPECT_EQ(verdict_of_check(url), expected) << url;
  }
}

}  // namespace
