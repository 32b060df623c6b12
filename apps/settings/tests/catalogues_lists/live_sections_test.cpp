// Users, Printers and External Accounts: one child per live object with operation actions whose
// payload is fixed when the tree is built.
#include <gtest/gtest.h>

#include "catalogue_fixture.h"
#include "catalogues/account_bindings.h"

namespace settings::actions {
namespace {

using orvo_actions::OperationClass;
using os_actions::printing::QueueState;
using testing::action;
using testing::action_names;
using testing::Catalogue;
using testing::invoke;

panes::users::LocalUser user(std::string name, bool admin = false, bool signed_in = false, bool autologin = false) {
  panes::users::LocalUser u;
  u.username = name;
  u.full_name = "Full " + name;
  u.uid = 1000;
  u.administrator = admin;
  u.signed_in = signed_in;
  u.automatic_login = autologin;
  return u;
}

os_actions::printing::PrinterQueue queue(std::string name, QueueState state) {
  os_actions::printing::PrinterQueue q;
  q.name = std::move(name);
  q.state = state;
  return q;
}

const std::vector<std::string> kUserTags{"device-local", "users", "live-account"};

TEST(UsersCatalogue, SkipsTheSignedInUserAndOffersTheOppositeOfEachFlag) {
  Catalogue catalogue;
  catalogue.lists.users = {user("ada", true, false, true), user("me", false, true), user("bob")};
  const auto section = catalogue.build(users_resource);
  ASSERT_EQ(section.children.size(), 2u);
  const auto& ada = section.children[0];
  EXPECT_EQ(ada.id, "settings.user:ada");
  EXPECT_EQ(ada.kind, "settings.user");
  EXPECT_EQ(ada.title, "Full ada");
  EXPECT_EQ(section.children[1].id, "settings.user:bob");
  EXPECT_EQ(action_names(ada),
            (std::vector<std::string>{"set-admin", "set-autologin", "remove-keep-files", "remove-files"}));

  const struct {
    const orvo_actions::Resource& who;
    const char* action;
    const char* title;
    const char* payload;
  } cases[] = {
      {ada, "set-admin", "Make standard user", R"({"SetAdmin":{"username":"ada","admin":false}})"},
      {ada, "set-autologin", "Disable automatic login", R"({"SetAutologin":{"username":"ada","enabled":false}})"},
      {section.children[1], "set-admin", "Make administrator", R"({"SetAdmin":{"username":"bob","admin":true}})"},
      {section.children[1], "set-autologin", "Enable automatic login",
       R"({"SetAutologin":{"username":"bob","enabled":true}})"},
      {ada, "remove-keep-files", "Remove account, keep files", R"({"Remove":{"username":"ada","remove_files":false}})"},
      {ada, "remove-files", "Remove account and files", R"({"Remove":{"username":"ada","remove_files":true}})"},
  };
  for (const auto& c : cases) {
    const auto& spec = action(c.who, c.action);
    EXPECT_EQ(spec.title, c.title);
    EXPECT_EQ(invoke(spec), (orvo_actions::EncodedAction{"settings.user-operation", c.payload})) << c.action;
    EXPECT_EQ(spec.operation_class, OperationClass::Effect);
    EXPECT_EQ(spec.contract.tags, kUserTags);
  }
}

TEST(UsersCatalogue, RemovingAnAccountIsDestructiveEitherWay) {
  Catalogue catalogue;
  catalogue.lists.users = {user("ada")};
  const auto section = catalogue.build(users_resource);
  const auto& ada = section.children.at(0);
  EXPECT_TRUE(action(ada, "remove-files").is_destructive);
  EXPECT_TRUE(action(ada, "remove-keep-files").is_destructive);
  EXPECT_FALSE(action(ada, "set-admin").is_destructive);
  EXPECT_FALSE(action(ada, "set-autologin").is_destructive);
}

TEST(UsersCatalogue, StopsAfter256UsersOfTheList) {
  Catalogue catalogue;
  catalogue.lists.users.push_back(user("me", false, true));
  for (int i = 0; i < 300; ++i) catalogue.lists.users.push_back(user("u" + std::to_string(i)));
  const auto section = catalogue.build(users_resource);
  // The signed-in user counts towards the 256 entries read, though it gets no child.
  ASSERT_EQ(section.children.size(), 255u);
  EXPECT_EQ(section.children.back().id, "settings.user:u254");
}

TEST(PrintersCatalogue, QueueAndJobChildrenWithFixedOperations) {
  Catalogue catalogue;
  catalogue.lists.queues = {queue("Office", QueueState::Paused), queue("Home", QueueState::Ready)};
  os_actions::printing::PrintJob job;
  job.id = "42";
  catalogue.lists.jobs = {job};
  const auto section = catalogue.build(printers_resource);

  EXPECT_EQ(action_names(section), (std::vector<std::string>{"refresh", "discover"}));
  EXPECT_EQ(invoke(action(section, "refresh")).payload, R"("Refresh")");
  EXPECT_EQ(action(section, "discover").title, "Find network printers");
  EXPECT_EQ(action(section, "discover").contract.tags, (std::vector<std::string>{"device-local", "printers"}));

  ASSERT_EQ(section.children.size(), 3u);
  const auto& office = section.children[0];
  EXPECT_EQ(office.id, "settings.printer:Office");
  EXPECT_EQ(office.kind, "settings.printer");
  EXPECT_EQ(action_names(office), (std::vector<std::string>{"set-default", "enable", "remove"}));
  EXPECT_EQ(invoke(action(office, "set-default")).payload, R"({"SetDefault":{"name":"Office"}})");
  EXPECT_TRUE(action(office, "remove").is_destructive);
  EXPECT_FALSE(action(office, "set-default").is_destructive);
  EXPECT_EQ(action(office, "remove").contract.tags,
            (std::vector<std::string>{"device-local", "printers", "live-queue"}));

  const auto& job_child = section.children[2];
  EXPECT_EQ(job_child.id, "settings.print-job:42");
  EXPECT_EQ(job_child.kind, "settings.print-job");
  EXPECT_EQ(job_child.title, "42");
  EXPECT_EQ(invoke(action(job_child, "cancel")),
            (orvo_actions::EncodedAction{"settings.printer-operation", R"({"CancelJob":{"id":"42"}})"}));
  EXPECT_EQ(invoke(action(job_child, "retry")).payload, R"({"RetryJob":{"id":"42"}})");
  EXPECT_EQ(action(job_child, "retry").contract.tags,
            (std::vector<std::string>{"device-local", "printers", "live-job"}));
}

TEST(PrintersCatalogue, OnlyAPausedQueueOffersEnable) {
  const struct {
    QueueState state;
    const char* action;
    const char* title;
    bool enabled;
  } cases[] = {
      {QueueState::Paused, "enable", "Enable printer", true},
      {QueueState::Ready, "pause", "Pause printer", false},
      {QueueState::Printing, "pause", "Pause printer", false},
      {QueueState::Offline, "pause", "Pause printer", false},
  };
  for (const auto& c : cases) {
    Catalogue catalogue;
    catalogue.lists.queues = {queue("Q", c.state)};
    const auto section = catalogue.build(printers_resource);
    const auto& spec = section.children.at(0).actions.at(1);
    EXPECT_EQ(spec.name, c.action);
    EXPECT_EQ(spec.title, c.title);
    EXPECT_EQ(invoke(spec).payload,
              std::string(R"({"SetEnabled":{"name":"Q","enabled":)") + (c.enabled ? "true" : "false") + "}}");
  }
}

TEST(ExternalAccountsCatalogue, OnlyTheTestActionCarriesTheNetworkContract) {
  Catalogue catalogue;
  auto mail = accounts::Account::make("acct-1", "email");
  auto files = accounts::Account::make("acct-2", "webdav");
  files.display_name = "Work files";
  catalogue.accounts = {mail, files};
  const auto section = catalogue.build(external_accounts_resource);

  EXPECT_EQ(section.kind, "settings.accounts");
  EXPECT_EQ(action_names(section),
            (std::vector<std::string>{"add-mail", "add-caldav", "add-webdav", "add-nextcloud", "save-form", "cancel-form",
                                      "save-reauthentication", "cancel-reauthentication"}));
  for (const auto& add : section.actions) {
    // Saving a form changes state; opening and closing one is navigation.
    const bool saves = add.name.starts_with("save-");
    EXPECT_EQ(add.operation_class, saves ? OperationClass::Effect : OperationClass::Navigation) << add.name;
    EXPECT_TRUE(add.contract.tags.empty()) << add.name;
  }
  EXPECT_EQ(invoke(action(section, "save-form")),
            (orvo_actions::EncodedAction{"settings.account-operation", R"("SubmitForm")"}));
  EXPECT_EQ(invoke(action(section, "add-caldav")),
            (orvo_actions::EncodedAction{"settings.account-operation", R"({"Add":{"kind":"caldav"}})"}));
  EXPECT_EQ(action(section, "add-mail").title, "Add email account");

  ASSERT_EQ(section.children.size(), 2u);
  const auto& first = section.children[0];
  EXPECT_EQ(first.id, "settings.account:acct-1");
  EXPECT_EQ(first.kind, "settings.external-account");
  EXPECT_EQ(first.title, "acct-1");  // no display name: the id stands in
  EXPECT_EQ(section.children[1].title, "Work files");
  EXPECT_EQ(action_names(first), (std::vector<std::string>{"open", "edit", "reauthenticate", "test", "remove"}));
  EXPECT_EQ(action(first, "test").title, "Check server reachability");
  EXPECT_EQ(action(section.children[1], "test").title, "Verify sign-in");
  for (const auto& child : section.children) {
    for (const auto& spec : child.actions) {
      const std::vector<std::string> expected =
          spec.name == "test" ? std::vector<std::string>{"device-local", "accounts", "network-probe"}
                              : std::vector<std::string>{};
      EXPECT_EQ(spec.contract.tags, expected) << child.id << " " << spec.name;
      EXPECT_EQ(spec.is_destructive, spec.name == "remove") << spec.name;
    }
  }
  EXPECT_EQ(action(first, "open").operation_class, OperationClass::Navigation);
  EXPECT_EQ(action(first, "remove").operation_class, OperationClass::Effect);
  EXPECT_EQ(invoke(action(first, "remove")).payload, R"({"Remove":{"id":"acct-1"}})");
}

TEST(ExternalAccountBinding, BindsAButtonToTheOneAccountAction) {
  const auto remove = external_account_binding("settings.account:a1", "Mail", "remove", "Remove from this device",
                                               OperationClass::Effect, AccountOperation::Remove{"a1"}, true);
  ASSERT_TRUE(remove.has_value());
  EXPECT_EQ(remove->resource, "settings.account:a1");
  EXPECT_EQ(remove->action, "remove");
  EXPECT_TRUE(remove->spec.is_destructive);
  EXPECT_TRUE(remove->spec.contract.tags.empty());

  const auto test = external_account_binding("settings.account:a1", "Mail", "test", "Check server reachability",
                                             OperationClass::Effect, AccountOperation::Test{"a1"}, false);
  ASSERT_TRUE(test.has_value());
  EXPECT_FALSE(test->spec.is_destructive);
  EXPECT_EQ(test->spec.contract.tags, (std::vector<std::string>{"device-local", "accounts", "network-probe"}));
  const auto invocation = orvo_actions::build_control_invocation(*test, orvo_actions::Unit{});
  ASSERT_TRUE(invocation.has_value());
  EXPECT_EQ(invocation->resource_id, "settings.account:a1");
}

}  // namespace
}  // namespace settings::actions
