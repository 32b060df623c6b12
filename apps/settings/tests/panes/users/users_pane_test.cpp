// The Users pane's passes: typed operations from the shell, the account buttons, the add form and
// the identity buttons, against a recording backend.
#include <gtest/gtest.h>

#include <future>

#include "lib/settings_document.h"
#include "users_fixture.h"

namespace settings::panes::users {
namespace {

using settings_app::OperationStatus;
using testing::UsersPaneTest;
using Op = actions::UserOperation;

struct TypedCase {
  const char* name;
  Op operation;
  // Another operation's Running status replaces this one's before the pass.
  bool stale = false;
  std::optional<std::string> failing_method;
  std::vector<std::string> calls;
  // The ending published under the operation's key; none when nothing is published.
  std::optional<PaneOutcome> ending;
};

TEST_F(UsersPaneTest, TypedOperationsEndUnderTheirKey) {
  const std::vector<TypedCase> cases{
      {"stale", Op{Op::SetAdmin{"bob", true}}, true, std::nullopt, {}, std::nullopt},
      {"signed-in account", Op{Op::SetAdmin{"me", false}}, false, std::nullopt, {},
       PaneOutcome::failure("User account is no longer available.")},
      {"unknown account", Op{Op::SetAutologin{"ghost", true}}, false, std::nullopt, {},
       PaneOutcome::failure("User account is no longer available.")},
      {"already an administrator", Op{Op::SetAdmin{"ada", true}}, false, std::nullopt, {},
       PaneOutcome::success("User account updated.")},
      {"autologin already on", Op{Op::SetAutologin{"carol", true}}, false, std::nullopt, {},
       PaneOutcome::success("User account updated.")},
      {"promote", Op{Op::SetAdmin{"bob", true}}, false, std::nullopt, {"set_role bob 1"},
       PaneOutcome::success("User account updated.")},
      {"autologin on", Op{Op::SetAutologin{"bob", true}}, false, std::nullopt, {"set_automatic_login bob 1"},
       PaneOutcome::success("User account updated.")},
      {"remove with files", Op{Op::Remove{"bob", true}}, false, std::nullopt, {"delete_user bob 1002 1"},
       PaneOutcome::success("User account updated.")},
      {"remove keeping files", Op{Op::Remove{"bob", false}}, false, std::nullopt, {"delete_user bob 1002 0"},
       PaneOutcome::success("User account updated.")},
      {"platform refuses", Op{Op::SetAdmin{"ada", false}}, false, "set_role", {"set_role ada 0"},
       PaneOutcome::failure("Not authorized")},
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(c.name);
    backend_ = std::make_shared<testing::RecordingBackend>();
    if (c.failing_method) backend_->answer(*c.failing_method, std::unexpected(std::string("Not authorized")));
    make_pane();
    const std::string key = harness_.hand_over(c.operation);
    const std::string other = "settings.user-operation:{\"SetAdmin\":{\"username\":\"zed\",\"admin\":true}}";
    if (c.stale) harness_.mark_running(other);
    settle();

    EXPECT_EQ(backend_->calls(), c.calls);
    EXPECT_FALSE(harness_.operation_cell().snapshot().has_value()) << "the operation is taken";
    const OperationStatus status = harness_.status();
    if (!c.ending) {
      EXPECT_TRUE(status.is_running(other));
      EXPECT_EQ(pane_->error(), "Ignored a stale user-management command.");
      continue;
    }
    const auto expected = c.ending->succeeded ? OperationStatus(OperationStatus::Succeeded{key, c.ending->message})
                                              : OperationStatus(OperationStatus::Failed{key, c.ending->message});
    EXPECT_EQ(status, expected);
    EXPECT_EQ(pane_->error(), c.ending->succeeded ? std::nullopt : std::optional<std::string>(c.ending->message));
  }
}

TEST_F(UsersPaneTest, AnOperationArrivingBeforeTheAccountsAreReadWaitsForThem) {
  std::promise<void> gate;
  std::shared_future<void> opened = gate.get_future().share();
  UsersServices held = services();
  held.local_users = [opened, read = held.local_users] {
    opened.wait();
    return read();
  };
  pane_ = std::make_unique<UsersPane>(
      UsersPane(held).with_pane_operation(harness_.operation_cell()).with_operation_status(harness_.status_cell()));
  panes::testing::PaneHarness::pass(*pane_);
  const std::string key = harness_.hand_over(Op{Op::SetAdmin{"bob", true}});
  panes::testing::PaneHarness::pass(*pane_);
  EXPECT_FALSE(harness_.operation_cell().snapshot().has_value()) << "taken in the first pass";
  EXPECT_TRUE(harness_.status().is_running(key));
  EXPECT_TRUE(backend_->calls().empty());
  gate.set_value();
  settle();
  EXPECT_EQ(backend_->calls(), std::vector<std::string>{"set_role bob 1"});
  EXPECT_EQ(harness_.status(), OperationStatus(OperationStatus::Succeeded{key, "User account updated."}));
}

TEST_F(UsersPaneTest, AnotherPanesOperationStaysInTheCell) {
  make_pane();
  const settings_app::PaneOperation other{actions::PowerOperation{actions::PowerOperation::SetAutoSuspend{true}}};
  const std::string key = harness_.hand_over(other);
  settle();
  EXPECT_EQ(harness_.operation_cell().snapshot(), std::optional(other));
  EXPECT_TRUE(harness_.status().is_running(key));
}

TEST_F(UsersPaneTest, ButtonsChangeAccountsAndLeaveAnotherOperationRunning) {
  make_pane();
  const std::string other = "settings.user-operation:{\"Remove\":{\"username\":\"ada\",\"remove_files\":true}}";
  harness_.mark_running(other);
  press(key::role("bob"));
  press(key::role("ada"));
  press(key::autologin("carol"));
  press(key::remove("bob"));
  EXPECT_EQ(pane_->pending_account_removal(), "bob");
  EXPECT_EQ(backend_->calls().size(), 3u);
  press(key::confirm_remove_keep("bob"));
  EXPECT_EQ(pane_->pending_account_removal(), std::nullopt);
  press(key::confirm_remove("carol"));
  EXPECT_EQ(backend_->calls(), (std::vector<std::string>{"set_role bob 1", "set_role ada 0",
                                                         "set_automatic_login carol 0", "delete_user bob 1002 0",
                                                         "delete_user carol 1003 1"}));
  EXPECT_TRUE(harness_.status().is_running(other));

  // The signed-in account's keys do nothing, whoever writes them.
  press(key::role("me"));
  press(key::confirm_remove("me"));
  EXPECT_EQ(backend_->calls().size(), 5u);
}

TEST_F(UsersPaneTest, CreatingKeepsThePasswordOutOfTheDocument) {
  constexpr std::string_view kPassword = "tr0ub4dor&3-horse";
  backend_->expected_password = std::string(kPassword);
  make_pane();
  press(std::string(key::kAdd));
  ASSERT_TRUE(pane_->add_form_visible());
  auto& document = pane_->document();
  ASSERT_TRUE(document.put(orvo_doc::kRoot, key::kFullName, orvo_doc::ScalarValue::str("  Dana Scully ")).has_value());
  ASSERT_TRUE(document.put(orvo_doc::kRoot, key::kUsername, orvo_doc::ScalarValue::str(" dana\t")).has_value());
  pane_->password()->assign(kPassword);
  press(std::string(key::kFormSave));

  EXPECT_EQ(backend_->calls(), std::vector<std::string>{"create_user dana [Dana Scully] password-ok"});
  EXPECT_FALSE(pane_->add_form_visible());
  EXPECT_TRUE(pane_->password()->copy().empty());
  EXPECT_TRUE(copy_seen_);
  EXPECT_TRUE(copy_wiped_) << "the create's copy of the password is zeroed";
  EXPECT_EQ(lib::read_text(document, orvo_doc::kRoot, key::kFullName), "");
  EXPECT_EQ(lib::read_text(document, orvo_doc::kRoot, key::kUsername), "");
  for (std::string_view field : {"users.form.password", "password", "users.password", "settings.users.password"}) {
    EXPECT_FALSE(document.get(orvo_doc::kRoot, field).value().has_value()) << field;
  }
  for (const std::string& value : {lib::read_text(document, orvo_doc::kRoot, key::kFullName).value_or(""),
                                   lib::read_text(document, orvo_doc::kRoot, key::kUsername).value_or("")}) {
    EXPECT_EQ(value.find(kPassword), std::string::npos);
  }
}

TEST_F(UsersPaneTest, AFailedCreateKeepsTheFormOpenWithEmptyFields) {
  backend_->answer("create_user", std::unexpected(std::string("invalid user name")));
  make_pane();
  press(std::string(key::kAdd));
  auto& document = pane_->document();
  ASSERT_TRUE(document.put(orvo_doc::kRoot, key::kUsername, orvo_doc::ScalarValue::str("-rf")).has_value());
  pane_->password()->assign("something long");
  press(std::string(key::kFormSave));
  EXPECT_TRUE(pane_->add_form_visible());
  EXPECT_EQ(pane_->error(), "invalid user name");
  EXPECT_EQ(lib::read_text(document, orvo_doc::kRoot, key::kUsername), "");
  EXPECT_TRUE(pane_->password()->copy().empty());

  press(std::string(key::kFormCancel));
  EXPECT_FALSE(pane_->add_form_visible());
}

TEST_F(UsersPaneTest, IdentitiesAreChosenRemovedAndNeedTheirStore) {
  store_identity("home", 1, true);
  store_identity("work", 2, false);
  store_identity("old", 3, false);
  make_pane();
  ASSERT_EQ(pane_->identities().size(), 3u);

  press(key::identity_activate("work"));
  EXPECT_EQ(pane_->error(), std::nullopt);
  EXPECT_TRUE(pane_->identities()[2].active);  // in folder order: home, old, work
  press(key::identity_remove("old"));
  EXPECT_EQ(pane_->pending_identity_removal(), "old");
  press(key::identity_confirm_remove("old"));
  EXPECT_EQ(pane_->pending_identity_removal(), std::nullopt);
  ASSERT_EQ(pane_->identities().size(), 2u);
  press(key::identity_confirm_remove("work"));
  EXPECT_EQ(pane_->error(), "the active identity cannot be removed");

  // The store goes away: the list stays, its buttons say why they cannot act.
  identity_store_ = false;
  press(key::role("bob"));
  ASSERT_EQ(pane_->identities().size(), 2u);
  for (const std::string& press_key : {key::identity_activate("home"), key::identity_protect("home")}) {
    press(press_key);
    EXPECT_EQ(pane_->error(), "identity store is unavailable");
  }
}

}  // namespace
}  // namespace settings::panes::users
