#include "panes/accounts/account_form.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "accounts_fixture.h"

namespace {

using namespace settings::accounts;
using settings::panes::accounts::AccountForm;
using settings::panes::accounts::open_account_editor;
using settings::panes::accounts::open_add_form;
using Json = nlohmann::ordered_json;

::accounts::Account stored(std::string id, std::string_view type, Json config, std::string name = "Name") {
  auto account = accounts_test::account(std::move(id), type, std::move(name));
  account.config = std::move(config);
  return account;
}

struct Shown {
  std::string display_name, identity, login_name, server_url;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
  *out << "{" << s.display_name << " | " << s.identity << " | " << s.login_name << " | " << s.server_url << "}";
}

Shown shown(const AccountForm& form) {
  return {form.display_name.snapshot(), form.identity.snapshot(), form.login_name.snapshot(),
          form.server_url.snapshot()};
}

class AccountFormTest : public accounts_test::AccountsRoot {
 protected:
  void SetUp() override {
    AccountsRoot::SetUp();
    const Json mail = {{"display_name", "Bob B"},  {"email", "Bob@Example.org"}, {"imap_host", "imap.example.org"},
                       {"imap_port", 993},         {"imap_tls", true},           {"smtp_host", "smtp.example.org"},
                       {"smtp_port", 465},         {"smtp_tls", true},           {"username", "bob"}};
    store_.upsert(stored("bob@example.org", "email", mail, "Bob"));
    store_.upsert(stored("cal-1", "caldav",
                         {{"server_url", "https://cal.example.org"}, {"base_url", "wrong"}, {"username", 5}}, "Cal"));
    store_.upsert(stored("dav-1", "webdav",
                         {{"id", "dav-1"}, {"label", "Files"}, {"base_url", "https://dav.example.org/files"},
                          {"server_url", "wrong"}, {"username", "ada"}},
                         "Files"));
    store_.upsert(stored("nc-1", "nextcloud",
                         {{"id", "nc-1"}, {"label", "Cloud"}, {"server_url", "https://cloud.example.org"},
                          {"username", "nc"}},
                         "Cloud"));
    ASSERT_TRUE(save_account_store(over_, store_).has_value());
    lists_ = account_lists_from_store(store_);
    fill(form_);
  }

  // A form left with values, a message and another account's id, as a previous use leaves it.
  static void fill(AccountForm& form) {
    form.display_name.publish("old name");
    form.identity.publish("old@example.org");
    form.login_name.publish("old login");
    form.server_url.publish("https://old.example.org");
    form.password->assign("typed secret");
    form.editing_id = "other";
    form.message = "an old message";
  }

  ::accounts::AccountStore store_;
  AccountLists lists_;
  AccountForm form_;
};

TEST_F(AccountFormTest, AddFormOpensEmpty) {
  open_add_form(form_, AccountKind::Nextcloud);
  EXPECT_EQ(form_.kind, AccountKind::Nextcloud);
  EXPECT_EQ(form_.editing_id, std::nullopt);
  EXPECT_EQ(form_.message, std::nullopt);
  EXPECT_EQ(shown(form_), Shown{});
  EXPECT_TRUE(form_.password->empty());
  EXPECT_TRUE(form_.take_structure_dirty());
  EXPECT_FALSE(form_.take_structure_dirty());
}

struct EditorCase {
  const char* id;
  AccountKind kind;
  Shown expected;
};

TEST_F(AccountFormTest, EditorShowsTheStoredValuesOfEachKind) {
  const EditorCase cases[] = {
      {"bob@example.org", AccountKind::Email, {"Bob", "Bob@Example.org", "bob", ""}},
      // CalDAV reads "server_url"; a user name that is not a string shows as "".
      {"cal-1", AccountKind::CalDav, {"Cal", "", "", "https://cal.example.org"}},
      {"dav-1", AccountKind::WebDav, {"Files", "", "ada", "https://dav.example.org/files"}},
      {"nc-1", AccountKind::Nextcloud, {"Cloud", "", "nc", "https://cloud.example.org"}},
  };
  for (const auto& c : cases) {
    AccountForm form;
    fill(form);
    open_account_editor(form, over_, lists_, c.id);
    EXPECT_EQ(form.kind, c.kind) << c.id;
    EXPECT_EQ(form.editing_id, std::optional<std::string>(c.id));
    EXPECT_EQ(form.message, std::nullopt) << c.id;
    EXPECT_EQ(shown(form), c.expected) << c.id;
    EXPECT_TRUE(form.password->empty()) << c.id;
    EXPECT_TRUE(form.structure_dirty) << c.id;
  }
}

TEST_F(AccountFormTest, EditorOfAnAccountGoneFromTheStoreOpensEmpty) {
  // The pane's lists still show the account, the store no longer holds it.
  auto shown_store = store_;
  shown_store.upsert(stored("dav-gone", "webdav", {{"id", "dav-gone"}, {"label", "Gone"},
                                                   {"base_url", "https://gone.example.org"}, {"username", "g"}}));
  open_account_editor(form_, over_, account_lists_from_store(shown_store), "dav-gone");
  EXPECT_EQ(form_.kind, AccountKind::WebDav);
  EXPECT_EQ(form_.editing_id, std::optional<std::string>("dav-gone"));
  EXPECT_EQ(shown(form_), Shown{});
  EXPECT_TRUE(form_.password->empty());
}

TEST_F(AccountFormTest, EditorWithoutARowChangesNothing) {
  open_account_editor(form_, over_, lists_, "nobody");
  EXPECT_EQ(form_.kind, std::nullopt);
  EXPECT_EQ(form_.editing_id, std::optional<std::string>("other"));
  EXPECT_EQ(shown(form_), (Shown{"old name", "old@example.org", "old login", "https://old.example.org"}));
  EXPECT_EQ(form_.password->copy().view(), "typed secret");
  EXPECT_FALSE(form_.structure_dirty);
}

TEST_F(AccountFormTest, SubmittedIdentityIsTheAddressForMailAndTheLoginOtherwise) {
  EXPECT_FALSE(form_.submitted_values().has_value());  // closed
  open_add_form(form_, AccountKind::Email);
  form_.identity.publish("ada@example.org");
  form_.login_name.publish("ada.l");
  form_.password->assign("pw");
  auto mail = form_.submitted_values();
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->identity, "ada@example.org");
  EXPECT_EQ(mail->login_name, "ada.l");
  EXPECT_EQ(mail->password.view(), "pw");
  EXPECT_EQ(form_.password->copy().view(), "pw");  // reading keeps the typed password

  form_.kind = AccountKind::CalDav;
  EXPECT_EQ(form_.submitted_values()->identity, "ada.l");
}

}  // namespace
