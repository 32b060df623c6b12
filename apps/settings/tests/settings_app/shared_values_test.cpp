#include <gtest/gtest.h>

#include "orvo_ui/published_cell.h"
#include "panes/accounts_request.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
namespace {

namespace op = actions::account_operation;

TEST(AccountsRequest, MadeFromEachAccountOperation) {
  struct Case {
    actions::AccountOperation operation;
    std::optional<AccountsRequest> expected;
  };
  const Case cases[] = {
      {op::Add{"caldav"}, AccountsRequest::Add{AccountKind::CalDav}},
      {op::Add{"nextcloud"}, AccountsRequest::Add{AccountKind::Nextcloud}},
      {op::Open{"a1"}, AccountsRequest::Open{"a1"}},
      {op::Edit{"a2"}, AccountsRequest::Open{"a2"}},
      {op::Reauthenticate{"a3"}, AccountsRequest::Reauthenticate{"a3"}},
      {op::SubmitForm{}, AccountsRequest::SubmitForm{}},
      {op::CancelReauthentication{}, AccountsRequest::CancelReauthentication{}},
  };
  for (const auto& c : cases) {
    auto made = accounts_request_for(c.operation);
    ASSERT_TRUE(made);
    EXPECT_EQ(*made, c.expected);
  }
  auto unknown = accounts_request_for(op::Add{"Mail"});
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.error(), "unknown account kind");
}

TEST(PaneOperation, TagNamesTheAreaAndItsPane) {
  PaneOperation network{actions::NetworkOperation{actions::NetworkOperation::Refresh{}}};
  EXPECT_EQ(network.tag(), 2);
  EXPECT_EQ(network.section(), SettingsSection::Network);
  PaneOperation storage{actions::StorageOperation{actions::storage_operation::CleanupCaches{}}};
  EXPECT_EQ(storage.tag(), 6);
  EXPECT_EQ(storage.section(), SettingsSection::Storage);
}

TEST(SharedCells, APaneLeavesAnotherPanesOperationInTheCell) {
  orvo_ui::PublishedCell<std::optional<PaneOperation>> cell;
  cell.publish(PaneOperation{actions::NetworkOperation{actions::NetworkOperation::Refresh{}}});
  // The storage pane looks, finds a network operation, and leaves it.
  auto seen = cell.snapshot();
  ASSERT_TRUE(seen);
  if (seen->section() == SettingsSection::Storage) cell.publish(std::nullopt);
  EXPECT_TRUE(cell.snapshot());
  EXPECT_EQ(cell.version(), 1u);
}

TEST(OperationStatus, StartsIdleAndMatchesOnlyItsRunningKey) {
  orvo_ui::PublishedCell<OperationStatus> status;
  EXPECT_EQ(status.snapshot(), OperationStatus{});
  status.publish(OperationStatus::Running{"settings.display-operation:\"Refresh\""});
  EXPECT_TRUE(status.snapshot().is_running("settings.display-operation:\"Refresh\""));
  EXPECT_FALSE(status.snapshot().is_running("settings.power-operation:\"Refresh\""));
}

}  // namespace
}  // namespace settings::settings_app
