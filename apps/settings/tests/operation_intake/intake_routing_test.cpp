// Routing of operations by kind and class, and the requests the root hands the accounts pane.
#include <gtest/gtest.h>

#include "intake_support.h"

namespace settings::settings_app {
namespace {

using namespace testing;

struct RouteCase {
  orvo_ui::OperationClass cls;
  std::string_view kind;
  std::string_view payload;
  orvo_ui::StartAnswer answer;
  SettingsSection section;  // selected afterwards
};

// Test names show the kind and payload rather than the bytes of the case.
void PrintTo(const RouteCase& c, std::ostream* out) { *out << c.kind << " " << c.payload; }

constexpr std::string_view kAccountKind = "settings.account-operation";
const std::string kAccountMismatch = "operation kind does not match account operation";

class IntakeRouting : public RootIntake, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(IntakeRouting, AnswersAndSelects) {
  const RouteCase& c = GetParam();
  EXPECT_EQ(start(c.cls, c.kind, c.payload), c.answer);
  EXPECT_EQ(app().section(), c.section);
  EXPECT_FALSE(app().operation_running());
}

INSTANTIATE_TEST_SUITE_P(
    ByKindAndClass, IntakeRouting,
    ::testing::Values(
        // A local kind that is not an effect is no device-local operation, and nothing else takes it.
        RouteCase{kNavigation, "settings.input-operation", R"({"SetTapToClick":{"enabled":true}})",
                  orvo_ui::start::NotHandled{}, SettingsSection::Network},
        RouteCase{kNavigation, "settings.update-operation", R"("ReviewRollback")", completed(),
                  SettingsSection::Updates},
        RouteCase{kNavigation, "settings.update-operation", R"("Check")",
                  rejected("operation kind does not match update operation"), SettingsSection::Network},
        RouteCase{kNavigation, "settings.open-pane", R"("bluetooth")", completed(), SettingsSection::Bluetooth},
        RouteCase{kNavigation, "settings.open-pane", R"("no-such-pane")",
                  rejected("Settings pane is no longer available"), SettingsSection::Network},
        RouteCase{kEffect, "settings.open-pane", R"("bluetooth")", orvo_ui::start::NotHandled{},
                  SettingsSection::Network},
        RouteCase{kNavigation, "settings.agent-provider-operation", R"({"Add":{"protocol":"anthropic"}})",
                  rejected("provider configuration requires an effect operation"), SettingsSection::Network},
        RouteCase{kEffect, "settings.no-such-operation", "{}", orvo_ui::start::NotHandled{},
                  SettingsSection::Network},
        // Every account operation that decodes selects External Accounts, also when it is refused.
        RouteCase{kNavigation, kAccountKind, R"({"Test":{"id":"m1"}})", rejected(kAccountMismatch),
                  SettingsSection::ExternalAccounts},
        RouteCase{kEffect, kAccountKind, R"({"Add":{"kind":"mail"}})", rejected(kAccountMismatch),
                  SettingsSection::ExternalAccounts},
        RouteCase{kNavigation, kAccountKind, R"("SubmitForm")", rejected(kAccountMismatch),
                  SettingsSection::ExternalAccounts},
        RouteCase{kNoClass, kAccountKind, R"({"Remove":{"id":"m1"}})", rejected(kAccountMismatch),
                  SettingsSection::ExternalAccounts},
        RouteCase{kNavigation, kAccountKind, R"({"Add":{"kind":"fax"}})", rejected("unknown account kind"),
                  SettingsSection::ExternalAccounts}));

TEST_F(RootIntake, UndecodableOperationsAreRefusedWithTheDecodersText) {
  for (std::string_view kind : {"settings.account-operation", "settings.update-operation", "settings.open-pane"}) {
    const auto answer = start(kNavigation, kind, R"({"Nope":{}})");
    const auto* refusal = std::get_if<orvo_ui::start::Rejected>(&answer);
    ASSERT_NE(refusal, nullptr) << kind;
    EXPECT_FALSE(refusal->message.empty()) << kind;
    EXPECT_NE(refusal->message, kAccountMismatch) << kind;
  }
  EXPECT_EQ(app().section(), SettingsSection::Network) << "an account operation that does not decode selects nothing";
}

// Effect operations of the fourteen local kinds go to the device-local runner, which refuses a
// payload it cannot read; the same operations as navigation reach no one.
TEST_F(RootIntake, LocalKindsGoToTheRunnerOnlyAsEffects) {
  for (std::string_view kind :
       {"settings.keyboard-source-operation", "settings.input-operation", "settings.time-date-operation",
        "settings.power-operation", "settings.network-operation", "settings.bluetooth-operation",
        "settings.storage-operation", "settings.audio-operation", "settings.display-operation",
        "settings.printer-operation", "settings.user-operation", "settings.agent-model-operation",
        "settings.device-mesh-operation"}) {
    EXPECT_TRUE(std::holds_alternative<orvo_ui::start::Rejected>(start(kEffect, kind, "{}"))) << kind;
    EXPECT_EQ(start(kNavigation, kind, "{}"), orvo_ui::StartAnswer{orvo_ui::start::NotHandled{}}) << kind;
  }
  EXPECT_TRUE(std::holds_alternative<orvo_ui::start::Rejected>(start(kEffect, "settings.update-operation", "{}")));
  EXPECT_FALSE(app().operation_running());
}

TEST_F(RootIntake, DeclaresTheSeventeenKindsInOrder) {
  const auto kinds = app().operation_kinds();
  ASSERT_EQ(kinds.size(), 17U);
  EXPECT_EQ(kinds.front(), "settings.open-pane");
  EXPECT_EQ(kinds[1], "settings.account-operation");
  EXPECT_EQ(kinds.back(), "settings.agent-provider-operation");
}

struct FormCase {
  orvo_ui::OperationClass cls;
  std::string_view payload;
  AccountsRequest request;
};

void PrintTo(const FormCase& c, std::ostream* out) { *out << c.payload; }

class AccountForms : public RootIntake, public ::testing::WithParamInterface<FormCase> {};

TEST_P(AccountForms, PublishTheirRequestForTheAccountsPane) {
  const FormCase& c = GetParam();
  EXPECT_EQ(account(c.cls, c.payload), completed());
  EXPECT_EQ(app().accounts_request().snapshot(), std::optional<AccountsRequest>(c.request));
  EXPECT_EQ(app().section(), SettingsSection::ExternalAccounts);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormOperation, AccountForms,
    ::testing::Values(FormCase{kNavigation, R"({"Add":{"kind":"mail"}})", AccountsRequest::Add{AccountKind::Email}},
                      FormCase{kNavigation, R"({"Add":{"kind":"nextcloud"}})",
                               AccountsRequest::Add{AccountKind::Nextcloud}},
                      FormCase{kNavigation, R"({"Open":{"id":"a1"}})", AccountsRequest::Open{"a1"}},
                      FormCase{kNavigation, R"({"Edit":{"id":"a1"}})", AccountsRequest::Open{"a1"}},
                      FormCase{kNavigation, R"({"Reauthenticate":{"id":"a1"}})",
                               AccountsRequest::Reauthenticate{"a1"}},
                      FormCase{kNavigation, R"("CancelForm")", AccountsRequest::CancelForm{}},
                      FormCase{kNavigation, R"("CancelReauthentication")", AccountsRequest::CancelReauthentication{}},
                      FormCase{kEffect, R"("SubmitForm")", AccountsRequest::SubmitForm{}},
                      FormCase{kEffect, R"("SubmitReauthentication")", AccountsRequest::SubmitReauthentication{}}));

}  // namespace
}  // namespace settings::settings_app
