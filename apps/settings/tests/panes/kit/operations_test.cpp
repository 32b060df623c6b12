// Operations a pane takes: every one ends, and only under its exact key.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <utility>
#include <variant>

#include "actions/device_local_operation.h"
#include "actions/operation_encoding.h"
#include "harness/pane_harness.h"
#include "test_pane.h"

namespace settings::panes::testing {
namespace {

using settings_app::OperationStatus;
using settings_app::PaneOperation;
using Audio = actions::AudioOperation;

struct TakeCase {
  std::string_view name;
  PaneOperation operation;
  bool platform_enabled;
  bool platform_refuses;
  // Running under another key when set: the taken operation's key with this change applied.
  std::function<std::string(std::string)> running_key;
  // What the status holds after one pass; none: as it was before the pass.
  std::optional<std::pair<bool, std::string_view>> ends;
  bool stays_in_cell;
};

TEST(TakenOperation, EndsUnderItsExactKeyOrNotAtAll) {
  const std::vector<TakeCase> cases = {
      {"untouched ends with its sentence", Audio::SetOutputMuted{false}, false, false, nullptr,
       std::pair{true, kAlreadySo}, false},
      {"a change ends with the handler's sentence", Audio::SetOutputMuted{true}, false, false, nullptr,
       std::pair{true, std::string_view("Switched on.")}, false},
      {"a refusal ends failed", Audio::SetOutputMuted{true}, false, true, nullptr, std::pair{false, kRefused}, false},
      {"another operation's key is never written over", Audio::SetOutputMuted{false}, false, false,
       [](std::string) { return std::string("settings.display-operation:{\"SetBrightness\":{\"value\":0.5}}"); },
       std::nullopt, false},
      {"a key one byte off is never written over", Audio::SetOutputMuted{false}, false, false,
       [](std::string key) {
         key.back() = ']';
         return key;
       },
       std::nullopt, false},
      {"another tag stays in the cell", actions::BluetoothOperation::SetPowered{true}, false, false, nullptr,
       std::nullopt, true},
  };
  for (const TakeCase& row : cases) {
    SCOPED_TRACE(row.name);
    PaneHarness harness;
    auto pane = make_test_pane(harness.app());
    pane->platform_enabled = row.platform_enabled;
    pane->platform_refuses = row.platform_refuses;
    PaneHarness::pass(*pane);  // seeds the document

    const std::string key = harness.hand_over(row.operation);
    if (row.running_key) harness.mark_running(row.running_key(key));
    const OperationStatus before = harness.status();
    const auto version = harness.status_cell().version();
    PaneHarness::pass(*pane);

    EXPECT_EQ(harness.operation_cell().snapshot().has_value(), row.stays_in_cell);
    if (row.ends) {
      const OperationStatus expected = row.ends->first
                                           ? OperationStatus(OperationStatus::Succeeded{key, std::string(row.ends->second)})
                                           : OperationStatus(OperationStatus::Failed{key, std::string(row.ends->second)});
      EXPECT_EQ(harness.status(), expected);
    } else {
      EXPECT_EQ(harness.status(), before);
      EXPECT_EQ(harness.status_cell().version(), version);
    }
    // Later passes publish nothing more.
    const auto settled = harness.status_cell().version();
    PaneHarness::pass(*pane);
    EXPECT_EQ(harness.status_cell().version(), settled);
  }
}

TEST(TakenOperation, PendingWorkEndsItLaterAndADroppedPaneEndsItOnce) {
  PaneHarness harness;
  {
    auto pane = make_test_pane(harness.app());
    const std::string key = harness.hand_over(Audio::ToggleDiagnostics{});
    PaneHarness::pass(*pane);
    PaneHarness::pass(*pane);
    EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key})) << "pending work holds it";
    pane->complete_work("Diagnostics shown.");
    EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Succeeded{key, "Diagnostics shown."}));
  }

  (void)harness.status_cell().publish(OperationStatus::Idle{});
  auto pane = make_test_pane(harness.app());
  const std::string key = harness.hand_over(Audio::ToggleDiagnostics{});
  PaneHarness::pass(*pane);
  const auto version = harness.status_cell().version();
  pane.reset();
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Failed{key, std::string(kInterruptedSentence)}));
  EXPECT_EQ(harness.status_cell().version(), version + 1) << "published once";
}

TEST(TakenOperation, ADroppedPaneLeavesACancelledOperationAlone) {
  PaneHarness harness;
  auto pane = make_test_pane(harness.app());
  harness.hand_over(Audio::ToggleDiagnostics{});
  PaneHarness::pass(*pane);
  (void)harness.status_cell().publish(OperationStatus::Idle{});  // the runner cancelled it
  const auto version = harness.status_cell().version();
  pane.reset();
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Idle{}));
  EXPECT_EQ(harness.status_cell().version(), version);
}

// Every variant of one enumeration, its payload spelled with spaces as an outside caller might:
// the key the pane finishes under is the key the runner published.
template <std::size_t I = 0>
void expect_runner_keys(std::vector<std::string>& keys) {
  if constexpr (I < std::variant_size_v<Audio::variant>) {
    const Audio operation(std::in_place_index<I>);
    const std::string spaced = nlohmann::json::parse(actions::encode_payload(operation)).dump(2);
    const auto runner_key = actions::parse_device_local_operation(Audio::kKind, spaced);
    ASSERT_TRUE(runner_key.has_value()) << spaced;
    const TakenOperation<PaneOperation> taken{PaneOperation(operation)};
    EXPECT_EQ(taken.key(), *runner_key);
    keys.push_back(taken.key());
    expect_runner_keys<I + 1>(keys);
  }
}

TEST(TakenOperation, KeyIsTheRunnersForEveryVariant) {
  std::vector<std::string> keys;
  expect_runner_keys(keys);
  EXPECT_EQ(keys.size(), std::variant_size_v<Audio::variant>);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::unique(keys.begin(), keys.end()), keys.end()) << "each variant has a key of its own";
}

TEST(TakenOperation, TheDeviceMeshCellWorksTheSameWay) {
  PaneHarness harness;
  const settings_app::DeviceMeshOperationCell& cell = harness.app().device_mesh_operation();
  const actions::DeviceMeshOperation operation = actions::DeviceMeshOperation::SetRole{};
  const std::string payload = nlohmann::json::parse(actions::encode_payload(operation)).dump(1);
  const auto runner_key = actions::parse_device_local_operation(actions::DeviceMeshOperation::kKind, payload);
  ASSERT_TRUE(runner_key.has_value());

  PaneOperations<actions::DeviceMeshOperation> operations;
  operations.attach_operation_cell(cell);
  operations.attach_status_cell(harness.status_cell());
  (void)cell.publish(operation);
  harness.mark_running(*runner_key);
  ASSERT_NE(operations.take([](const actions::DeviceMeshOperation&) { return true; }), nullptr);
  EXPECT_FALSE(cell.snapshot().has_value());
  EXPECT_EQ(operations.in_hand()->key(), *runner_key);
  operations.settle(false, PaneOutcome::failure("This device cannot take that role."));
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Failed{*runner_key, "This device cannot take that role."}));
}

}  // namespace
}  // namespace settings::panes::testing
